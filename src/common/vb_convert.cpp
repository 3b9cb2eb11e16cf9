#include "common/vb_convert.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace norvik {
namespace {

// "00" to "99", so that two digits take one copy instead of two divisions.
constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* PutTwoDigits(char* p, int n) {
    if (n >= 0 && n < 100) {
        p[0] = kPairs[2 * n];
        p[1] = kPairs[2 * n + 1];
    } else {
        p[0] = static_cast<char>('0' + n / 10 % 10);
        p[1] = static_cast<char>('0' + n % 10);
    }
    return p + 2;
}

char* PutDate(char* p, const DateTime& v) {
    p = PutTwoDigits(p, v.day);
    *p++ = '.';
    p = PutTwoDigits(p, v.month);
    *p++ = '.';
    const int year = v.year < 0 ? 0 : v.year % 10000;
    p = PutTwoDigits(p, year / 100);
    return PutTwoDigits(p, year % 100);
}

char* PutTime(char* p, const DateTime& v) {
    p = PutTwoDigits(p, v.hour);
    *p++ = ':';
    p = PutTwoDigits(p, v.minute);
    *p++ = ':';
    return PutTwoDigits(p, v.second);
}

void AppendDateTime(std::string& out, const DateTime& v) {
    char text[kDateTimeTextMax];
    out.append(text, WriteDateTimeText(v, text));
}

// to_chars, unlike printf, does not follow the C locale a GUI host may have switched.
void AppendDouble(std::string& out, double value) {
    if (value == 0) value = 0;  // no "-0"
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (res.ec != std::errc()) return;
    for (const char* p = buf; p != res.ptr; ++p) {
        const char c = *p;
        out.push_back(c == '.' ? ',' : (c == 'e' ? 'E' : c));
    }
}

// Canonical decimal text without trailing fraction zeros, with a decimal comma.
void AppendDecimal(std::string& out, const std::string& text) {
    std::string_view t = text;
    const size_t point = t.find('.');
    if (point != std::string_view::npos) {
        size_t end = t.size();
        while (end > point + 1 && t[end - 1] == '0') --end;
        if (end == point + 1) end = point;
        t = t.substr(0, end);
    }
    if (t.empty() || t == "-" || t == "-0") {
        out.push_back('0');
        return;
    }
    for (char c : t) out.push_back(c == '.' ? ',' : c);
}

}  // namespace

size_t WriteHundredths(double value, char point, char* out) {
    if (!(std::fabs(value) < 1e9)) return 0;
    // Rounded by adding a half and cutting off: a value of whole hundredths lies far from a half,
    // where this and std::round could differ, and any other fails the test below either way.
    const double scaled = value * 100;
    auto units = static_cast<int64_t>(scaled + (scaled < 0 ? -0.5 : 0.5));
    // Any shorter text would be another number of hundredths, which lies more than a double's
    // step away; and at most 11 digits, the 15 significant ones hold them all.
    if (static_cast<double>(units) / 100 != value) return 0;
    char* p = out;
    if (units < 0) {
        *p++ = '-';
        units = -units;
    }
    p = std::to_chars(p, out + kHundredthsTextMax, units / 100).ptr;
    if (const int64_t cents = units % 100; cents != 0) {
        *p++ = point;
        *p++ = static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0) *p++ = static_cast<char>('0' + cents % 10);
    }
    return static_cast<size_t>(p - out);
}

void AppendPlainDouble(std::string& out, double value) {
    if (value == 0 || !std::isfinite(value)) {
        AppendDouble(out, value);
        return;
    }
    // The general way below is ten times slower: to_chars with a precision.
    char hundredths[kHundredthsTextMax];
    if (const size_t length = WriteHundredths(value, ',', hundredths); length > 0) {
        out.append(hundredths, length);
        return;
    }
    // The 15 significant digits as "d.dddddddddddddde-05", then the point moved by the exponent.
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    if (res.ec != std::errc()) return;
    const std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
    const size_t e = text.find('e');
    int exponent = 0;
    const char* sign = text.data() + e + 1;
    std::from_chars(sign + (*sign == '+' ? 1 : 0), res.ptr, exponent);
    char digitBuf[16];
    size_t count = 0;
    for (const char c : text.substr(0, e))
        if (c >= '0' && c <= '9') digitBuf[count++] = c;
    while (count > 1 && digitBuf[count - 1] == '0') --count;
    const std::string_view digits(digitBuf, count);
    if (value < 0) out.push_back('-');
    const int whole = exponent + 1;  // digits before the comma
    if (whole <= 0) {
        out.append("0,");
        out.append(static_cast<size_t>(-whole), '0');
        out.append(digits);
    } else if (static_cast<size_t>(whole) >= count) {
        out.append(digits);
        out.append(static_cast<size_t>(whole) - count, '0');
    } else {
        out.append(digits.substr(0, static_cast<size_t>(whole)));
        out.push_back(',');
        out.append(digits.substr(static_cast<size_t>(whole)));
    }
}

std::string DoubleToText(double value) {
    std::string out;
    AppendDouble(out, value);
    return out;
}

std::string DateTimeToText(const DateTime& value) {
    std::string out;
    AppendDateTime(out, value);
    return out;
}

void AppendText(std::string& out, const Value& value) {
    switch (value.index()) {
        case kValueIndex<Null>:
            break;
        case kValueIndex<int64_t>: {
            char buf[24];
            auto res = std::to_chars(buf, buf + sizeof buf, std::get<int64_t>(value));
            out.append(buf, res.ptr);
            break;
        }
        case kValueIndex<double>:
            AppendDouble(out, std::get<double>(value));
            break;
        case kValueIndex<Decimal>:
            AppendDecimal(out, std::get<Decimal>(value).text);
            break;
        case kValueIndex<std::string>:
            out += std::get<std::string>(value);
            break;
        case kValueIndex<DateTime>:
            AppendDateTime(out, std::get<DateTime>(value));
            break;
        case kValueIndex<bool>:
            out += std::get<bool>(value) ? "Wahr" : "Falsch";
            break;
    }
}

size_t WriteDateTimeText(const DateTime& value, char* out) {
    // Written into a buffer first: a character at a time into the string costs a capacity check
    // each, and every date of an export comes this way.
    char* p = out;
    if (value.IsZeroDate()) {
        p = PutTime(p, value);
    } else {
        p = PutDate(p, value);
        if (!value.IsMidnight()) {
            *p++ = ' ';
            p = PutTime(p, value);
        }
    }
    return static_cast<size_t>(p - out);
}

std::string ToText(const Value& value) {
    std::string out;
    AppendText(out, value);
    return out;
}

DateTime Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    DateTime today;
    today.year = local.tm_year + 1900;
    today.month = local.tm_mon + 1;
    today.day = local.tm_mday;
    return today;
}

std::string TodayText() {
    return DateTimeToText(Today());
}

}  // namespace norvik
