#pragma once
// The statement an export runs: data source, condition, quote and separator clean-up.

#include <string>

namespace norvik {

// "SELECT * FROM " before a bare table name, " WHERE " and the condition when there is one; then,
// outside single-quoted literals, double quotes become single quotes and ";" a blank.
std::string BuildExportSql(const std::string& datenquelle, const std::string& sqlWhere);

}  // namespace norvik
