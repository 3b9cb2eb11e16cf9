#include "db/postgresql/pg_params.h"

#include <cmath>

#include "db/date_text.h"
#include "db/decimal_text.h"

namespace norvik::db {
namespace {

std::string ParamText(const Value& value) {
    std::string text;
    switch (value.index()) {
        case kValueIndex<int64_t>:
            text = IntegerText(std::get<int64_t>(value)).View();
            break;
        case kValueIndex<double>: {
            const double d = std::get<double>(value);
            if (std::isnan(d)) return "NaN";
            if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
            NumberText number;
            DecimalTextOf(d, number);
            text = number.View();
            break;
        }
        case kValueIndex<Decimal>:
            text = std::get<Decimal>(value).text;
            break;
        case kValueIndex<std::string>:
            text = std::get<std::string>(value);
            break;
        case kValueIndex<DateTime>:
            AppendDateTimeParam(text, std::get<DateTime>(value));
            break;
        case kValueIndex<bool>:
            text = std::get<bool>(value) ? "1" : "0";
            break;  // boolean and integer columns read "1"/"0"
        default:
            break;
    }
    return text;
}

}  // namespace

PgParams::PgParams(const std::vector<Value>& values) {
    texts_.reserve(values.size());
    for (const Value& v : values) texts_.push_back(ParamText(v));
    for (size_t i = 0; i < values.size(); ++i)
        pointers_.push_back(IsNull(values[i]) ? nullptr : texts_[i].c_str());
}

}  // namespace norvik::db
