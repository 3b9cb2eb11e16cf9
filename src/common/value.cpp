#include "common/value.h"

#include <cmath>

namespace norvik {
namespace {

// Days since 1970-01-01 in the proleptic Gregorian calendar (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

}  // namespace

int64_t DateTime::DaySerial() const {
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
           kOleEpoch;
}

double DateTime::ToOleDate() const {
    const double days = static_cast<double>(DaySerial());
    const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    // OLE dates before the origin count the fraction away from zero: -1.25 is 29.12.1899 06:00.
    return days >= 0 ? days + fraction : days - fraction;
}

DateTime DateTime::FromOleDate(double oleDate) {
    DateTime dt;
    if (!std::isfinite(oleDate) || std::fabs(oleDate) > 3e6) return dt;
    double days = std::trunc(oleDate);
    double fraction = std::fabs(oleDate - days);
    auto secs = static_cast<int64_t>(std::llround(fraction * 86400.0));
    if (secs >= 86400) {
        secs -= 86400;
        days += oleDate >= 0 ? 1 : -1;
    }
    CivilFromDays(static_cast<int64_t>(days) + kOleEpoch, dt.year, dt.month, dt.day);
    dt.hour = static_cast<int>(secs / 3600);
    dt.minute = static_cast<int>(secs / 60 % 60);
    dt.second = static_cast<int>(secs % 60);
    return dt;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool DateTime::IsValid() const {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    return day <= DaysInMonth(year, month) && hour >= 0 && hour < 24 && minute >= 0 &&
           minute < 60 && second >= 0 && second < 60;
}

}  // namespace norvik
