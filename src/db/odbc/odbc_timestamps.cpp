#include "db/odbc/odbc_timestamps.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "common/vb_convert.h"
#include "db/date_text.h"
#include "db/text_values.h"

namespace norvik::db {

void SubstituteDates::Before() {
    before = Today();
}

void SubstituteDates::After() {
    after = Today();
}

bool FetchesTimestampStructs(OdbcDbms dbms) {
    // SQLite's driver reads its texts its own way; the native back end's reading is the rule.
    return dbms == OdbcDbms::kPostgres || dbms == OdbcDbms::kMariaDb;
}

bool ReadTimestampStruct(const SQL_TIMESTAMP_STRUCT& value, OdbcDbms dbms,
                         const SubstituteDates& substitutes, Value& slot) {
    DateTime parts;
    parts.year = value.year;
    parts.month = value.month;
    parts.day = value.day;
    parts.hour = value.hour;
    parts.minute = value.minute;
    parts.second = value.second;
    DateTime read;
    // The fraction counts nanoseconds; the text path rounds at its first digit.
    if (!CompleteDateTime(parts, value.fraction >= 500'000'000, read)) return false;
    // psqlODBC fills in today for a date it cannot read ("infinity", a year past 9999), where its
    // text is zeros.
    if (dbms == OdbcDbms::kPostgres && read.IsMidnight() &&
        (read == substitutes.before || read == substitutes.after))
        return false;
    slot = read;
    return true;
}

void MarkUnfetched(char* structs, size_t count) {
    std::memset(structs, 0xFF, count * sizeof(SQL_TIMESTAMP_STRUCT));
}

bool IsZeroFilled(const char* data) {
    return std::all_of(data, data + sizeof(SQL_TIMESTAMP_STRUCT), [](char c) { return c == 0; });
}

void ReadDateStructAsItsText(const OdbcColumn& column, const char* data, Value& slot) {
    SQL_TIMESTAMP_STRUCT value;
    std::memcpy(&value, data, sizeof value);
    if (ReadTimestampStruct(value, OdbcDbms::kMariaDb, {}, slot)) return;
    fmt::memory_buffer text;
    fmt::format_to(std::back_inserter(text), "{:04}-{:02}-{:02}", value.year, value.month,
                   value.day);
    if (column.sqlType != SQL_TYPE_DATE && column.sqlType != SQL_DATE) {
        fmt::format_to(std::back_inserter(text), " {:02}:{:02}:{:02}", value.hour, value.minute,
                       value.second);
        // The struct counts nanoseconds, the text as many digits as the column has.
        if (const int digits = std::clamp<int>(column.digits, 0, 9); digits > 0) {
            SQLUINTEGER fraction = value.fraction;
            for (int i = digits; i < 9; ++i) fraction /= 10;
            fmt::format_to(std::back_inserter(text), ".{:0{}}", fraction, digits);
        }
    }
    ReadTextCell({text.data(), text.size()}, column.text, slot);
}

}  // namespace norvik::db
