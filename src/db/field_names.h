#pragma once
// Comparing column names as the export definitions spell them.

#include <string_view>

namespace norvik::db {

// True when two UTF-8 names are equal ignoring case of ASCII letters and of Latin-1 letters such as
// Ä/ä, Ö/ö, Ü/ü.
bool SameFieldName(std::string_view a, std::string_view b);

}  // namespace norvik::db
