#pragma once
// Calendar days as the selection reads and writes them.

namespace norvik {

// A calendar day.
struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// Days of a month (1 to 12) of a year of the Gregorian calendar.
int DaysInMonth(int year, int month);
// The day after the given one.
CivilDate NextDay(const CivilDate& date);

}  // namespace norvik
