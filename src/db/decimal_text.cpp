#include "db/decimal_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "common/ascii.h"
#include "common/vb_convert.h"

namespace norvik::db {
namespace {

size_t CountDigits(std::string_view text, size_t pos) {
    size_t n = 0;
    while (pos + n < text.size() && IsAsciiDigit(text[pos + n])) ++n;
    return n;
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
    if ((out.size = WriteHundredths(value, '.', out.data)) > 0) return true;
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
