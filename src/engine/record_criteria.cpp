#include "engine/record_criteria.h"

#include <charconv>

#include "common/vb_convert.h"
#include "common/vb_parse.h"

namespace norvik {
namespace {

template <typename T>
int Compare(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

double NumberOf(const Value& v) {
    switch (v.index()) {
        case kValueIndex<int64_t>:
            return static_cast<double>(std::get<int64_t>(v));
        case kValueIndex<double>:
            return std::get<double>(v);
        case kValueIndex<Decimal>: {
            const std::string& t = std::get<Decimal>(v).text;
            double d = 0;
            std::from_chars(t.data(), t.data() + t.size(), d);
            return d;
        }
        case kValueIndex<bool>:
            return std::get<bool>(v) ? -1 : 0;  // the classic True is -1
        default:
            return 0;
    }
}

}  // namespace

bool CriterionHolds(const Value& column, const std::string& op, const std::string& criterion) {
    if (IsNull(column)) return false;
    int order;
    const bool numeric =
        std::holds_alternative<int64_t>(column) || std::holds_alternative<double>(column) ||
        std::holds_alternative<Decimal>(column) || std::holds_alternative<bool>(column);
    const auto* date = std::get_if<DateTime>(&column);
    if (const auto n = numeric ? ParseGermanNumber(criterion) : std::nullopt) {
        order = Compare(NumberOf(column), *n);
    } else if (const auto d = date ? ParseGermanDate(criterion) : std::nullopt) {
        order = Compare(date->ToOleDate(), d->ToOleDate());
    } else {
        order = ToText(column).compare(criterion);
        order = order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    if (op == "=") return order == 0;
    if (op == "<>") return order != 0;
    if (op == "<=") return order <= 0;
    if (op == ">=") return order >= 0;
    if (op == "<") return order < 0;
    if (op == ">") return order > 0;
    return false;
}

}  // namespace norvik
