#pragma once
// Calendar days as the selection reads and writes them.

#include "common/value.h"

namespace norvik {

// A calendar day.
struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The day after the given one.
CivilDate NextDay(const CivilDate& date);

}  // namespace norvik
