#pragma once
// Dates and timestamps fetched as SQL_TIMESTAMP_STRUCT instead of text: psqlODBC and MariaDB's
// driver print their text for every value, the struct they fill directly. A value the text would
// give differently is read as text after all, or, from MariaDB's driver, as the text it would give.

#include <sql.h>
#include <sqlext.h>

#include "common/value.h"
#include "db/odbc/odbc_columns.h"
#include "db/odbc/odbc_database.h"

namespace norvik::db {

// The local date a driver substitutes for a date it cannot read, noted around each fetch.
struct SubstituteDates {
    DateTime before;
    DateTime after;
    // Notes today's date before a fetch.
    void Before();
    // Notes today's date after it.
    void After();
};

// True when the driver of this database system fills the struct as its text would read.
bool FetchesTimestampStructs(OdbcDbms dbms);
// Reads a fetched struct into the slot as the text path reads the driver's text; false when the
// value needs its text: no date/time the text path would take (a zero date, years before 100
// or after 9999), or psqlODBC's stand-in for a value it could not read (today at midnight).
bool ReadTimestampStruct(const SQL_TIMESTAMP_STRUCT& value, OdbcDbms dbms,
                         const SubstituteDates& substitutes, Value& slot);

// Fills the structs of a block before a fetch, so that a struct the driver left alone shows.
void MarkUnfetched(char* structs, size_t count);
// True for a struct the driver filled with zeros where it reports a null: MariaDB's zero date.
bool IsZeroFilled(const char* data);
// Reads a struct from a driver that fills the zero date with zeros (MariaDB's) as the text path
// reads its text: a value that is no date/time there (a zero date, month or day, a year before
// 100) becomes the text the driver gives for it, with the column's fraction digits.
void ReadDateStructAsItsText(const OdbcColumn& column, const char* data, Value& slot);

}  // namespace norvik::db
