#include "engine/export_sql.h"

#include <gtest/gtest.h>

#include "common/vb_error.h"

namespace norvik::test {
namespace {

TEST(ExportSql, TheConditionGoesWhereTheStatementsShapeWantsIt) {
    const struct {
        const char* source;
        const char* condition;
        const char* sql;
    } cases[] = {
        {"Kunden", "", "SELECT * FROM Kunden"},
        {"Kunden", "Ort = 'Bonn'", "SELECT * FROM Kunden WHERE Ort = 'Bonn'"},
        {"SELECT a FROM t;", "a = 1", "SELECT a FROM t  WHERE a = 1"},
        {"SELECT * FROM Artikel WHERE Gesperrt = 0", "Warengruppe = \"Obst\"",
         "SELECT * FROM Artikel WHERE (Gesperrt = 0) AND (Warengruppe = 'Obst')"},
        {"SELECT * FROM t WHERE a = 1 OR b = 2 ORDER BY a", "c = 3",
         "SELECT * FROM t WHERE (a = 1 OR b = 2) AND (c = 3) ORDER BY a"},
        {"SELECT k, SUM(b) AS s FROM t GROUP BY k HAVING SUM(b) > 0", "k > 1",
         "SELECT k, SUM(b) AS s FROM t WHERE k > 1 GROUP BY k HAVING SUM(b) > 0"},
        {"SELECT * from t order by x limit 5", "x > 1",
         "SELECT * from t WHERE x > 1 order by x limit 5"},
        // Clauses of subqueries, literals, comments and names are no clauses of the statement.
        {"SELECT * FROM (SELECT * FROM t WHERE a = 1 ORDER BY a) AS s", "b = 2",
         "SELECT * FROM (SELECT * FROM t WHERE a = 1 ORDER BY a) AS s WHERE b = 2"},
        {"SELECT 'x WHERE y', grouped, limit_ FROM t /* ORDER BY */", "a = 1",
         "SELECT 'x WHERE y', grouped, limit_ FROM t /* ORDER BY */ WHERE a = 1"},
        {"SELECT * FROM t -- alle\nORDER BY a", "a = 1",
         "SELECT * FROM t -- alle\nWHERE a = 1 ORDER BY a"},
        {"SELECT * FROM t WHERE a = 1 -- aktiv", "b = 2",
         "SELECT * FROM t WHERE (a = 1 -- aktiv\n) AND (b = 2)"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildExportSql(c.source, c.condition), c.sql) << c.source;
}

TEST(ExportSql, AStatementWhoseShapeCannotBeReadIsRefused) {
    for (const char* source : {"SELECT * FROM a UNION SELECT * FROM b", "SELECT (a FROM t",
                               "SELECT * FROM t WHERE a = 'x", "SELECT * FROM t /* offen"}) {
        SCOPED_TRACE(source);
        EXPECT_THROW(BuildExportSql(source, "a = 1"), VbError);
        // Without a condition the statement runs as written.
        EXPECT_NO_THROW(BuildExportSql(source, ""));
    }
}

}  // namespace
}  // namespace norvik::test
