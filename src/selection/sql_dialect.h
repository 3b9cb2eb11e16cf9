#pragma once
// What a back end needs written its own way in a selection condition: text and date literals,
// pattern matching and column names. One small object per back end, picked by the connection's
// dialect name.

#include <memory>
#include <string>
#include <string_view>

#include "selection/civil_date.h"

namespace norvik {

class SqlDialect {
  public:
    virtual ~SqlDialect() = default;

    // A text literal: single quotes, a quote inside doubled.
    virtual std::string TextLiteral(std::string_view text) const;
    // A date literal that compares with the back end's date and timestamp columns.
    virtual std::string DateLiteral(const CivilDate& date) const = 0;
    // "column LIKE pattern" for a user's pattern: "*" any text, "?" one character, everything else
    // (also "%" and "_") literally; letter case is ignored where the back end can do so.
    virtual std::string LikeCondition(const std::string& column, std::string_view pattern) const;
    // True for a column name this back end takes unquoted: letters (umlauts too), digits and "_",
    // not starting with a digit, optionally qualified by one table name and a point.
    virtual bool IsColumnName(std::string_view name) const;

  protected:
    // The operator of LikeCondition and the expression it applies to.
    virtual std::string LikeTarget(const std::string& column) const { return column + " LIKE "; }
};

// SQLite: dates are stored as text "YYYY-MM-DD[ HH:MM:SS]"; LIKE ignores the case of ASCII letters.
class SqliteDialect : public SqlDialect {
  public:
    std::string DateLiteral(const CivilDate& date) const override;
};

// PostgreSQL: typed date literals; ILIKE on the column as text, so that patterns behave as on
// SQLite and also match numeric columns; backslashes in literals independent of the server's
// standard_conforming_strings.
class PostgresDialect : public SqlDialect {
  public:
    std::string TextLiteral(std::string_view text) const override;
    std::string DateLiteral(const CivilDate& date) const override;

  protected:
    std::string LikeTarget(const std::string& column) const override;
};

// MariaDB and MySQL (through ODBC): typed date literals; LIKE as written, its case follows the
// column's collation; backslashes doubled, which the server's default sql_mode reads as one.
class MariaDbDialect : public SqlDialect {
  public:
    std::string TextLiteral(std::string_view text) const override;
    std::string DateLiteral(const CivilDate& date) const override;
};

// Any other database behind an ODBC driver: the ODBC escape for dates, which the driver
// translates.
class OdbcDialect : public SqlDialect {
  public:
    std::string DateLiteral(const CivilDate& date) const override;
};

// The dialect of a back end by the name Connection::Dialect() gives ("sqlite", "postgresql",
// through ODBC "odbc-sqlite", "odbc-postgresql", "odbc-mariadb", "odbc"); raises 5 for an unknown
// one.
std::shared_ptr<const SqlDialect> DialectFor(const std::string& name);
// Makes a dialect known under a back end's name (an ODBC driver's, for example), replacing one of
// the same name.
void RegisterDialect(const std::string& name, std::shared_ptr<const SqlDialect> dialect);

}  // namespace norvik
