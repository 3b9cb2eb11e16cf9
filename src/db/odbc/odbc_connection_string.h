#pragma once
// Reading an ODBC connection string, and what it names.

#include <optional>
#include <string>
#include <string_view>

namespace norvik::db {

// The value of the last of the keys the connection string sets (compared without regard to case,
// braces kept), or nullopt.
std::optional<std::string_view> KeyValue(std::string_view text, std::string_view key);

// The driver's library as the connection string names it, directly or through its data source
// and the driver's section of the driver manager's ini files; empty when the string does not
// tell (then only the driver's own name, asked after connecting, does).
std::string DriverLibraryOf(std::string_view connection);

}  // namespace norvik::db
