#pragma once
// How the texts of PostgreSQL result columns are read: the kind of each column type.

#include <libpq-fe.h>

#include "db/text_values.h"

namespace norvik::db {

// The kind for a column type OID (bool, integers, floats, numeric, money, date/timestamp with or
// without time zone, time, bytea; text otherwise).
TextKind PgKindOf(Oid type);

}  // namespace norvik::db
