#include "db/sqlite_columns.h"

#include <string>
#include <string_view>

#include "common/ascii.h"
#include "db/decimal_text.h"
#include "db/text_values.h"
#include "db/value_slot.h"

namespace norvik::db {
namespace {

// The first word of a declared type ("TIMESTAMPTZ" of "TIMESTAMPTZ(3)").
std::string_view FirstWord(std::string_view type) {
    size_t n = 0;
    while (n < type.size() && (IsAsciiUpper(type[n]) || IsAsciiDigit(type[n]) || type[n] == '_'))
        ++n;
    return type.substr(0, n);
}

std::string_view TextOf(sqlite3_stmt* stmt, int col) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
    return {text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, col))};
}

void ReadText(sqlite3_stmt* stmt, int col, SqliteColumnKind kind, Value& slot) {
    const std::string_view text = TextOf(stmt, col);
    switch (kind) {
        case SqliteColumnKind::kDateTime:
            return ReadTextCell(text, TextKind::kDateTime, slot);
        case SqliteColumnKind::kExpression:
            // No declared type: a text in the ISO date form is a computed date (MAX(Datum),
            // date('now')). A time alone stays text: "12:30" may be anything.
            return ReadTextCell(text, TextKind::kComputedDate, slot);
        case SqliteColumnKind::kDecimal: {
            // Numeric affinity leaves only texts SQLite could not convert losslessly, so this path
            // is rare; unlike the servers' NaN, such a text that is no decimal stays text.
            std::string canonical;
            if (CanonicalDecimal(text, canonical)) {
                AssignDecimal(slot, canonical);
                return;
            }
            break;
        }
        case SqliteColumnKind::kStorage:
        case SqliteColumnKind::kBool:
            break;
    }
    AssignText(slot, text);
}

}  // namespace

SqliteColumnKind SqliteKindOf(const char* declaredType) {
    if (!declaredType) return SqliteColumnKind::kExpression;
    std::string type(declaredType);
    for (char& c : type) c = AsciiUpper(c);
    if (type == "BOOL" || type == "BOOLEAN") return SqliteColumnKind::kBool;
    // DATE, DATETIME, DATETIME2, SMALLDATETIME, TIMESTAMP, TIMESTAMPTZ, TIME, TIMETZ …
    const std::string_view word = FirstWord(type);
    if (word.find("DATE") != std::string_view::npos || word.find("TIME") != std::string_view::npos)
        return SqliteColumnKind::kDateTime;
    if (type.find("DEC") != std::string::npos || type.find("NUMERIC") != std::string::npos ||
        type.find("MONEY") != std::string::npos)
        return SqliteColumnKind::kDecimal;
    return SqliteColumnKind::kStorage;
}

void ReadSqliteCell(sqlite3_stmt* stmt, int col, SqliteColumnKind kind, Value& slot) {
    switch (sqlite3_column_type(stmt, col)) {
        case SQLITE_INTEGER: {
            const int64_t value = sqlite3_column_int64(stmt, col);
            if (kind == SqliteColumnKind::kBool) {
                slot = value != 0;
            } else if (kind == SqliteColumnKind::kDecimal) {
                AssignDecimal(slot, IntegerText(value).View());
            } else {
                slot = value;
            }
            break;
        }
        case SQLITE_FLOAT: {
            const double value = sqlite3_column_double(stmt, col);
            NumberText text;
            if (kind == SqliteColumnKind::kDecimal && DecimalTextOf(value, text)) {
                AssignDecimal(slot, text.View());
            } else {
                slot = value;
            }
            break;
        }
        case SQLITE_TEXT:
            ReadText(stmt, col, kind, slot);
            break;
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, col));
            AssignBinary(slot,
                         {data ? data : "", static_cast<size_t>(sqlite3_column_bytes(stmt, col))});
            break;
        }
        default:
            slot = Null{};
            break;
    }
}

}  // namespace norvik::db
