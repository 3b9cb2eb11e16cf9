#include "selection/entry_values.h"

#include <charconv>
#include <string>

#include "common/ascii.h"

namespace norvik {
namespace {

// Digits with optional group points ("1.234.567"); appends the digits alone.
bool ReadIntegerPart(std::string_view text, std::string& digits) {
    const size_t firstPoint = text.find('.');
    const std::string_view lead = text.substr(0, firstPoint);
    if (lead.empty() && firstPoint != std::string_view::npos) return false;
    if (firstPoint != std::string_view::npos && lead.size() > 3) return false;
    for (const char c : lead) {
        if (!IsAsciiDigit(c)) return false;
        digits += c;
    }
    for (size_t p = firstPoint; p != std::string_view::npos;) {
        const std::string_view group = text.substr(p + 1, 3);
        if (group.size() != 3) return false;
        for (const char c : group) {
            if (!IsAsciiDigit(c)) return false;
            digits += c;
        }
        p += 4;
        if (p == text.size()) break;
        if (text[p] != '.') return false;
    }
    return true;
}

std::optional<int> ReadNumber(std::string_view text, size_t minDigits, size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !IsAsciiDigit(text.front()))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::string> GermanNumberToSql(std::string_view text) {
    std::string sql;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        if (text.front() == '-') sql += '-';
        text.remove_prefix(1);
    }
    const size_t comma = text.find(',');
    const std::string_view whole = text.substr(0, comma);
    std::string digits;
    if (!ReadIntegerPart(whole, digits)) return std::nullopt;
    if (digits.empty()) digits = "0";
    sql += digits;
    if (comma == std::string_view::npos) return whole.empty() ? std::nullopt : std::optional(sql);
    const std::string_view fraction = text.substr(comma + 1);
    if (fraction.empty()) return std::nullopt;
    for (const char c : fraction)
        if (!IsAsciiDigit(c)) return std::nullopt;
    return sql + "." + std::string(fraction);
}

std::optional<CivilDate> ParseGermanDay(std::string_view text) {
    const size_t first = text.find('.');
    const size_t second = first == std::string_view::npos ? first : text.find('.', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto day = ReadNumber(text.substr(0, first), 1, 2);
    const auto month = ReadNumber(text.substr(first + 1, second - first - 1), 1, 2);
    const auto year = ReadNumber(text.substr(second + 1), 4, 4);
    if (!day || !month || !year || *month < 1 || *month > 12 || *year < 1 || *day < 1 ||
        *day > DaysInMonth(*year, *month))
        return std::nullopt;
    return CivilDate{*year, *month, *day};
}

}  // namespace norvik
