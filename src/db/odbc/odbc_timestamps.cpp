#include "db/odbc/odbc_timestamps.h"

#include "common/vb_convert.h"
#include "db/date_text.h"

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

}  // namespace norvik::db
