#include "common/vb_format_digits.h"

#include <charconv>
#include <cmath>

#include "common/ascii.h"

namespace norvik::vbfmt {

Digits Digits::FromDouble(double value) {
    Digits d;
    if (!std::isfinite(value) || value == 0) return d;
    d.negative = value < 0;
    char buf[40];
    // "d.dddddddddddddde+xx": 15 significant digits, correctly rounded, whatever the C locale
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    if (res.ec != std::errc()) return Digits{};
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (IsAsciiDigit(*p)) d.digits.push_back(*p);
    }
    int exponent = 0;
    if (p < res.ptr) {
        ++p;
        if (p < res.ptr && *p == '+') ++p;
        std::from_chars(p, res.ptr, exponent);
    }
    d.point = exponent + 1;
    d.Normalize();
    return d;
}

Digits Digits::FromInt(int64_t value) {
    Digits d;
    d.negative = value < 0;
    uint64_t u = d.negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    while (u > 0) {
        d.digits.insert(d.digits.begin(), static_cast<char>('0' + u % 10));
        u /= 10;
    }
    d.point = static_cast<int>(d.digits.size());
    d.Normalize();
    return d;
}

std::optional<Digits> Digits::FromDecimalText(std::string_view text) {
    Digits d;
    size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        d.negative = true;
        ++i;
    }
    bool any = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsAsciiDigit(c)) {
            d.digits.push_back(c);
            if (!point) ++d.point;
            any = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!any || d.digits.size() > 100000) return std::nullopt;
    d.Normalize();
    return d;
}

void Digits::Normalize() {
    size_t lead = 0;
    while (lead < digits.size() && digits[lead] == '0') ++lead;
    digits.erase(0, lead);
    point -= static_cast<int>(lead);
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) point = 0;
}

void Digits::Shift(int n) {
    if (!IsZero()) point += n;
}

void Digits::RoundAt(int keep) {
    if (keep >= static_cast<int>(digits.size())) return;
    if (keep < 0) {
        digits.clear();
        point = 0;
        return;
    }
    const bool up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && digits[static_cast<size_t>(i)] == '9')
            digits[static_cast<size_t>(i--)] = '0';
        if (i >= 0) {
            ++digits[static_cast<size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            ++point;
        }
    }
    Normalize();
}

void Digits::RoundToDecimals(int decimals) {
    RoundAt(point + decimals);
}

void Digits::RoundToSignificant(int count) {
    RoundAt(count < 1 ? 1 : count);
}

char Digits::DigitAt(int power) const {
    const int index = point - 1 - power;
    if (index < 0 || index >= static_cast<int>(digits.size())) return '0';
    return digits[static_cast<size_t>(index)];
}

double Digits::ToDouble() const {
    if (IsZero()) return 0;
    if (point > 400) return negative ? -HUGE_VAL : HUGE_VAL;
    if (point < -400) return 0;
    std::string text = negative ? "-0." : "0.";
    text += digits.substr(0, 40);
    text += "e" + std::to_string(point);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace norvik::vbfmt
