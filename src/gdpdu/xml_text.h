#pragma once
// Values in Index.xml: escaped markup and references for what ISO-8859-1 cannot carry.

#include <string>
#include <string_view>

namespace norvik {

// Appends a UTF-8 value as XML character data: "&", "<", ">" as entities, characters above
// U+00FF and the C1 controls as numeric references, characters XML forbids as "?".
void AppendXmlValue(std::string& out, std::string_view utf8);
// The ISO-8859-1 bytes of a UTF-8 text whose characters all lie below U+0100 ("?" for any other).
std::string Latin1Bytes(std::string_view utf8);

}  // namespace norvik
