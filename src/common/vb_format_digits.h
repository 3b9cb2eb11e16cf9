#pragma once
// A number as decimal digits, so that formats round it the way the classic run time does.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace norvik::vbfmt {

// The absolute value is 0.<digits> times ten to the power of point; the sign is kept apart.
struct Digits {
    bool negative = false;
    // Significant digits without leading or trailing zeros; empty for zero.
    std::string digits;
    // Number of digits before the decimal point (negative for values below 0.1).
    int point = 0;

    // True for zero.
    bool IsZero() const { return digits.empty(); }
    // A double with the 15 significant digits the run time keeps.
    static Digits FromDouble(double value);
    // An integer, exactly.
    static Digits FromInt(int64_t value);
    // A canonical decimal text ("-123.45"), exactly; nullopt when the text is not one.
    static std::optional<Digits> FromDecimalText(std::string_view text);
    // Multiplies by ten to the power of n.
    void Shift(int n);
    // Rounds half away from zero to the given number of decimals.
    void RoundToDecimals(int decimals);
    // Rounds half away from zero to the given number of significant digits (at least one).
    void RoundToSignificant(int count);
    // The digit at a position counted from the decimal point: 0 is the ones, -1 the tenths.
    char DigitAt(int power) const;
    // The value as a double (for date serials).
    double ToDouble() const;

  private:
    void RoundAt(int keep);
    void Normalize();
};

}  // namespace norvik::vbfmt
