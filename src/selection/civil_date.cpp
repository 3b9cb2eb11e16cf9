#include "selection/civil_date.h"

namespace norvik {

CivilDate NextDay(const CivilDate& date) {
    CivilDate next = date;
    if (++next.day > DaysInMonth(next.year, next.month)) {
        next.day = 1;
        if (++next.month > 12) {
            next.month = 1;
            ++next.year;
        }
    }
    return next;
}

}  // namespace norvik
