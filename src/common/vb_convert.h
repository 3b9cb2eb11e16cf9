#pragma once
// Value to text as the classic run time writes it in the fixed German locale.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/value.h"

namespace norvik {

// Text of a double: up to 15 significant digits, decimal comma, "1E-05"/"1,5E+15" outside
// 1E-5..1E15.
std::string DoubleToText(double value);
// Appends the text of a double as DoubleToText writes it, but never with an exponent: 0,00001 and
// 100000000000000000000, so that a number field keeps the number.
void AppendPlainDouble(std::string& out, double value);
// Length of the longest text WriteHundredths writes, "-999999999.99".
inline constexpr size_t kHundredthsTextMax = 13;
// Writes the text of a double of whole hundredths below 1E9 (most amounts of business tables)
// with `point` before its decimals: the digits AppendPlainDouble and the shortest text agree on.
// Returns its length, 0 for any other value.
size_t WriteHundredths(double value, char point, char* out);
// Appends the text of a value: "" for null, 1234,56, 31.12.2004, 31.12.2004 13:45:00, 13:45:00,
// Wahr/Falsch.
void AppendText(std::string& out, const Value& value);
// Length of the longest date/time text, "31.12.2004 13:45:00".
inline constexpr size_t kDateTimeTextMax = 19;
// Writes the text AppendText writes for a date/time into out; returns its length.
size_t WriteDateTimeText(const DateTime& value, char* out);
// The text of a value, as AppendText writes it.
std::string ToText(const Value& value);
// Text of a date/time: the date alone at midnight, the time alone on the zero date 30.12.1899.
std::string DateTimeToText(const DateTime& value);
// Today's date in the local time zone, at midnight.
DateTime Today();
// Today's date in the short German form (31.12.2004), as protocols and definition headers show it.
std::string TodayText();

}  // namespace norvik
