#pragma once
// The values a user types into a criterion, read strictly: German numbers and dates.

#include <optional>
#include <string>
#include <string_view>

#include "selection/civil_date.h"

namespace norvik {

// A German number ("1.234,56", "-12,5", "1234", ",5"; points only between groups of three
// digits) as an SQL number literal ("1234.56"), or nullopt.
std::optional<std::string> GermanNumberToSql(std::string_view text);
// A German date "dd.mm.yyyy" (day and month also with one digit) that exists in the calendar, or
// nullopt.
std::optional<CivilDate> ParseGermanDay(std::string_view text);

}  // namespace norvik
