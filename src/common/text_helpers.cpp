#include "common/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/text_codec.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads [sign] digits [. digits] [E|D [sign] digits] from the start; returns the length taken.
size_t ScanNumber(std::string_view s, bool& any_digit) {
    size_t i = 0;
    any_digit = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, any_digit = true;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, any_digit = true;
    }
    if (!any_digit) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

double ParseScanned(std::string_view s) {
    // from_chars, unlike strtod, does not follow the C locale; it takes neither "+" nor "D".
    std::string copy;
    copy.reserve(s.size());
    for (char c : s) {
        if (c == 'D' || c == 'd')
            copy.push_back('E');
        else if (c != '+')
            copy.push_back(c);
    }
    double v = 0;
    std::from_chars(copy.data(), copy.data() + copy.size(), v);
    return v;
}

}  // namespace

std::string GetField(int32_t index, std::string_view text, std::string_view separator,
                     std::string_view quote) {
    if (text.empty()) return index == 0 ? "0" : "";
    std::string field;
    bool inside = false;
    bool quoted = false;
    int32_t number = 1;
    for (size_t i = 0; i < text.size();) {
        const size_t len = CharLengthAt(text, i);
        const std::string_view c = text.substr(i, len);
        i += len;
        if (c == quote) {
            if (!inside) {
                inside = true;
                quoted = true;
            } else {
                inside = false;
            }
        } else if (c == separator && !inside) {
            if (number == index) break;
            field.clear();
            quoted = false;
            ++number;
        } else {
            field += c;
        }
    }
    if (number < index) {
        field.clear();
        quoted = false;
    }
    if (index == 0) return std::to_string(number);
    if (quoted) return field;
    std::string dotted = ReplaceText(field, ",", ".");
    if (auto n = ParseInvariantNumber(dotted)) return DoubleToText(*n);
    return field;
}

namespace {

double ToNumberOfText(std::string_view text) {
    std::string cleaned;
    cleaned.reserve(text.size());
    for (char c : text) {
        if (c == ',')
            cleaned.push_back('.');
        else if (c != '.')
            cleaned.push_back(c);
    }
    return Val(cleaned);
}

}  // namespace

double ToNumber(const Value& value) {
    if (IsNull(value)) return 0;
    if (const auto* text = std::get_if<std::string>(&value)) return ToNumberOfText(*text);
    return ToNumberOfText(ToText(value));
}

std::string ReplaceText(std::string text, std::string_view search, std::string_view replacement) {
    if (search.empty() || replacement.find(search) != std::string_view::npos) return text;
    // No match lies before the last one replaced, so the next search may start just before it.
    // A replacement longer than the search text can feed itself (ab -> bbaa grows
    // exponentially); stop at a bound instead of exhausting memory.
    const size_t limit = std::max<size_t>(size_t{1} << 20, text.size() * 64);
    size_t pos = text.find(search);
    while (pos != std::string::npos && text.size() <= limit) {
        text.replace(pos, search.size(), replacement);
        const size_t back = replacement.size() < search.size() ? search.size() : replacement.size();
        pos = text.find(search, pos > back ? pos - back : 0);
    }
    return text;
}

std::string BaseName(std::string_view path) {
    const size_t cut = path.find_last_of("\\/:");
    if (cut != std::string_view::npos) path = path.substr(cut + 1);
    const size_t dot = path.find('.');
    if (dot != std::string_view::npos) path = path.substr(0, dot);
    return std::string(path);
}

double Val(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') compact.push_back(c);
    bool any;
    const size_t len = ScanNumber(compact, any);
    if (len == 0) return 0;
    const double v = ParseScanned(std::string_view(compact).substr(0, len));
    return std::isfinite(v) ? v : 0;
}

std::optional<double> ParseInvariantNumber(std::string_view text) {
    text = TrimBlanks(text);
    bool any;
    const size_t len = ScanNumber(text, any);
    if (len == 0 || len != text.size()) return std::nullopt;
    const double v = ParseScanned(text);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

int32_t RoundToLong(double value) {
    const double r = std::nearbyint(value);  // the default rounding mode goes to the even neighbour
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw VbError(kErrOverflow);
    return static_cast<int32_t>(r);
}

int16_t RoundToInteger(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= -32768.0 && r <= 32767.0)) throw VbError(kErrOverflow);
    return static_cast<int16_t>(r);
}

}  // namespace norvik
