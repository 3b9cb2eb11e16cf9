#include "db/odbc/odbc_columns.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>

#include "common/ascii.h"
#include "db/odbc/odbc_text.h"
#include "db/sqlite/sqlite_columns.h"
#include "db/value_slot.h"

namespace norvik::db {
namespace {

// Characters a text column's buffer holds at first: wider values are read in full by SQLGetData
// and widen the buffer for the rows after them.
constexpr SQLULEN kTextChars = 1024;
constexpr SQLULEN kUnknownTextChars = 256;
constexpr SQLULEN kBinaryBytes = 4096;

bool HasWord(std::string typeName, std::string_view word) {
    for (char& c : typeName) c = AsciiUpper(c);
    return typeName.find(word) != std::string::npos;
}

std::string TypeName(const OdbcStatement& stmt, SQLUSMALLINT index) {
    SQLWCHAR name[128] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLColAttributeW(stmt.Get(), index, SQL_DESC_TYPE_NAME, name, sizeof name,
                                        &length, nullptr)))
        return "";
    return FromOdbcText(name);
}

// True for a result column that comes from no table: an expression such as MAX(Datum).
bool IsExpression(const OdbcStatement& stmt, SQLUSMALLINT index) {
    SQLWCHAR table[256] = {};
    SQLSMALLINT length = 0;
    return SQL_SUCCEEDED(SQLColAttributeW(stmt.Get(), index, SQL_DESC_TABLE_NAME, table,
                                          sizeof table, &length, nullptr)) &&
           table[0] == 0;
}

bool IsUnsigned(const OdbcStatement& stmt, SQLUSMALLINT index) {
    SQLLEN flag = SQL_FALSE;
    SQLColAttributeW(stmt.Get(), index, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &flag);
    return flag == SQL_TRUE;
}

// How a column is fetched and, fetched as text, read.
struct ColumnKinds {
    OdbcColumnKind kind;
    TextKind text = TextKind::kText;
};

constexpr ColumnKinds Typed(TextKind text) {
    return {OdbcColumnKind::kTyped, text};
}

ColumnKinds KindsOf(SQLSMALLINT type, const std::string& typeName, bool isUnsigned, bool expression,
                    OdbcDbms dbms) {
    // The SQLite driver reports NUMERIC as a double and DECIMAL as text; the native back end keeps
    // both exact, led by the declared type as here.
    if (dbms == OdbcDbms::kSqlite &&
        (HasWord(typeName, "DEC") || HasWord(typeName, "NUMERIC") || HasWord(typeName, "MONEY")))
        return Typed(TextKind::kDecimal);
    // Dates as the native back end finds them: by the declared type, or in an expression's text.
    if (dbms == OdbcDbms::kSqlite && !expression &&
        SqliteKindOf(typeName.c_str()) == SqliteColumnKind::kDateTime)
        return Typed(TextKind::kDateTime);
    if (dbms == OdbcDbms::kSqlite && expression &&
        (type == SQL_VARCHAR || type == SQL_LONGVARCHAR || type == SQL_CHAR ||
         type == SQL_WVARCHAR || type == SQL_WLONGVARCHAR || type == SQL_WCHAR))
        return Typed(TextKind::kComputedDate);
    switch (type) {
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
            return {OdbcColumnKind::kInteger};
        case SQL_BIGINT:
            // An unsigned one may not fit: as text, integer when it fits, else decimal.
            return isUnsigned ? Typed(TextKind::kInteger) : ColumnKinds{OdbcColumnKind::kInteger};
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return {OdbcColumnKind::kDouble};
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            return Typed(TextKind::kDecimal);
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIMESTAMP:
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return Typed(TextKind::kDateTime);
        case SQL_BIT:
            return {OdbcColumnKind::kBit};
        case SQL_GUID:
            return {OdbcColumnKind::kGuid};
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return {OdbcColumnKind::kBinary};
        default:
            // psqlODBC reports booleans as text unless told otherwise.
            if (dbms == OdbcDbms::kPostgres && typeName == "bool") return Typed(TextKind::kBool);
            return {OdbcColumnKind::kText};
    }
}

SQLLEN TextWidth(SQLULEN chars) {
    return static_cast<SQLLEN>((chars + 1) * sizeof(SQLWCHAR));
}

}  // namespace

