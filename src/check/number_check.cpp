#include "check/number_check.h"

#include <algorithm>

#include "common/ascii.h"

namespace norvik {
namespace {

bool SymbolAt(std::string_view value, size_t at, std::string_view symbol) {
    if (symbol.empty() || at >= value.size()) return false;
    if (symbol.size() == 1) return value[at] == symbol[0];
    return value.substr(at).starts_with(symbol);
}

// The key of digits without grouping or leading zeros; trailing decimal zeros dropped here.
void WriteCanonical(bool negative, std::string_view whole, std::string_view fraction,
                    std::string& key) {
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    key.clear();
    if (negative && !(whole.empty() && fraction.empty())) key += '-';
    if (whole.empty())
        key += '0';
    else
        key.append(whole);
    if (!fraction.empty()) key.append(".").append(fraction);
}

// "-1234.5": no grouping, no leading zeros, no trailing decimal zeros, no sign for zero.
void CanonicalNumber(bool negative, std::string_view integer, std::string_view fraction,
                     const NumberFormat& format, std::string& key) {
    if (!format.implied && std::all_of(integer.begin(), integer.end(), IsAsciiDigit)) {
        // Written without grouping: the digits are there as they are, without copies.
        const std::string_view whole =
            integer.substr(std::min(integer.find_first_not_of('0'), integer.size()));
        WriteCanonical(negative, whole, fraction, key);
        return;
    }
    std::string digits;
    for (char c : integer)
        if (IsAsciiDigit(c)) digits += c;
    std::string decimals(fraction);
    if (format.implied) {
        // The last digits are the decimals.
        const size_t places = static_cast<size_t>(format.accuracy);
        if (digits.size() < places) digits.insert(0, places - digits.size(), '0');
        decimals = digits.substr(digits.size() - places);
        digits.resize(digits.size() - places);
    }
    const size_t first = std::min(digits.find_first_not_of('0'), digits.size());
    WriteCanonical(negative, std::string_view(digits).substr(first), decimals, key);
}

}  // namespace

NumberCheck CheckNumber(std::string_view value, const NumberFormat& format, int* decimals,
                        std::string* key) {
    if (decimals) *decimals = 0;
    const std::string_view decimal = format.decimalSymbol, grouping = format.groupingSymbol;
    size_t at = 0;
    const bool negative = !value.empty() && value[0] == '-';
    if (!value.empty() && (value[0] == '-' || value[0] == '+')) at = 1;

    // The integer part: digits, grouped in threes after the first group when grouped at all.
    const size_t integerStart = at;
    size_t digits = 0;
    size_t group = 0;  // digits since the last grouping symbol (or the start)
    bool grouped = false;
    bool badGrouping = false;
    while (at < value.size()) {
        if (IsAsciiDigit(value[at])) {
            ++at;
            ++digits;
            ++group;
        } else if (SymbolAt(value, at, grouping)) {
            if (group == 0 || (grouped ? group != 3 : group > 3)) badGrouping = true;
            grouped = true;
            group = 0;
            at += grouping.size();
        } else {
            break;
        }
    }
    if (grouped && group != 3) badGrouping = true;
    const std::string_view integer = value.substr(integerStart, at - integerStart);

    std::string_view fraction;
    bool hasSymbol = false;
    if (SymbolAt(value, at, decimal)) {
        hasSymbol = true;
        at += decimal.size();
        const size_t start = at;
        while (at < value.size() && IsAsciiDigit(value[at])) ++at;
        fraction = value.substr(start, at - start);
        if (fraction.empty()) return NumberCheck::NotANumber;
    }
    if (at != value.size()) {
        // A grouping symbol among the decimals reads as a symbol in the wrong place.
        if (hasSymbol && SymbolAt(value, at, grouping)) return NumberCheck::Grouping;
        return NumberCheck::NotANumber;
    }
    if (digits == 0 && fraction.empty()) return NumberCheck::NotANumber;
    if (badGrouping) return NumberCheck::Grouping;
    if (decimals) *decimals = static_cast<int>(fraction.size());
    if (format.implied ? hasSymbol : static_cast<int>(fraction.size()) > format.accuracy)
        return NumberCheck::TooManyDecimals;
    if (key) CanonicalNumber(negative, integer, fraction, format, *key);
    return NumberCheck::Ok;
}

}  // namespace norvik
