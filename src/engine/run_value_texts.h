#pragma once
// The texts of the values of a run (LAUFWERT fields), made once when the run starts.

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "common/value.h"
#include "definition/run_values.h"

namespace norvik {

// What the run values are made of.
struct RunFacts {
    std::chrono::system_clock::time_point start;  // the run's start
    std::optional<DateTime> from, to;             // the date criterion's bounds, where given
    std::string user;                             // the user's name
    std::string fiscalYearStart;                  // the parameter WJBeginn ("TT.MM."), may be ""
};

// The text of each run value, in the order of RunValue; raises VbError 5 with a German message
// for a WJBeginn parameter that names no day and month.
std::array<std::string, 7> RunValueTexts(const RunFacts& facts);

}  // namespace norvik
