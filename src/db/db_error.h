#pragma once
// The errors the data access raises besides the classic record set numbers.

#include <cstddef>
#include <string_view>

namespace norvik::db {

// Raises VbError(kErrDatabase) carrying the database's own message, surrounding white space
// removed.
[[noreturn]] void ThrowDatabaseError(std::string_view message);
// Raises VbError(kErrInvalidArgument) unless a statement's "?" markers and the parameters match in
// number.
void CheckParameterCount(std::size_t markers, std::size_t given);

}  // namespace norvik::db
