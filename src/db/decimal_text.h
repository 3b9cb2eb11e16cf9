#pragma once
// The canonical text of exact decimals: optional "-", digits, optional "." and digits, no exponent.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

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
// True when the text already has the decimal form ("-12", "0.50"; not "007" or "-0.0").
bool IsDecimalText(std::string_view text);
// Writes the canonical form of a decimal text that may have "+", leading or trailing zeros; false
// when it is none.
bool CanonicalDecimal(std::string_view text, std::string& out);

// Reads the whole text as a number of type T (an integer or a double); false for anything else.
template <typename T>
bool ParseWholeNumber(std::string_view text, T& out) {
    if constexpr (std::is_same_v<T, int64_t>) {
        // Up to 18 digits cannot overflow: read them here, which is several times quicker than
        // from_chars for the short numbers of real tables.
        const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
        if (text.size() > sign && text.size() - sign <= 18) {
            int64_t value = 0;
            for (size_t i = sign; i < text.size(); ++i) {
                const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
                if (digit > 9) return false;
                value = value * 10 + digit;
            }
            out = sign ? -value : value;
            return true;
        }
    }
    const auto res = std::from_chars(text.data(), text.data() + text.size(), out);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

}  // namespace norvik::db
