#pragma once
// Rewriting SQL statement text for the back ends: statement end, numbered placeholders.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norvik::db {

// The statement without trailing white space and semicolons, so that it can be nested in a
// subquery.
std::string_view TrimStatementEnd(std::string_view sql);

// A statement whose "?" markers were numbered $1..$n.
struct NumberedSql {
    std::string text;
    std::size_t markers = 0;
};

// Replaces "?" by $1..$n outside quoted literals, quoted identifiers, dollar quotes and comments.
NumberedSql NumberPlaceholders(std::string_view sql);
// NumberPlaceholders when parameters are passed; without any the statement stays as written, so
// that a "?" is the operator it is in PostgreSQL (jsonb's doc ? 'key').
NumberedSql PlaceholdersFor(std::string_view sql, size_t parameters);

// The statement with each comment replaced by a blank (a line comment's line end stays).
std::string WithoutComments(std::string_view sql);

// The statements of a text separated by ";" outside literals, quoted names and comments, each
// without leading and trailing white space; empty ones and ones of comments alone left out. With
// mysqlLexis backslashes escape in every literal, "#" starts a comment and `…` quotes a name.
std::vector<std::string_view> SplitStatements(std::string_view sql, bool mysqlLexis);

}  // namespace norvik::db
