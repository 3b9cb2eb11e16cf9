#include "selection/sql_dialect.h"

#include <fmt/format.h>

#include <map>

#include "common/utf8.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

// Not the backslash: a server without standard_conforming_strings would read it inside literals.
constexpr char kLikeEscape = '!';

// Latin letters with diacritics (U+00C0 to U+00FF without the two signs) count as letters, as
// German column names such as "Länge" or "Straße" need.
bool IsNameLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7);
}

bool IsNamePart(std::string_view part) {
    if (part.empty()) return false;
    for (size_t i = 0; i < part.size();) {
        const Utf8Char ch = DecodeUtf8(part, i);
        const bool digit = ch.codePoint >= '0' && ch.codePoint <= '9';
        if (ch.malformed || (!IsNameLetter(ch.codePoint) && !(digit && i > 0))) return false;
        i += ch.length;
    }
    return true;
}

std::string QuotedDoubled(std::string_view text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

using Registry = std::map<std::string, std::shared_ptr<const SqlDialect>>;

Registry& Dialects() {
    // Through ODBC the SQL is the database's own: psqlODBC and the SQLite driver pass it on as
    // written, so their databases keep the native back ends' dialects.
    static Registry dialects{{"sqlite", std::make_shared<SqliteDialect>()},
                             {"postgresql", std::make_shared<PostgresDialect>()},
                             {"odbc-sqlite", std::make_shared<SqliteDialect>()},
                             {"odbc-postgresql", std::make_shared<PostgresDialect>()},
                             {"odbc-mariadb", std::make_shared<MariaDbDialect>()},
                             {"odbc", std::make_shared<OdbcDialect>()}};
    return dialects;
}

}  // namespace

std::string SqlDialect::TextLiteral(std::string_view text) const {
    return QuotedDoubled(text);
}

std::string SqlDialect::LikeCondition(const std::string& column, std::string_view pattern) const {
    std::string like;
    for (const char c : pattern) {
        if (c == '*') {
            like += '%';
        } else if (c == '?') {
            like += '_';
        } else {
            if (c == '%' || c == '_' || c == kLikeEscape) like += kLikeEscape;
            like += c;
        }
    }
    return LikeTarget(column) + TextLiteral(like) + " ESCAPE '" + kLikeEscape + "'";
}

bool SqlDialect::IsColumnName(std::string_view name) const {
    const size_t point = name.find('.');
    if (point == std::string_view::npos) return IsNamePart(name);
    return IsNamePart(name.substr(0, point)) && IsNamePart(name.substr(point + 1));
}

std::string SqliteDialect::DateLiteral(const CivilDate& date) const {
    return fmt::format("'{:04}-{:02}-{:02}'", date.year, date.month, date.day);
}

std::string PostgresDialect::TextLiteral(std::string_view text) const {
    if (text.find('\\') == std::string_view::npos) return SqlDialect::TextLiteral(text);
    std::string doubled;
    for (const char c : text) {
        if (c == '\\') doubled += '\\';
        doubled += c;
    }
    return "E" + QuotedDoubled(doubled);
}

std::string PostgresDialect::DateLiteral(const CivilDate& date) const {
    return fmt::format("DATE '{:04}-{:02}-{:02}'", date.year, date.month, date.day);
}

std::string PostgresDialect::LikeTarget(const std::string& column) const {
    return "CAST(" + column + " AS TEXT) ILIKE ";
}

std::string MariaDbDialect::TextLiteral(std::string_view text) const {
    std::string doubled;
    for (const char c : text) {
        if (c == '\\') doubled += '\\';
        doubled += c;
    }
    return QuotedDoubled(doubled);
}

std::string MariaDbDialect::DateLiteral(const CivilDate& date) const {
    return fmt::format("DATE '{:04}-{:02}-{:02}'", date.year, date.month, date.day);
}

std::string OdbcDialect::DateLiteral(const CivilDate& date) const {
    return fmt::format("{{d '{:04}-{:02}-{:02}'}}", date.year, date.month, date.day);
}

std::shared_ptr<const SqlDialect> DialectFor(const std::string& name) {
    const auto it = Dialects().find(name);
    if (it == Dialects().end())
        throw VbError(kErrInvalidArgument,
                      "Für die Datenbank \"" + name + "\" gibt es keine Selektion.");
    return it->second;
}

void RegisterDialect(const std::string& name, std::shared_ptr<const SqlDialect> dialect) {
    Dialects()[name] = std::move(dialect);
}

}  // namespace norvik
