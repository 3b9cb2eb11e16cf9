#include "db/odbc/odbc_params.h"

#include "db/date_text.h"
#include "db/odbc/odbc_text.h"

namespace norvik::db {

OdbcParams::OdbcParams(const std::vector<Value>& values, const OdbcDatabase& db) {
    slots_.resize(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        Slot& slot = slots_[i];
        const Value& value = values[i];
        const auto text = [&](std::string_view utf8, SQLSMALLINT sqlType) {
            const auto point = [&](SQLSMALLINT cType, SQLSMALLINT type, const void* data,
                                   size_t units, size_t unitBytes) {
                slot.cType = cType;
                slot.sqlType = type;
                slot.size = std::max<SQLULEN>(units, 1);
                slot.data = const_cast<void*>(data);
                slot.length = static_cast<SQLLEN>(units * unitBytes);
                slot.indicator = slot.length;
            };
            if (db.NarrowTexts()) {
                const std::string& bytes = narrowTexts_.emplace_back(utf8);
                point(SQL_C_CHAR, SQL_VARCHAR, bytes.data(), bytes.size(), 1);
            } else {
                const auto& units = texts_.emplace_back(ToOdbcText(utf8));
                point(SQL_C_WCHAR, sqlType, units.data(), units.size(), sizeof(SQLWCHAR));
            }
        };
        switch (value.index()) {
            case kValueIndex<Null>:
                slot.size = 1;
                slot.indicator = SQL_NULL_DATA;
                break;
            case kValueIndex<int64_t>:
                slot.cType = SQL_C_SBIGINT;
                slot.sqlType = SQL_BIGINT;
                slot.size = 19;
                slot.data = &integers_.emplace_back(std::get<int64_t>(value));
                break;
            case kValueIndex<double>:
                slot.cType = SQL_C_DOUBLE;
                slot.sqlType = SQL_DOUBLE;
                slot.size = 15;
                slot.data = &doubles_.emplace_back(std::get<double>(value));
                break;
            case kValueIndex<Decimal>: {
                // As text of the exact digits: a driver's SQL_NUMERIC_STRUCT loses scale and range.
                const std::string& digits = std::get<Decimal>(value).text;
                text(digits, SQL_VARCHAR);
                break;
            }
            case kValueIndex<std::string>:
                text(std::get<std::string>(value), SQL_WVARCHAR);
                break;
            case kValueIndex<DateTime>: {
                const DateTime& dt = std::get<DateTime>(value);
                if (db.Dbms() == OdbcDbms::kSqlite) {
                    std::string form;
                    AppendDateTimeParam(form, dt);
                    text(form, SQL_VARCHAR);
                    break;
                }
                auto& stamp = stamps_.emplace_back();
                stamp.year = static_cast<SQLSMALLINT>(dt.year);
                stamp.month = static_cast<SQLUSMALLINT>(dt.month);
                stamp.day = static_cast<SQLUSMALLINT>(dt.day);
                stamp.hour = static_cast<SQLUSMALLINT>(dt.hour);
                stamp.minute = static_cast<SQLUSMALLINT>(dt.minute);
                stamp.second = static_cast<SQLUSMALLINT>(dt.second);
                slot.cType = SQL_C_TYPE_TIMESTAMP;
                slot.sqlType = SQL_TYPE_TIMESTAMP;
                slot.size = 19;
                slot.data = &stamp;
                break;
            }
            default:
                // As the other back ends: 1 and 0, which boolean and integer columns both take.
                slot.cType = SQL_C_SBIGINT;
                slot.sqlType = SQL_INTEGER;
                slot.size = 10;
                slot.data = &integers_.emplace_back(std::get<bool>(value) ? 1 : 0);
                break;
        }
    }
}

void OdbcParams::Bind(const OdbcStatement& stmt, size_t first, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        Slot& slot = slots_[first + i];
        stmt.Check(SQLBindParameter(stmt.Get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                    slot.cType, slot.sqlType, slot.size, slot.digits, slot.data,
                                    slot.length, &slot.indicator));
    }
}

}  // namespace norvik::db
