#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "selection/sql_dialect.h"

namespace norvik {
namespace {

// What each back end's dialect writes for a date, a text with a backslash and a pattern; through
// ODBC the database's own dialect is chosen by the name the connection gives.
TEST(DialectTest, EachBackEndWritesItsOwnLiterals) {
    struct Case {
        const char* name;
        const char* date;
        const char* text;
        const char* like;
    };
    const Case cases[] = {
        {"sqlite", "'2004-12-31'", "'a\\b''c'", "name LIKE 'M!_%' ESCAPE '!'"},
        {"odbc-sqlite", "'2004-12-31'", "'a\\b''c'", "name LIKE 'M!_%' ESCAPE '!'"},
        {"postgresql", "DATE '2004-12-31'", "E'a\\\\b''c'",
         "CAST(name AS TEXT) ILIKE 'M!_%' ESCAPE '!'"},
        {"odbc-postgresql", "DATE '2004-12-31'", "E'a\\\\b''c'",
         "CAST(name AS TEXT) ILIKE 'M!_%' ESCAPE '!'"},
        {"odbc-mariadb", "DATE '2004-12-31'", "'a\\\\b''c'", "name LIKE 'M!_%' ESCAPE '!'"},
        {"odbc", "{d '2004-12-31'}", "'a\\b''c'", "name LIKE 'M!_%' ESCAPE '!'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto dialect = DialectFor(c.name);
        EXPECT_EQ(dialect->DateLiteral(CivilDate{2004, 12, 31}), c.date);
        EXPECT_EQ(dialect->TextLiteral("a\\b'c"), c.text);
        EXPECT_EQ(dialect->LikeCondition("name", "M_*"), c.like);
    }
    EXPECT_THROW(DialectFor("odbc-unbekannt"), VbError);
}

}  // namespace
}  // namespace norvik
