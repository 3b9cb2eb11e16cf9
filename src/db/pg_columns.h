#pragma once
// Typed values of PostgreSQL result columns, read from the text the server sends.

#include <libpq-fe.h>

#include <string_view>

#include "common/value.h"

namespace norvik::db {

// How a column's texts are read.
enum class PgColumnKind {
    kText,
    kBool,
    kInteger,
    kFloat,
    kNumeric,
    kMoney,
    kDateTime,
    kTime,
    kBinary
};

// The kind for a column type OID (bool, integers, floats, numeric, money, date/timestamp with or
// without time zone, time, bytea; text otherwise).
PgColumnKind PgKindOf(Oid type);
// Reads a non-null cell's text into the slot (money as the C locale writes it, bytea in hex).
void ReadPgCell(std::string_view text, PgColumnKind kind, Value& slot);

}  // namespace norvik::db
