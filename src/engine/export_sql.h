#pragma once
// The statement an export runs: data source, condition, quote and separator clean-up.

#include <string>

namespace norvik {

// The message when a definition names no data source.
inline const char* const kNoSourceMessage =
    "Die Exportdefinition nennt keine Datenquelle; sie fehlt oder ist leer.";
// "SELECT * FROM " before a bare table name; outside single-quoted literals, double quotes become
// single quotes and ";" a blank. A condition is joined to the statement's own top-level WHERE with
// AND (each side in parentheses), or put before its top-level GROUP BY, HAVING, ORDER BY, LIMIT …,
// else appended as " WHERE " and the condition. Raises VbError 5 with a German message for a
// statement whose shape cannot be read (unbalanced brackets, an unended literal or comment) or
// that combines queries with UNION, INTERSECT or EXCEPT.
std::string BuildExportSql(const std::string& datenquelle, const std::string& sqlWhere);

}  // namespace norvik
