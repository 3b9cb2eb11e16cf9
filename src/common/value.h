#pragma once
// A typed database value, as the data access yields it and the engine formats it.

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>

namespace norvik {

// A database null.
struct Null {
    bool operator==(const Null&) const = default;
};

// An exact decimal number kept as its canonical text: optional "-", digits, optional "." and
// digits.
struct Decimal {
    std::string text;
    bool operator==(const Decimal&) const = default;
};

// A calendar date with time of day (no time zone); the zero date 30.12.1899 00:00:00 is the OLE
// origin.
// The days of a month (1-12) in a year of the Gregorian calendar.
int DaysInMonth(int year, int month);

struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // True when the time of day is midnight.
    bool IsMidnight() const { return hour == 0 && minute == 0 && second == 0; }
    // True when the date part is the OLE zero date 30.12.1899.
    bool IsZeroDate() const { return year == 1899 && month == 12 && day == 30; }
    // Days since 30.12.1899 plus the fraction of the day, as an OLE Automation date.
    double ToOleDate() const;
    // The date/time for an OLE Automation date; fractions are rounded to the second.
    static DateTime FromOleDate(double oleDate);
    // Day number since 30.12.1899 (negative before it).
    int64_t DaySerial() const;
    // True when the fields form a valid date (years 100 to 9999) and time.
    bool IsValid() const;

    bool operator==(const DateTime&) const = default;
};

// One value: null, integer, double, exact decimal, text (UTF-8), date/time or boolean.
using Value = std::variant<Null, int64_t, double, Decimal, std::string, DateTime, bool>;

namespace detail {
template <class T, class... Ts>
constexpr size_t IndexOf(const std::variant<Ts...>*) {
    constexpr bool same[] = {std::is_same_v<T, Ts>...};
    size_t index = 0;
    while (index < sizeof...(Ts) && !same[index]) ++index;
    return index;
}
}  // namespace detail

// The place of type T among a Value's alternatives: a switch over Value::index() names its cases
// by type, so that reordering the alternatives cannot change what a case does.
template <class T>
inline constexpr size_t kValueIndex = detail::IndexOf<T>(static_cast<const Value*>(nullptr));
static_assert(kValueIndex<Null> == 0 && kValueIndex<bool> == std::variant_size_v<Value> - 1);

// True when the value is a database null.
inline bool IsNull(const Value& v) {
    return std::holds_alternative<Null>(v);
}

}  // namespace norvik
