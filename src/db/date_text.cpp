#include "db/date_text.h"

#include <fmt/format.h>

#include <iterator>

#include "common/ascii.h"

namespace norvik::db {
namespace {

// Reads exactly `digits` decimal digits at `pos`.
bool ReadNumber(std::string_view text, size_t& pos, size_t digits, int& out) {
    if (pos + digits > text.size()) return false;
    int value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const char c = text[pos + i];
        if (!IsAsciiDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    pos += digits;
    out = value;
    return true;
}

bool Skip(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

bool IsDigits(std::string_view text) {
    for (char c : text) {
        if (!IsAsciiDigit(c)) return false;
    }
    return true;
}

// Accepts what may follow the seconds: a fraction, then "Z" or an offset such as "+01", "-05:30".
bool IsTimeTail(std::string_view tail) {
    if (!tail.empty() && tail[0] == '.') {
        size_t n = 1;
        while (n < tail.size() && IsAsciiDigit(tail[n])) ++n;
        if (n == 1) return false;
        tail.remove_prefix(n);
    }
    if (tail.empty() || tail == "Z") return true;
    if (tail[0] != '+' && tail[0] != '-') return false;
    tail.remove_prefix(1);
    for (size_t part = 0; !tail.empty(); ++part) {
        if (part > 0 && tail[0] == ':') tail.remove_prefix(1);
        if (part > 2 || tail.size() < 2 || !IsDigits(tail.substr(0, 2))) return false;
        tail.remove_prefix(2);
    }
    return true;
}

// One second later, carried into the minute, hour and date.
void AddSecond(DateTime& v) {
    if (++v.second < 60) return;
    v.second = 0;
    if (++v.minute < 60) return;
    v.minute = 0;
    if (++v.hour < 24) return;
    v.hour = 0;
    if (++v.day <= DaysInMonth(v.year, v.month)) return;
    v.day = 1;
    if (++v.month <= 12) return;
    v.month = 1;
    ++v.year;
}

// Reads the time; roundUp tells whether a fraction of half a second or more followed the seconds.
bool ParseTimePart(std::string_view text, size_t pos, DateTime& out, bool& roundUp) {
    if (!ReadNumber(text, pos, 2, out.hour) || !Skip(text, pos, ':') ||
        !ReadNumber(text, pos, 2, out.minute))
        return false;
    out.second = 0;
    if (Skip(text, pos, ':') && !ReadNumber(text, pos, 2, out.second)) return false;
    roundUp = pos + 1 < text.size() && text[pos] == '.' && text[pos + 1] >= '5';
    return IsTimeTail(text.substr(pos));
}

// Reads the forms every database writes, "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS", at their fixed
// places; false for any other form.
bool ParseFixedForm(std::string_view text, DateTime& v) {
    const char* p = text.data();
    const auto digit = [p](size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(p[i])) - unsigned{'0'};
    };
    // Reads two digits at i into out; 0 when they are none. The checks are joined without
    // branches: the usual form passes them all.
    const auto pair = [&](size_t i, int& out) {
        const unsigned tens = digit(i), ones = digit(i + 1);
        out = static_cast<int>(tens * 10 + ones);
        return static_cast<unsigned>(tens < 10) & static_cast<unsigned>(ones < 10);
    };
    const auto is = [p](size_t i, char c) { return static_cast<unsigned>(p[i] == c); };
    int century = 0, year = 0;
    unsigned ok = pair(0, century);
    ok &= pair(2, year);
    ok &= pair(5, v.month);
    ok &= pair(8, v.day);
    ok &= is(4, '-') & is(7, '-');
    v.year = century * 100 + year;
    v.hour = v.minute = v.second = 0;
    if (text.size() == 19) {
        ok &= (is(10, ' ') | is(10, 'T')) & is(13, ':') & is(16, ':');
        ok &= pair(11, v.hour);
        ok &= pair(14, v.minute);
        ok &= pair(17, v.second);
    }
    return ok != 0;
}

}  // namespace

bool ParseDateTimeText(std::string_view text, DateTime& out) {
    DateTime v;
    if ((text.size() == 10 || text.size() == 19) && ParseFixedForm(text, v)) {
        if (!v.IsValid()) return false;
        out = v;
        return true;
    }
    size_t pos = 0;
    if (!ReadNumber(text, pos, 4, v.year) || !Skip(text, pos, '-') ||
        !ReadNumber(text, pos, 2, v.month) || !Skip(text, pos, '-') ||
        !ReadNumber(text, pos, 2, v.day))
        return false;
    v.hour = v.minute = v.second = 0;
    bool roundUp = false;
    if (pos < text.size()) {
        if (text[pos] != ' ' && text[pos] != 'T') return false;
        if (!ParseTimePart(text, pos + 1, v, roundUp)) return false;
    }
    return CompleteDateTime(v, roundUp, out);
}

bool CompleteDateTime(DateTime value, bool roundUp, DateTime& out) {
    if (!value.IsValid()) return false;
    // Fractions of a second round to the nearest second, as the classic value text does.
    if (roundUp) {
        AddSecond(value);
        if (!value.IsValid()) return false;
    }
    out = value;
    return true;
}

bool ParseTimeText(std::string_view text, DateTime& out) {
    DateTime v;
    bool roundUp = false;
    if (!ParseTimePart(text, 0, v, roundUp) || !v.IsValid()) return false;
    if (roundUp) AddSecond(v);
    out = v;
    return true;
}

bool ParseComputedDate(std::string_view text, DateTime& out) {
    const bool isoForm = text.size() >= 10 && text[4] == '-' && text[7] == '-' &&
                         (text.size() == 10 || text[10] == ' ' || text[10] == 'T');
    return isoForm && ParseDateTimeText(text, out);
}

void AppendDateTimeParam(std::string& out, const DateTime& value) {
    auto to = std::back_inserter(out);
    if (value.IsMidnight())
        fmt::format_to(to, "{:04}-{:02}-{:02}", value.year, value.month, value.day);
    else
        fmt::format_to(to, "{:04}-{:02}-{:02} {:02}:{:02}:{:02}", value.year, value.month,
                       value.day, value.hour, value.minute, value.second);
}

}  // namespace norvik::db
