#pragma once
// Typed values of PostgreSQL result columns, read from the text the server sends.

#include <libpq-fe.h>

#include <string_view>

#include "common/value.h"

namespace norvik::db {

// How a column's texts are read.
enum class PgColumnKind { kText, kBool, kInteger, kFloat, kNumeric, kDateTime, kTime };

// The kind for a column type OID (bool, integers, floats, numeric, date/timestamp, time; text
// otherwise).
PgColumnKind PgKindOf(Oid type);
// Reads a non-null cell's text into the slot.
void ReadPgCell(std::string_view text, PgColumnKind kind, Value& slot);

}  // namespace norvik::db
