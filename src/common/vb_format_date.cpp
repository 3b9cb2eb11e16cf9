#include "common/vb_format_date.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <iterator>

#include "common/ascii.h"
#include "common/vb_convert.h"
#include "common/vb_format_lex.h"
#include "common/vb_format_text.h"

namespace norvik::vbfmt {
namespace {

// The German names as the classic Windows locale spells them (Monday first).
constexpr std::array<std::string_view, 7> kDayNames = {
    "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};
constexpr std::array<std::string_view, 7> kDayAbbr = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
constexpr std::array<std::string_view, 12> kMonthNames = {
    "Januar", "Februar", "M\xC3\xA4rz", "April",   "Mai",      "Juni",
    "Juli",   "August",  "September",   "Oktober", "November", "Dezember"};
constexpr std::array<std::string_view, 12> kMonthAbbr = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun",
                                                         "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};

// How often a code letter repeats; no code is longer than six, so counting stops there.
size_t RunLength(std::string_view rest, char lower) {
    size_t n = 0;
    while (n < rest.size() && n < 7 && AsciiLower(rest[n]) == lower) ++n;
    return n;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Monday 0 to Sunday 6; the serial day 0 (30.12.1899) was a Saturday.
int MondayIndex(int64_t serial) {
    return static_cast<int>(((serial + 5) % 7 + 7) % 7);
}

int DayOfYear(const DateTime& v) {
    const DateTime first{v.year, 1, 1, 0, 0, 0};
    return static_cast<int>(v.DaySerial() - first.DaySerial()) + 1;
}

int IsoWeeksInYear(int year) {
    const int jan1 = MondayIndex(DateTime{year, 1, 1, 0, 0, 0}.DaySerial());
    return jan1 == 3 || (jan1 == 2 && IsLeap(year)) ? 53 : 52;
}

void AppendInt(std::string& out, int value, int width) {
    fmt::format_to(std::back_inserter(out), "{:0{}}", value, width);
}

void AppendLongDate(std::string& out, const DateTime& v, int weekday) {
    out += kDayNames[static_cast<size_t>(weekday)];
    out += ", ";
    AppendInt(out, v.day, 1);
    out += ". ";
    out += kMonthNames[static_cast<size_t>(v.month - 1)];
    out.push_back(' ');
    AppendInt(out, v.year, 4);
}

Op DayOp(size_t n) {
    static constexpr Op kOps[] = {Op::kDay,     Op::kDay2,      Op::kDayAbbr,
                                  Op::kDayName, Op::kShortDate, Op::kLongDate};
    return kOps[n - 1];
}

}  // namespace

int ClassicWeekOfYear(const DateTime& v) {
    const int weekday = MondayIndex(v.DaySerial()) + 1;
    int week = (DayOfYear(v) - weekday + 10) / 7;
    if (week < 1) return IsoWeeksInYear(v.year - 1);
    if (week > IsoWeeksInYear(v.year)) {
        week = 1;
        // the classic function's known slip: the Monday that opens week 1 before a leap year
        if (weekday == 1 && IsLeap(v.year + 1)) week = 53;
    }
    return week;
}

void BuildDateSection(std::string_view text, Section& section) {
    Lexer lex(text);
    bool afterHour = false;
    auto add = [&](Op op, size_t length) {
        section.items.push_back({op});
        lex.Skip(length - 1);
        afterHour = op == Op::kHour || op == Op::kHour2;
    };
    while (!lex.AtEnd()) {
        const std::string_view rest = lex.Rest();
        const Piece p = lex.Next();
        if (p.literal) {
            AddLiteral(section, p.text);
            continue;
        }
        const char c = AsciiLower(p.text[0]);
        const size_t run = RunLength(rest, c);
        switch (c) {
            case 'd':
                add(DayOp(std::min<size_t>(run, 6)), std::min<size_t>(run, 6));
                break;
            case 'm':
                if (run >= 4) {
                    add(Op::kMonthName, 4);
                } else if (run == 3) {
                    add(Op::kMonthAbbr, 3);
                } else if (afterHour) {
                    add(run == 2 ? Op::kMinute2 : Op::kMinute, run);
                } else {
                    add(run == 2 ? Op::kMonth2 : Op::kMonth, run);
                }
                break;
            case 'y':
                if (run >= 4) {
                    add(Op::kYear4, 4);
                } else if (run >= 2) {
                    add(Op::kYear2, 2);
                } else {
                    add(Op::kDayOfYear, 1);
                }
                break;
            case 'h':
                add(run >= 2 ? Op::kHour2 : Op::kHour, std::min<size_t>(run, 2));
                break;
            case 'n':
                add(run >= 2 ? Op::kMinute2 : Op::kMinute, std::min<size_t>(run, 2));
                break;
            case 's':
                add(run >= 2 ? Op::kSecond2 : Op::kSecond, std::min<size_t>(run, 2));
                break;
            case 'w':
                add(run >= 2 ? Op::kWeek : Op::kWeekday, std::min<size_t>(run, 2));
                break;
            case 'q':
                add(Op::kQuarter, 1);
                break;
            case 'c':
                add(Op::kGeneralDate, 1);
                break;
            case 't':
                if (run >= 5) {
                    add(Op::kLongTime, 5);
                } else {
                    AddLiteral(section, p.text);
                }
                break;
            case 'a': {
                const size_t n = AmPmLength(rest);
                if (n == 0) {
                    AddLiteral(section, p.text);
                    break;
                }
                section.twelveHour = true;
                if (n == 4) {
                    add(Op::kAmPmLocale, 4);
                    break;
                }
                const size_t half = n == 5 ? 2 : 1;
                section.items.push_back({Op::kAmPm, static_cast<uint32_t>(section.pool.size()),
                                         static_cast<uint32_t>(half)});
                section.pool.append(rest.substr(0, half));
                section.pool.append(rest.substr(half + 1, half));
                lex.Skip(n - 1);
                afterHour = false;
                break;
            }
            case '/':
                section.items.push_back({Op::kDateSep});
                break;
            case ':':
                section.items.push_back({Op::kTimeSep});
                break;
            default:
                AddCaseOrLiteral(section, p.text);
                break;
        }
    }
}

void AppendDate(const Section& section, const DateTime& v, std::string& out) {
    const size_t start = out.size();
    const int weekday = MondayIndex(v.DaySerial());
    const int hour = section.twelveHour ? (v.hour % 12 == 0 ? 12 : v.hour % 12) : v.hour;
    for (const Item& item : section.items) {
        switch (item.op) {
            case Op::kLiteral:
                out.append(section.pool, item.offset, item.length);
                break;
            case Op::kDay:
                AppendInt(out, v.day, 1);
                break;
            case Op::kDay2:
                AppendInt(out, v.day, 2);
                break;
            case Op::kDayAbbr:
                out += kDayAbbr[static_cast<size_t>(weekday)];
                break;
            case Op::kDayName:
                out += kDayNames[static_cast<size_t>(weekday)];
                break;
            case Op::kShortDate:
                AppendInt(out, v.day, 2);
                out.push_back('.');
                AppendInt(out, v.month, 2);
                out.push_back('.');
                AppendInt(out, v.year, 4);
                break;
            case Op::kLongDate:
                AppendLongDate(out, v, weekday);
                break;
            case Op::kWeekday:
                AppendInt(out, weekday + 1, 1);
                break;
            case Op::kWeek:
                AppendInt(out, ClassicWeekOfYear(v), 1);
                break;
            case Op::kMonth:
                AppendInt(out, v.month, 1);
                break;
            case Op::kMonth2:
                AppendInt(out, v.month, 2);
                break;
            case Op::kMonthAbbr:
                out += kMonthAbbr[static_cast<size_t>(v.month - 1)];
                break;
            case Op::kMonthName:
                out += kMonthNames[static_cast<size_t>(v.month - 1)];
                break;
            case Op::kQuarter:
                AppendInt(out, (v.month - 1) / 3 + 1, 1);
                break;
            case Op::kDayOfYear:
                AppendInt(out, DayOfYear(v), 1);
                break;
            case Op::kYear2:
                AppendInt(out, v.year % 100, 2);
                break;
            case Op::kYear4:
                AppendInt(out, v.year, 4);
                break;
            case Op::kHour:
                AppendInt(out, hour, 1);
                break;
            case Op::kHour2:
                AppendInt(out, hour, 2);
                break;
            case Op::kMinute:
                AppendInt(out, v.minute, 1);
                break;
            case Op::kMinute2:
                AppendInt(out, v.minute, 2);
                break;
            case Op::kSecond:
                AppendInt(out, v.second, 1);
                break;
            case Op::kSecond2:
                AppendInt(out, v.second, 2);
                break;
            case Op::kLongTime:
                AppendInt(out, v.hour, 2);
                out.push_back(':');
                AppendInt(out, v.minute, 2);
                out.push_back(':');
                AppendInt(out, v.second, 2);
                break;
            case Op::kGeneralDate:
                out += DateTimeToText(v);
                break;
            case Op::kAmPm:
                out.append(section.pool, item.offset + (v.hour < 12 ? 0 : item.length),
                           item.length);
                break;
            case Op::kAmPmLocale:
                break;  // the German locale has no AM/PM designators
            case Op::kDateSep:
                out.push_back('.');
                break;
            case Op::kTimeSep:
                out.push_back(':');
                break;
            default:
                break;
        }
    }
    ChangeCase(out, start, section.textCase);
}

}  // namespace norvik::vbfmt
