#pragma once
// Texts between UTF-8 inside and the UTF-16 of ODBC's wide calls, which every driver honours
// whatever its own character set settings are.

#include <sql.h>

#include <string>
#include <string_view>

namespace norvik::db {

// The UTF-16 text of a UTF-8 text; a malformed byte becomes U+FFFD.
std::basic_string<SQLWCHAR> ToOdbcText(std::string_view utf8);
// Appends the UTF-8 form of `count` UTF-16 units; a lone surrogate becomes U+FFFD.
void AppendFromOdbcText(std::string& out, const SQLWCHAR* text, size_t count);
// The UTF-8 text of a null-terminated UTF-16 text.
std::string FromOdbcText(const SQLWCHAR* text);

}  // namespace norvik::db
