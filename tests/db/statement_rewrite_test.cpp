#include "db/statement_rewrite.h"

#include <gtest/gtest.h>

namespace norvik::db {
namespace {

TEST(SplitStatementsTest, SplitsOnlyOutsideLiteralsNamesAndComments) {
    struct Case {
        std::string sql;
        bool mysql;
        std::vector<std::string> statements;
    };
    const Case cases[] = {
        {"SELECT 1; SELECT 2;", false, {"SELECT 1", "SELECT 2"}},
        {"  ;; \n", false, {}},
        {"SELECT 1; -- Ende\n", false, {"SELECT 1"}},
        {"INSERT INTO t VALUES ('a;b', \"c;d\"); -- e;f\nSELECT 3",
         false,
         {"INSERT INTO t VALUES ('a;b', \"c;d\")", "-- e;f\nSELECT 3"}},
        {"SELECT /* ; */ 1; SELECT $x$;$x$", false, {"SELECT /* ; */ 1", "SELECT $x$;$x$"}},
        {"SELECT E'\\';'; SELECT 2", false, {"SELECT E'\\';'", "SELECT 2"}},
        // Only MySQL's lexis reads a backslash escape in a plain literal and "#" as a comment.
        {"SELECT 'a\\';'; SELECT 2", true, {"SELECT 'a\\';'", "SELECT 2"}},
        {"SELECT 'a\\'; SELECT 2", false, {"SELECT 'a\\'", "SELECT 2"}},
        {"SELECT `a;b` # c;d\n; SELECT 2", true, {"SELECT `a;b` # c;d", "SELECT 2"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> got;
        for (const std::string_view s : SplitStatements(c.sql, c.mysql)) got.emplace_back(s);
        EXPECT_EQ(got, c.statements) << c.sql;
    }
}

TEST(WithoutCommentsTest, LeavesLiteralsAndLineEnds) {
    EXPECT_EQ(WithoutComments("SELECT '?--' AS q /* ? */, ? -- ?\nFROM t"),
              "SELECT '?--' AS q  , ?  \nFROM t");
    EXPECT_EQ(WithoutComments("SELECT 5-1, 4/2"), "SELECT 5-1, 4/2");
}

}  // namespace
}  // namespace norvik::db
