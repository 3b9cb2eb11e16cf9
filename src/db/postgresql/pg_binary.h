#pragma once
// PostgreSQL's binary forms of the common column types, read exactly as their text forms read: the
// server's work of writing texts is spared, the values stay the same.

#include <libpq-fe.h>

#include <string>
#include <string_view>

#include "common/value.h"
#include "db/text_values.h"

namespace norvik::db {

// A binary form this reading knows.
enum class PgBinary { kNone, kInteger, kBool, kText, kNumeric, kDate, kTimestamp };

// The binary form of a column type OID; kNone for a type read as text only.
PgBinary PgBinaryOf(Oid type);
// Reads one non-null value in its binary form into the slot, as its text would read as `kind`;
// false when the bytes are not of that form.
bool ReadPgBinary(std::string_view bytes, PgBinary form, TextKind kind, Value& slot,
                  std::string& scratch);

}  // namespace norvik::db
