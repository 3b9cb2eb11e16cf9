#pragma once
// Letter case of UTF-8 text for the letters Windows-1252 has, as the classic UCase and LCase give
// it: the one home of case mapping and of comparing names without regard to case (ASCII alone:
// common/ascii.h).

#include <string>
#include <string_view>

namespace norvik {

// The upper-case letter of c for ASCII, Latin-1 and Š Ž Œ Ÿ; ß stays.
char32_t UpperOf(char32_t c);
// The lower-case letter of c.
char32_t LowerOf(char32_t c);
// Upper case as the classic UCase gives it for the Windows-1252 letters (ß stays); malformed
// bytes stay as they are.
std::string UpperCase(std::string_view utf8);
// Lower case of the Windows-1252 letters.
std::string LowerCase(std::string_view utf8);
// True when both texts are equal without regard to letter case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// True when text begins with prefix, letter case ignored.
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

}  // namespace norvik