OdbcColumn DescribeOdbcColumn(const OdbcStatement& stmt, SQLUSMALLINT index, OdbcDbms dbms,
                              OdbcTextForm form) {
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    OdbcColumn column;
    if (form == OdbcTextForm::kUtf8) {
        // A driver of narrow texts gives its names in UTF-8 there, and garbles them in the wide
        // call.
        SQLCHAR name[1024] = {};
        stmt.Check(SQLDescribeCol(stmt.Get(), index, name, static_cast<SQLSMALLINT>(sizeof name),
                                  &nameLength, &type, &size, &digits, &nullable));
        column.name = reinterpret_cast<const char*>(name);
    } else {
        SQLWCHAR name[512] = {};
        stmt.Check(SQLDescribeColW(stmt.Get(), index, name,
                                   static_cast<SQLSMALLINT>(std::size(name)), &nameLength, &type,
                                   &size, &digits, &nullable));
        column.name = FromOdbcText(name);
    }
    column.sqlType = type;
    column.size = size;
    column.digits = digits;
    const ColumnKinds kinds = KindsOf(type, TypeName(stmt, index), IsUnsigned(stmt, index),
                                      dbms == OdbcDbms::kSqlite && IsExpression(stmt, index), dbms);
    column.kind = kinds.kind;
    column.text = kinds.text;
    const bool utf8 = form == OdbcTextForm::kUtf8;
    if (utf8) column.cType = SQL_C_CHAR;
    const auto textWidth = [utf8](SQLULEN chars) {
        // Four bytes hold any character in UTF-8, two units any but the rarest in UTF-16.
        return utf8 ? static_cast<SQLLEN>(chars * 4 + 1) : TextWidth(chars);
    };
    switch (column.kind) {
        case OdbcColumnKind::kBit:
            column.cType = SQL_C_BIT;
            column.width = 1;
            break;
        case OdbcColumnKind::kInteger:
            column.cType = SQL_C_SBIGINT;
            column.width = sizeof(int64_t);
            break;
        case OdbcColumnKind::kDouble:
            column.cType = SQL_C_DOUBLE;
            column.width = sizeof(double);
            break;
        case OdbcColumnKind::kGuid:
            column.cType = SQL_C_GUID;
            column.width = sizeof(SQLGUID);
            break;
        case OdbcColumnKind::kBinary:
            column.cType = SQL_C_BINARY;
            column.width =
                static_cast<SQLLEN>(size == 0 || size > kBinaryBytes ? kBinaryBytes : size);
            break;
        case OdbcColumnKind::kText:
        case OdbcColumnKind::kTyped:
            if (column.kind == OdbcColumnKind::kText || column.text == TextKind::kComputedDate)
                column.width =
                    textWidth(size == 0 ? kUnknownTextChars : std::min(size, kTextChars));
            else if (column.text == TextKind::kDecimal)
                column.width = textWidth(std::max<SQLULEN>(size + 3, 40));
            else
                column.width = textWidth(40);
            break;
    }
    return column;
}

void ReadOdbcCell(const OdbcColumn& column, const char* data, size_t bytes, Value& slot) {
    switch (column.kind) {
        case OdbcColumnKind::kInteger: {
            int64_t value = 0;
            std::memcpy(&value, data, sizeof value);
            slot = value;
            return;
        }
        case OdbcColumnKind::kDouble: {
            double value = 0;
            std::memcpy(&value, data, sizeof value);
            slot = value;
            return;
        }
        case OdbcColumnKind::kGuid: {
            SQLGUID g;
            std::memcpy(&g, data, sizeof g);
            AssignText(slot,
                       fmt::format("{:08x}-{:04x}-{:04x}-{:02x}{:02x}-{:02x}{:02x}{:02x}{:02x}"
                                   "{:02x}{:02x}",
                                   g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                                   g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]));
            return;
        }
        case OdbcColumnKind::kBit:
            slot = data[0] != 0;
            return;
        case OdbcColumnKind::kBinary:
            AssignBinary(slot, {data, bytes});
            return;
        case OdbcColumnKind::kText: {
            if (column.cType == SQL_C_CHAR) {
                AssignText(slot, {data, bytes});
                return;
            }
            // Straight into the slot's string, whose capacity the rows before have grown.
            auto* s = std::get_if<std::string>(&slot);
            if (!s) s = &slot.emplace<std::string>();
            s->clear();
            AppendFromOdbcText(*s, reinterpret_cast<const SQLWCHAR*>(data),
                               bytes / sizeof(SQLWCHAR));
            return;
        }
        case OdbcColumnKind::kTyped:
            break;
    }
    if (column.cType == SQL_C_CHAR) return ReadTextCell({data, bytes}, column.text, slot);
    std::string text;
    AppendFromOdbcText(text, reinterpret_cast<const SQLWCHAR*>(data), bytes / sizeof(SQLWCHAR));
    ReadTextCell(text, column.text, slot);
}

}  // namespace norvik::db
