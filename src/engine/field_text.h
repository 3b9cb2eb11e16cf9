#pragma once
// Text operations of the field formatter: number normaliser, DOS letters.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/value.h"

namespace norvik {

// The number of a German number text: digits, "-" and "," (as ".") kept, all else dropped, then the
// leading number read; 0 for null, empty or unreadable text. "1.234,56" gives 1234.56, "1234.56"
// 123456.
double NormalizeNumber(std::string_view text);
// Appends NormalizeNumber(text) in its German text form ("-1234,5"), without a detour through a
// double when the number has at most 15 significant digits.
void AppendNormalizedNumber(std::string_view text, std::string& out);
// NormalizeNumber for any value (0 for null).
double NormalizeNumber(const Value& value);
// Replaces ä ö ü Ä Ö Ü ß by the characters whose Windows-1252 codes are their DOS (code page 850)
// codes, and every other character beyond ASCII by "?", which would otherwise come out as another
// letter in DOS; returns how many of the first `counted` characters were replaced by "?".
size_t ToDosLetters(std::string& text, size_t counted = SIZE_MAX);

}  // namespace norvik
