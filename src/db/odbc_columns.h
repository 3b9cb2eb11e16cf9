#pragma once
// Result columns of an ODBC statement: their kinds from the driver's description, the C type and
// buffer width they are fetched in, and typed values from the fetched data.

#include <sql.h>
#include <sqlext.h>

#include <string>

#include "common/value.h"
#include "db/odbc_database.h"

namespace norvik::db {

// How a column's data is fetched and read.
enum class OdbcColumnKind {
    kInteger,   // fetched as a 64-bit integer
    kUnsigned,  // an unsigned 64-bit integer, as text: integer when it fits, else decimal
    kDouble,    // fetched as a double
    kDecimal,   // exact numbers as text
    kDateTime,  // dates and timestamps as text, read as the native back ends read them
    kTime,      // times of day as text
    kComputed,  // text of a SQLite expression: ISO date texts as dates, as the native back end
    kBit,       // bits, fetched as SQL_C_BIT
    kBool,      // booleans reported as text "1"/"0" (psqlODBC's booleans)
    kGuid,      // fetched as SQLGUID, written in lower case as PostgreSQL does
    kText,      // UTF-16 text
    kBinary,    // bytes, as hex text as every back end writes them
};

// One described column.
struct OdbcColumn {
    std::string name;
    OdbcColumnKind kind = OdbcColumnKind::kText;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN width = 0;  // bytes of one row's buffer, terminator included
    SQLULEN size = 0;  // the column's size as the driver describes it (characters, bytes, digits)
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
bool IsTruncated(const OdbcColumn& column, SQLLEN length);
// Reads one non-null cell's fetched bytes into the slot.
void ReadOdbcCell(const OdbcColumn& column, const char* data, size_t bytes, Value& slot);

}  // namespace norvik::db
