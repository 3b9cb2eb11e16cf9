#include "check/date_format.h"

#include <algorithm>
#include <array>

#include "common/ascii.h"
#include "common/value.h"

namespace norvik {
namespace {

using Part = DateFormat::Part;

struct Placeholder {
    std::string_view text;
    Part part;
};
// Longer ones first, so that YYYY is not read as two YY.
constexpr std::array<Placeholder, 7> kPlaceholders = {{{"YYYY", Part::Year4},
                                                       {"YY", Part::Year2},
                                                       {"DD", Part::Day},
                                                       {"MM", Part::Month},
                                                       {"hh", Part::Hour},
                                                       {"mm", Part::Minute},
                                                       {"ss", Part::Second}}};

size_t Digits(Part part) {
    return part == Part::Year4 ? 4 : 2;
}

// Without a year, 29 February may be a date.
int LastDay(int month, int year, bool yearKnown) {
    return DaysInMonth(yearKnown ? year : 2000, month);
}

}  // namespace

std::optional<DateFormat> ParseDateFormat(std::string_view text, std::string* unknown) {
    DateFormat format;
    format.text = text;
    for (size_t i = 0; i < text.size();) {
        const auto it =
            std::find_if(kPlaceholders.begin(), kPlaceholders.end(),
                         [&](const Placeholder& p) { return text.substr(i).starts_with(p.text); });
        if (it != kPlaceholders.end()) {
            format.tokens.push_back({it->part, 0});
            i += it->text.size();
            continue;
        }
        const char c = text[i];
        if (IsAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80 ||
            static_cast<unsigned char>(c) < 0x20) {
            if (unknown) {
                size_t end = i + 1;
                while (end < text.size() && text[end] == c) ++end;
                *unknown = std::string(text.substr(i, end - i));
            }
            return std::nullopt;
        }
        format.tokens.push_back({Part::Literal, c});
        ++i;
    }
    return format;
}

const DateFormat& DefaultDateFormat() {
    static const DateFormat format = *ParseDateFormat("DD.MM.YYYY");
    return format;
}

DateCheck CheckDate(std::string_view value, const DateFormat& format, int epoch, std::string* key) {
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    bool hasDay = false, hasMonth = false, hasYear = false;
    size_t at = 0;
    for (const DateFormat::Token& token : format.tokens) {
        if (token.part == Part::Literal) {
            if (at >= value.size() || value[at] != token.literal) return DateCheck::WrongForm;
            ++at;
            continue;
        }
        const size_t digits = Digits(token.part);
        if (value.size() - at < digits) return DateCheck::WrongForm;
        int number = 0;
        for (size_t k = 0; k < digits; ++k) {
            const char c = value[at + k];
            if (!IsAsciiDigit(c)) return DateCheck::WrongForm;
            number = number * 10 + (c - '0');
        }
        at += digits;
        switch (token.part) {
            case Part::Day:
                day = number, hasDay = true;
                break;
            case Part::Month:
                month = number, hasMonth = true;
                break;
            case Part::Year4:
                year = number, hasYear = true;
                break;
            case Part::Year2:
                year = number < epoch ? 2000 + number : 1900 + number, hasYear = true;
                break;
            case Part::Hour:
                hour = number;
                break;
            case Part::Minute:
                minute = number;
                break;
            case Part::Second:
                second = number;
                break;
            case Part::Literal:
                break;
        }
    }
    if (at != value.size()) return DateCheck::WrongForm;
    if ((hasMonth && (month < 1 || month > 12)) || (hasDay && day < 1) ||
        (hasDay && day > (hasMonth ? LastDay(month, year, hasYear) : 31)) || hour > 23 ||
        minute > 59 || second > 59)
        return DateCheck::Impossible;
    if (key) {
        const int parts[] = {year / 100, year % 100, month, day, hour, minute, second};
        char text[2 * std::size(parts)];
        for (size_t i = 0; i < std::size(parts); ++i) {
            text[2 * i] = static_cast<char>('0' + parts[i] / 10);
            text[2 * i + 1] = static_cast<char>('0' + parts[i] % 10);
        }
        key->assign(text, sizeof text);
    }
    return DateCheck::Ok;
}

}  // namespace norvik
