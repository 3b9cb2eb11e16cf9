#pragma once
// The separated fields of definition lines (field, criteria, parameter and selection lines) and the
// values of key=value lines: taken apart when read, and written so that they read back unchanged.

#include <string>
#include <string_view>
#include <vector>

namespace norvik {

// All fields of a separated line, read as GetField reads them (quotes removed, an unquoted number
// in its German text form), except that inside quotes a doubled quote stands for one quote.
std::vector<std::string> SplitExpFields(std::string_view text, char separator);
// The field at a 1-based position of the split fields, empty past the last.
const std::string& ExpField(const std::vector<std::string>& fields, size_t position);

// The value in quotes, each quote inside doubled.
std::string QuotedExpField(std::string_view value);
// The value as a field of a line with this separator: bare when it reads back the same (so files
// stay as they always were written), else quoted.
std::string ExpFieldText(std::string_view value, char separator);
// The value of a key=value line: bare, or in quotes when the profile reader would trim or unquote
// it.
std::string ProfileValueText(std::string_view value);

}  // namespace norvik
