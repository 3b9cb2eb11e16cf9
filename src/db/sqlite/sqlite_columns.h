#pragma once
// Typed values of SQLite result columns, led by the declared type of the column.

#include <sqlite3.h>

#include <vector>

#include "common/value.h"
#include "db/row_prefetcher.h"

namespace norvik::db {

// How a column's stored values are read.
enum class SqliteColumnKind {
    kStorage,     // as stored: integer, double, text, blob as hex text
    kExpression,  // no declared type: as stored, but ISO date texts ("2026-12-31") as DateTime
    kBool,        // integers as true/false
    kDateTime,    // date, date/time and time texts as DateTime
    kDecimal,     // numbers and decimal texts as Decimal
};

// The kind for a declared type such as "DATE", "TIMESTAMPTZ", "NUMERIC(12,2)", "BOOLEAN"; null (an
// expression such as MAX(Datum)) gives kExpression.
SqliteColumnKind SqliteKindOf(const char* declaredType);
// Reads column `col` of the statement's current row into the slot.
void ReadSqliteCell(sqlite3_stmt* stmt, int col, SqliteColumnKind kind, Value& slot);
// Appends the current row's values to `out` as ReadSqliteCell reads them, for the reading
// thread; scratch is a value it keeps for the texts read as other kinds.
void PackSqliteRow(sqlite3_stmt* stmt, const std::vector<SqliteColumnKind>& kinds,
                   PackedValues& out, Value& scratch);

}  // namespace norvik::db
