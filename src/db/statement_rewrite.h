#pragma once
// Rewriting SQL statement text for the back ends: statement end, numbered placeholders.

#include <cstddef>
#include <string>
#include <string_view>

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

}  // namespace norvik::db
