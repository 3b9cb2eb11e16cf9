#pragma once
// Numbers of a data file as the table declares them: decimal symbol, digit grouping, Accuracy.

#include <string>
#include <string_view>

namespace norvik {

// How a table writes the numbers of one column, in the bytes of its character set.
struct NumberFormat {
    std::string decimalSymbol = ",";   // DecimalSymbol
    std::string groupingSymbol = ".";  // DigitGroupingSymbol
    int accuracy = 0;                  // decimals allowed after the decimal symbol
    bool implied = false;  // ImpliedAccuracy: that many decimals, written without symbol
};

// What a value is against its format.
enum class NumberCheck { Ok, NotANumber, TooManyDecimals, Grouping };

// Checks a value (a sign "-" or "+" first, digits, grouping in threes, the decimal symbol and at
// most accuracy decimals); decimals gets the count written. On Ok, key (when given) gets the value
// in one form for every way of writing it: "-1234.5" for "-1.234,50".
NumberCheck CheckNumber(std::string_view value, const NumberFormat& format, int* decimals = nullptr,
                        std::string* key = nullptr);

}  // namespace norvik
