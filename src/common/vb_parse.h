#pragma once
// Reading German number and date text the way the classic run time does (fixed German locale).

#include <optional>
#include <string_view>

#include "common/value.h"

namespace norvik {

// The number a German text stands for ("1234,5", "1.234,56", "-12,5", "(3)", "1,5E3", "12 €"),
// or nullopt. Points are group separators and are ignored wherever they follow a digit.
std::optional<double> ParseGermanNumber(std::string_view text);
// True when the text reads as a German number.
bool IsGermanNumber(std::string_view text);

// The date/time a German text stands for ("31.12.2004", "31.12.04", "2004-12-31",
// "31. Dezember 2004", "31.12.2004 13:45", "13:45:00", "1:45 PM"), or nullopt. A time alone lies
// on 30.12.1899; a date without a year is not accepted.
std::optional<DateTime> ParseGermanDate(std::string_view text);
// True when the text reads as a German date or time.
bool IsGermanDate(std::string_view text);

}  // namespace norvik
