#include "selection/selected_period.h"

#include <string_view>

#include "common/text_codec.h"
#include "selection/entry_values.h"

namespace norvik {
namespace {

std::optional<DateTime> DayOf(std::string_view text) {
    const std::optional<CivilDate> day = ParseGermanDay(TrimWhite(text));
    if (!day) return std::nullopt;
    return DateTime{day->year, day->month, day->day, 0, 0, 0};
}

bool Before(const DateTime& a, const DateTime& b) {
    return a.DaySerial() < b.DaySerial();
}

}  // namespace

DatePeriod SelectedPeriod(const CriterionList& criteria) {
    for (const auto& criterion : criteria) {
        if (criterion->ValueKind != kValueDate || TrimWhite(criterion->Entry).empty()) continue;
        DatePeriod period;
        std::string_view rest = criterion->Entry;
        for (bool more = true; more;) {
            const size_t end = rest.find(';');
            more = end != std::string_view::npos;
            const std::string_view item = rest.substr(0, end);
            if (more) rest.remove_prefix(end + 1);
            const size_t mark = item.find("..");
            const auto low = DayOf(item.substr(0, mark));
            const auto high = mark == std::string_view::npos ? low : DayOf(item.substr(mark + 2));
            if (!low || !high) return {};
            if (!period.from || Before(*low, *period.from)) period.from = low;
            if (!period.to || Before(*period.to, *high)) period.to = high;
        }
        return period;
    }
    return {};
}

}  // namespace norvik
