#include "engine/export_sql.h"

namespace norvik {

std::string BuildExportSql(const std::string& datenquelle, const std::string& sqlWhere) {
    std::string sql =
        datenquelle.rfind("SELECT ", 0) == 0 ? datenquelle : "SELECT * FROM " + datenquelle;
    if (!sqlWhere.empty()) sql += " WHERE " + sqlWhere;
    // A literal such as 'O"Neil; Ltd' must reach the database as written.
    bool inLiteral = false;
    for (char& c : sql) {
        if (c == '\'') {
            inLiteral = !inLiteral;
        } else if (!inLiteral) {
            if (c == '"')
                c = '\'';
            else if (c == ';')
                c = ' ';
        }
    }
    return sql;
}

}  // namespace norvik
