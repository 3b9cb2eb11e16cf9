#pragma once
// Result columns of an ODBC statement: their kinds from the driver's description, the C type and
// buffer width they are fetched in, and typed values from the fetched data (texts read as
// text_values.h reads them).

#include <sql.h>
#include <sqlext.h>

#include <string>

#include "common/value.h"
#include "db/odbc/odbc_database.h"
#include "db/text_values.h"

namespace norvik::db {

// How a column's data is fetched and read.
enum class OdbcColumnKind {
    kInteger,  // fetched as a 64-bit integer
    kDouble,   // fetched as a double
    kBit,      // bits, fetched as SQL_C_BIT
    kGuid,     // fetched as SQLGUID, written in lower case as PostgreSQL does
    kBinary,   // bytes, as hex text as every back end writes them
    kText,     // text, kept as it is
    kTyped,    // text read as the column's TextKind (exact and unsigned numbers, dates, times,
               // psqlODBC's booleans, a SQLite expression's ISO dates)
};

// One described column.
struct OdbcColumn {
    std::string name;
    OdbcColumnKind kind = OdbcColumnKind::kText;
    TextKind text = TextKind::kText;  // kTyped: how the text reads
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN width = 0;         // bytes of one row's buffer, terminator included
    SQLSMALLINT sqlType = 0;  // the column's SQL type as the driver describes it
    SQLULEN size = 0;  // the column's size as the driver describes it (characters, bytes, digits)
    SQLSMALLINT digits = 0;  // its decimal digits: a time stamp's fraction digits
};

// How texts travel between the component and the driver.
enum class OdbcTextForm {
    kUtf16,  // the wide calls: every driver converts them itself
    kUtf8,   // the narrow calls with UTF-8 bytes, for drivers whose wide calls lose characters
};

// Describes column `index` (1-based) of an executed statement; raises the driver's message when it
// cannot.
OdbcColumn DescribeOdbcColumn(const OdbcStatement& stmt, SQLUSMALLINT index, OdbcDbms dbms,
                              OdbcTextForm form);
// True when fetched data of this length did not fit the column's buffer.
inline bool IsTruncated(const OdbcColumn& column, SQLLEN length) {
    if (length == SQL_NO_TOTAL) return true;
    if (column.cType == SQL_C_WCHAR)
        return length > column.width - static_cast<SQLLEN>(sizeof(SQLWCHAR));
    if (column.cType == SQL_C_CHAR) return length > column.width - 1;
    if (column.cType == SQL_C_BINARY) return length > column.width;
    return false;
}
// Reads one non-null cell's fetched bytes into the slot.
void ReadOdbcCell(const OdbcColumn& column, const char* data, size_t bytes, Value& slot);

}  // namespace norvik::db
