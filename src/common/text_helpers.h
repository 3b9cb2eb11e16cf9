#pragma once
// Helpers that take the values of profile lines apart: fields, numbers, replacement, base names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/value.h"

namespace norvik {

// The index-th field (1-based) of a separated line, quotes removed; index 0 gives the field count.
// An unquoted field that reads as a number ("," taken as ".") comes back in its German text form.
std::string GetField(int32_t index, std::string_view text, std::string_view separator,
                     std::string_view quote);
// German number text to double: "," becomes ".", "." is dropped, then the leading number (0 for
// null).
double ToNumber(const Value& value);
// Replaces every occurrence again and again until none is left, in place; unchanged for an empty
// search text or a replacement that contains the search text. A single byte takes a single pass.
void ReplaceInPlace(std::string& text, std::string_view search, std::string_view replacement);
// ReplaceInPlace on the text, returned.
std::string ReplaceText(std::string text, std::string_view search, std::string_view replacement);
// The file name without folder and without everything from its first ".".
std::string BaseName(std::string_view path);

// The leading number of a text read with "." as decimal point, blanks ignored, 0 when none (classic
// Val).
double Val(std::string_view text);
// The number when the whole text (blanks around allowed) is one, with "." as decimal point.
std::optional<double> ParseInvariantNumber(std::string_view text);
// Rounds to the nearest 32-bit integer, halves to the even neighbour; raises 6 (overflow) outside
// the range.
int32_t RoundToLong(double value);
// Rounds to the nearest 16-bit integer, halves to the even neighbour; raises 6 (overflow) outside
// the range.
int16_t RoundToInteger(double value);

}  // namespace norvik
