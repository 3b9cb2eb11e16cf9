#include "db/decimal_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "common/ascii.h"

namespace norvik::db {
namespace {

size_t CountDigits(std::string_view text, size_t pos) {
    size_t n = 0;
    while (pos + n < text.size() && IsAsciiDigit(text[pos + n])) ++n;
    return n;
}

// Writes the text of a value of whole hundredths below 1E9 (most amounts of business tables);
// false for any other. Such a value's shortest text is that of its hundredths: any shorter one
// would be another number of hundredths, which lies more than a double's step away.
bool WriteHundredths(double value, NumberText& out) {
    if (!(std::fabs(value) < 1e9)) return false;
    // Rounded by adding a half and cutting off: a value of whole hundredths lies far from a half,
    // where this and std::round could differ, and any other fails the test below either way.
    const double scaled = value * 100;
    auto units = static_cast<int64_t>(scaled + (scaled < 0 ? -0.5 : 0.5));
    if (static_cast<double>(units) / 100 != value) return false;
    char* p = out.data;
    if (units < 0) {
        *p++ = '-';
        units = -units;
    }
    p = std::to_chars(p, out.data + sizeof out.data, units / 100).ptr;
    if (const int64_t cents = units % 100; cents != 0) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0) *p++ = static_cast<char>('0' + cents % 10);
    }
    out.size = static_cast<size_t>(p - out.data);
    return true;
}

}  // namespace

NumberText IntegerText(int64_t value) {
    NumberText out;
    out.size = static_cast<size_t>(std::to_chars(out.data, out.data + sizeof out.data, value).ptr -
                                   out.data);
    return out;
}

bool DecimalTextOf(double value, NumberText& out) {
    if (!std::isfinite(value)) return false;
    if (value == 0) value = 0;  // no "-0"
    if (WriteHundredths(value, out)) return true;
    const auto res =
        std::to_chars(out.data, out.data + sizeof out.data, value, std::chars_format::fixed);
    if (res.ec != std::errc()) return false;
    out.size = static_cast<size_t>(res.ptr - out.data);
    return true;
}

bool IsDecimalText(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    size_t pos = negative ? 1 : 0;
    const size_t whole = CountDigits(text, pos);
    // "007" and "-0.0" are numbers, but not in the one form every back end gives them.
    if (whole == 0 || (whole > 1 && text[pos] == '0')) return false;
    const bool zeroWhole = text[pos] == '0';
    pos += whole;
    if (pos == text.size()) return !(negative && zeroWhole);
    if (text[pos] != '.') return false;
    const size_t fraction = CountDigits(text, pos + 1);
    if (fraction == 0 || pos + 1 + fraction != text.size()) return false;
    return !negative || !zeroWhole ||
           text.find_first_not_of('0', pos + 1) != std::string_view::npos;
}

bool CanonicalDecimal(std::string_view text, std::string& out) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return false;
    if (CountDigits(whole, 0) != whole.size() || CountDigits(fraction, 0) != fraction.size())
        return false;
    while (!whole.empty() && whole[0] == '0') whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    out.clear();
    if (negative && !(whole.empty() && fraction.empty())) out += '-';
    if (whole.empty()) out += '0';
    out += whole;
    if (!fraction.empty()) {
        out += '.';
        out += fraction;
    }
    return true;
}

}  // namespace norvik::db
