#include <charconv>
#include <cmath>
#include <string>

#include "common/ascii.h"
#include "common/text_codec.h"
#include "common/vb_parse.h"

namespace norvik {
namespace {

constexpr std::string_view kEuro = "\xE2\x82\xAC";

bool ConsumeEuro(std::string_view& s) {
    if (s.substr(0, kEuro.size()) != kEuro) return false;
    s = TrimWhite(s.substr(kEuro.size()));
    return true;
}

// Sign, parentheses and currency around the digits, in the orders the run time accepts.
struct Affixes {
    bool negative = false;
    bool sign = false;
    bool parens = false;
    bool euro = false;
};

bool ConsumePrefix(std::string_view& s, Affixes& a) {
    for (;;) {
        if (s.empty()) return true;
        const char c = s.front();
        if (c == '(' && !a.parens && !a.sign) {
            a.parens = true;
            s = TrimWhite(s.substr(1));
        } else if ((c == '-' || c == '+') && !a.sign) {
            a.sign = true;
            a.negative = c == '-';
            s.remove_prefix(1);
        } else if (!a.euro && ConsumeEuro(s)) {
            a.euro = true;
        } else {
            return true;
        }
    }
}

bool ConsumeSuffix(std::string_view& s, Affixes& a) {
    s = TrimWhite(s);
    if (!a.euro && ConsumeEuro(s)) a.euro = true;
    if (!s.empty() && (s.front() == '-' || s.front() == '+') && !a.sign && !a.parens) {
        a.sign = true;
        a.negative = s.front() == '-';
        s = TrimWhite(s.substr(1));
    }
    if (!a.euro && ConsumeEuro(s)) a.euro = true;
    if (a.parens) {
        if (s.empty() || s.front() != ')') return false;
        s = TrimWhite(s.substr(1));
        if (!a.euro && ConsumeEuro(s)) a.euro = true;
    }
    return s.empty();
}

// Copies mantissa and exponent into C syntax; stops at the first character that does not belong.
bool ConsumeBody(std::string_view& s, std::string& out) {
    bool digit = false;
    bool comma = false;
    size_t i = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (IsAsciiDigit(c)) {
            digit = true;
            out.push_back(c);
        } else if (c == '.' && digit) {
            // a group separator, wherever it stands after a digit
        } else if (c == ',' && !comma) {
            comma = true;
            out.push_back('.');
        } else {
            break;
        }
    }
    if (!digit) return false;
    if (out.back() == '.') out.push_back('0');
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        const size_t first = j;
        while (j < s.size() && IsAsciiDigit(s[j])) exponent.push_back(s[j++]);
        if (j == first) return false;
        out += exponent;
        i = j;
    }
    s.remove_prefix(i);
    return true;
}

}  // namespace

std::optional<double> ParseGermanNumber(std::string_view text) {
    std::string_view s = TrimWhite(text);
    Affixes affixes;
    if (!ConsumePrefix(s, affixes)) return std::nullopt;
    std::string body = "0";
    if (!ConsumeBody(s, body) || !ConsumeSuffix(s, affixes)) return std::nullopt;
    double value = 0;
    const auto res = std::from_chars(body.data(), body.data() + body.size(), value);
    if (res.ec != std::errc() || res.ptr != body.data() + body.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    if (value == 0) return 0.0;
    return affixes.negative || affixes.parens ? -value : value;
}

bool IsGermanNumber(std::string_view text) {
    return ParseGermanNumber(text).has_value();
}

}  // namespace norvik
