#include "db/sqlite/sqlite_columns.h"

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

std::string_view TextOf(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return {text ? text : "", static_cast<size_t>(sqlite3_value_bytes(value))};
}

// Where a cell's value goes: a row's slot on the caller's thread.
struct SlotSink {
    Value& slot;
    void Null() { slot = norvik::Null{}; }
    void Integer(int64_t value) { slot = value; }
    void Double(double value) { slot = value; }
    void Decimal(std::string_view text) { AssignDecimal(slot, text); }
    void Text(std::string_view text) { AssignText(slot, text); }
    void Bool(bool value) { slot = value; }
    void Binary(std::string_view bytes) { AssignBinary(slot, bytes); }
    void Typed(std::string_view text, TextKind kind) { ReadTextCell(text, kind, slot); }
};

// Where it goes on the reading thread: the batch, through a value of its own for the texts every
// back end reads alike.
struct PackSink {
    PackedValues& out;
    Value& scratch;
    void Null() { out.Null(); }
    void Integer(int64_t value) { out.Integer(value); }
    void Double(double value) { out.Double(value); }
    void Decimal(std::string_view text) { out.Decimal(text); }
    void Text(std::string_view text) { out.Text(text); }
    void Bool(bool value) { out.Bool(value); }
    void Binary(std::string_view bytes) { out.Binary(bytes); }
    void Typed(std::string_view text, TextKind kind) {
        DateTime date;
        if (ReadDateText(text, kind, date)) {
            out.Date(date);
            return;
        }
        ReadTextCell(text, kind, scratch);
        out.Add(scratch);
    }
};

template <typename Sink>
void ReadText(std::string_view text, SqliteColumnKind kind, Sink& sink) {
    switch (kind) {
        case SqliteColumnKind::kDateTime:
            return sink.Typed(text, TextKind::kDateTime);
        case SqliteColumnKind::kExpression:
            // No declared type: a text in the ISO date form is a computed date (MAX(Datum),
            // date('now')). A time alone stays text: "12:30" may be anything.
            return sink.Typed(text, TextKind::kComputedDate);
        case SqliteColumnKind::kDecimal: {
            // Numeric affinity leaves only texts SQLite could not convert losslessly, so this path
            // is rare; unlike the servers' NaN, such a text that is no decimal stays text.
            std::string canonical;
            if (CanonicalDecimal(text, canonical)) {
                sink.Decimal(canonical);
                return;
            }
            break;
        }
        case SqliteColumnKind::kStorage:
        case SqliteColumnKind::kBool:
            break;
    }
    sink.Text(text);
}

// One cell through one value handle: each sqlite3_column_ call looks the column up again. Inlined
// into the loop over a row's cells, which otherwise pays a call for each.
template <typename Sink>
[[gnu::always_inline]] inline void ReadCell(sqlite3_stmt* stmt, int col, SqliteColumnKind kind,
                                            Sink& sink) {
    sqlite3_value* value = sqlite3_column_value(stmt, col);
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER: {
            const int64_t number = sqlite3_value_int64(value);
            if (kind == SqliteColumnKind::kBool) {
                sink.Bool(number != 0);
            } else if (kind == SqliteColumnKind::kDecimal) {
                sink.Decimal(IntegerText(number).View());
            } else {
                sink.Integer(number);
            }
            break;
        }
        case SQLITE_FLOAT: {
            const double number = sqlite3_value_double(value);
            NumberText text;
            if (kind == SqliteColumnKind::kDecimal && DecimalTextOf(number, text)) {
                sink.Decimal(text.View());
            } else {
                sink.Double(number);
            }
            break;
        }
        case SQLITE_TEXT:
            ReadText(TextOf(value), kind, sink);
            break;
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_value_blob(value));
            sink.Binary({data ? data : "", static_cast<size_t>(sqlite3_value_bytes(value))});
            break;
        }
        default:
            sink.Null();
            break;
    }
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
    SlotSink sink{slot};
    ReadCell(stmt, col, kind, sink);
}

void PackSqliteRow(sqlite3_stmt* stmt, const std::vector<SqliteColumnKind>& kinds,
                   PackedValues& out, Value& scratch) {
    PackSink sink{out, scratch};
    for (size_t i = 0; i < kinds.size(); ++i) ReadCell(stmt, static_cast<int>(i), kinds[i], sink);
}

}  // namespace norvik::db
