#pragma once
// The period a user's date criterion spans, for the fields that write it (DatumVon, DatumBis).

#include <optional>

#include "common/value.h"
#include "selection/criteria.h"

namespace norvik {

// The first and last day of a period; either may be missing.
struct DatePeriod {
    std::optional<DateTime> from, to;
};

// The span of the first date criterion with an entry: a day gives itself twice, "a..b" its ends,
// a list from its earliest to its latest day. Empty without a readable date entry (a mistaken
// entry is refused by the condition, not here).
DatePeriod SelectedPeriod(const CriterionList& criteria);

}  // namespace norvik
