#pragma once
// The values of a run that a field can write (field lines "LAUFWERT Name,…"): they belong to the
// run, not to a row, so their names can never be taken for a column or a parameter.

#include <optional>
#include <string>
#include <string_view>

namespace norvik {

// A value of the run.
enum class RunValue : uint8_t {
    kStartzeit,    // the run's start, date and time
    kZeitstempel,  // the run's start as text JJJJMMTThhmmssfff (to the millisecond)
    kDatumVon,     // the lower bound of the date criterion the user chose
    kDatumBis,     // its upper bound
    kWJBeginn,     // the first day of the fiscal year holding DatumVon (parameter WJBeginn: TT.MM.)
    kHeute,        // today's date
    kBenutzer,     // the user's name
};

// The run value of that name (letter case ignored), or none.
std::optional<RunValue> RunValueNamed(std::string_view name);
// The names of every run value, joined by ", ", for messages.
std::string RunValueNames();

}  // namespace norvik
