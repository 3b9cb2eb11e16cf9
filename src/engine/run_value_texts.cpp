#include "engine/run_value_texts.h"

#include <fmt/format.h>

#include <ctime>
#include <tuple>
#include <utility>

#include "common/ascii.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

// Day and month of "TT.MM.", "TT.MM", "TT.MM.JJJJ" or "TTMM"; none for another text.
std::optional<std::pair<int, int>> DayAndMonth(const std::string& text) {
    std::string digits;
    for (const char c : text) {
        if (IsAsciiDigit(c))
            digits += c;
        else if (c != '.' && c != ' ')
            return std::nullopt;
    }
    const bool dotted = text.find('.') != std::string::npos;
    if (digits.size() < 4 || (!dotted && digits.size() != 4)) return std::nullopt;
    const int day = std::stoi(digits.substr(0, 2)), month = std::stoi(digits.substr(2, 2));
    // 29 February would be no day in most years.
    if (month < 1 || month > 12 || day < 1 || !DateTime{2001, month, day, 0, 0, 0}.IsValid())
        return std::nullopt;
    return std::pair{day, month};
}

}  // namespace

std::array<std::string, 7> RunValueTexts(const RunFacts& facts) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(facts.start);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(facts.start.time_since_epoch()) %
        1000;
    const DateTime start{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};

    int fiscalDay = 1, fiscalMonth = 1;
    if (!facts.fiscalYearStart.empty()) {
        const auto dayMonth = DayAndMonth(facts.fiscalYearStart);
        if (!dayMonth)
            throw VbError(kErrInvalidArgument,
                          fmt::format("Der Parameter WJBeginn \"{}\" nennt keinen Tag und Monat "
                                      "(TT.MM.) für den Beginn des Wirtschaftsjahres.",
                                      facts.fiscalYearStart));
        std::tie(fiscalDay, fiscalMonth) = *dayMonth;
    }
    const DateTime from = facts.from.value_or(Today());
    const bool beforeStart =
        from.month < fiscalMonth || (from.month == fiscalMonth && from.day < fiscalDay);
    const DateTime fiscalStart{from.year - (beforeStart ? 1 : 0), fiscalMonth, fiscalDay, 0, 0, 0};

    const auto text = [](const std::optional<DateTime>& date) {
        return date ? DateTimeToText(*date) : std::string();
    };
    return {DateTimeToText(start),
            fmt::format("{:04}{:02}{:02}{:02}{:02}{:02}{:03}", start.year, start.month, start.day,
                        start.hour, start.minute, start.second, millis.count()),
            text(facts.from),
            text(facts.to),
            DateTimeToText(fiscalStart),
            TodayText(),
            facts.user};
}

}  // namespace norvik
