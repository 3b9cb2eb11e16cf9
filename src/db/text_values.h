#pragma once
// Typed values from the texts a database sends (PostgreSQL's results, ODBC columns fetched as
// text): one reading for every back end that delivers text, so that a driver only says which kind
// a column's type is.

#include <string_view>

#include "common/value.h"

namespace norvik::db {

// How a column's texts are read; a text that does not read as its kind stays text.
enum class TextKind {
    kText,          // as it is
    kBool,          // "t", "true", "1" and "f", "false", "0"
    kInteger,       // a 64-bit integer; beyond that range (an unsigned BIGINT) an exact decimal
    kFloat,         // a double
    kDecimal,       // an exact decimal ("+", leading and trailing zeros allowed); NaN and the
                    // infinities, which have no decimal form, a double
    kMoney,         // an amount as PostgreSQL writes money in the C locale ("-$1,234.50"), exact
    kDateTime,      // a date, a date and time, or a time of day (on the zero date)
    kComputedDate,  // a date only in the exact form SQLite's date functions write ("2026-12-31")
    kEscapedHex,    // bytes as "\x" and hex digits (bytea), kept as upper-case hex without prefix
};

// Reads one non-null cell's text into the slot.
void ReadTextCell(std::string_view text, TextKind kind, Value& slot);
// The date/time ReadTextCell reads from a text of kind kDateTime or kComputedDate; false when it
// stays text (or the kind is another).
bool ReadDateText(std::string_view text, TextKind kind, DateTime& out);

}  // namespace norvik::db
