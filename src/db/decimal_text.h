#pragma once
// The canonical text of exact decimals: optional "-", digits, optional "." and digits, no exponent.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace norvik::db {

// Room for the text of any double in plain notation.
struct NumberText {
    char data[400];
    std::size_t size = 0;
    // The text written.
    std::string_view View() const { return {data, size}; }
};

// The text of an integer.
NumberText IntegerText(int64_t value);
// The shortest text that reads back as the same double, without exponent; false for NaN and
// infinities.
bool DecimalTextOf(double value, NumberText& out);
// True when the text already has the decimal form ("-12", "0.50").
bool IsDecimalText(std::string_view text);
// Writes the canonical form of a decimal text that may have "+", leading or trailing zeros; false
// when it is none.
bool CanonicalDecimal(std::string_view text, std::string& out);

// Reads the whole text as a number of type T (an integer or a double); false for anything else.
template <typename T>
bool ParseWholeNumber(std::string_view text, T& out) {
    const auto res = std::from_chars(text.data(), text.data() + text.size(), out);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

}  // namespace norvik::db
