#include <gtest/gtest.h>

#include <functional>

#include "selection_fixture.h"

namespace norvik::test {
namespace {

struct Case {
    const char* column;
    int32_t valueKind;
    const char* entry;
    const char* sqlite;    // the condition on SQLite
    const char* postgres;  // on PostgreSQL, and dates on MariaDB; nullptr: as on SQLite
    const char* rows;      // the rows an export with it writes
};

// Value kind × entry form; rows from the table of the fixture.
const Case kCases[] = {
    {"name", 0, "Müller", "name = 'Müller'", nullptr, "1"},
    {"name", 0, "  Müller  ", "name = 'Müller'", nullptr, "1"},
    {"ort", 0, "B..Bz", "(ort >= 'B' AND ort <= 'Bz')", nullptr, "1,3,4,5"},
    {"ort", 0, "Bonn;Zürich", "ort IN ('Bonn', 'Zürich')", nullptr, "1,3,8"},
    {"ort", 0, "Bonn; B?rlin", "(ort = 'Bonn' OR ort LIKE 'B_rlin' ESCAPE '!')",
     "(ort = 'Bonn' OR CAST(ort AS TEXT) ILIKE 'B_rlin' ESCAPE '!')", "1,3,5"},
    {"kunden.ort", 0, "k*", "kunden.ort LIKE 'k%' ESCAPE '!'",
     "CAST(kunden.ort AS TEXT) ILIKE 'k%' ESCAPE '!'", "2,6,7"},
    {"nr", 0, "1*", "nr LIKE '1%' ESCAPE '!'", "CAST(nr AS TEXT) ILIKE '1%' ESCAPE '!'", "1"},
    {"betrag", 2, "1.234,56", "betrag = 1234.56", nullptr, "1"},
    {"betrag", 2, "-12,5..0", "(betrag >= -12.5 AND betrag <= 0)", nullptr, "2,3"},
    {"betrag", 2, "0;99,99; 1.000", "betrag IN (0, 99.99, 1000)", nullptr, "3,4,5"},
    {"betrag", 2, "5..6;,5..7",
     "((betrag >= 5 AND betrag <= 6) OR (betrag >= 0.5 AND betrag <= 7))", nullptr, "6,7,8"},
    {"datum", 1, "31.12.2004", "(datum >= '2004-12-31' AND datum < '2005-01-01')",
     "(datum >= DATE '2004-12-31' AND datum < DATE '2005-01-01')", "1"},
    {"datum", 1, "31.12.2004..1.1.2005", "(datum >= '2004-12-31' AND datum < '2005-01-02')",
     "(datum >= DATE '2004-12-31' AND datum < DATE '2005-01-02')", "1,2"},
    {"datum", 1, "31.12.2004;28.02.2005",
     "((datum >= '2004-12-31' AND datum < '2005-01-01') OR (datum >= '2005-02-28' AND datum < "
     "'2005-03-01'))",
     "((datum >= DATE '2004-12-31' AND datum < DATE '2005-01-01') OR (datum >= DATE '2005-02-28' "
     "AND datum < DATE '2005-03-01'))",
     "1,4"},
    {"zeit", 1, "31.12.2004", "(zeit >= '2004-12-31' AND zeit < '2005-01-01')",
     "(zeit >= DATE '2004-12-31' AND zeit < DATE '2005-01-01')", "1"},
    {"zeit", 1, "1.1.2005..28.2.2005", "(zeit >= '2005-01-01' AND zeit < '2005-03-01')",
     "(zeit >= DATE '2005-01-01' AND zeit < DATE '2005-03-01')", "2,4"},
    // The calendar's last day: no upper bound, which a date kept as text would sort wrongly.
    {"datum", 1, "28.02.2005..31.12.9999", "(datum >= '2005-02-28')",
     "(datum >= DATE '2005-02-28')", "4,5"},
    {"name", 0, "   ", "", nullptr, "1,2,3,4,5,6,7,8"},
};

TEST_P(SelectionTest, EntriesBecomeConditionsThatSelectTheirRows) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.column) + " " + c.entry);
        const std::string condition = ConditionOf(c.column, c.valueKind, c.entry);
        // MariaDB takes typed date literals as PostgreSQL does and patterns as SQLite does.
        const bool asPostgres =
            Postgres() || (SqlOf(GetParam()) == "mariadb" && c.valueKind == kValueDate);
        EXPECT_EQ(condition, asPostgres && c.postgres ? c.postgres : c.sqlite);
        EXPECT_EQ(ExportedRows(condition), c.rows);
    }
}

// Whatever a user types stays a value: it selects the rows that hold exactly that text, or none,
// and never changes the statement around it.
TEST_P(SelectionTest, HostileTextSelectsOnlyRowsHoldingIt) {
    const struct {
        const char* entry;
        const char* rows;
    } cases[] = {
        {"O'Neil?*", "2"},
        {"O'Neil; Ltd", ""},  // ";" separates a list: "O'Neil" or "Ltd"
        {"x' OR 1=1 --", "6"},
        {"' OR '1'='1", ""},
        {"*' OR ''='", ""},
        {"*'; DROP TABLE kunden; --", ""},
        {"a\\b \"c\" -- d", "5"},
        {"a\\*", "5"},
        {"*\"*", "5"},
        {"*\\'*", ""},
        {"50%*", "4"},
        {"*_1", "4"},
        {"5_%*", ""},
        {"*!*", ""},
        {"/* k */ ;DROP", ""},
        {"/? k ?/ ?DROP", "7"},
        {"*/*", "7"},
        {"Ünïcödé ✓ 😀", "8"},
        {"?nïcödé*😀", "8"},
        {"müller*", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(ExportedRows(ConditionOf("name", 0, c.entry)), c.rows);
    }
    EXPECT_EQ(ExportedRows(""), "1,2,3,4,5,6,7,8");
}

// Ten thousand entries of every kind in one list: the rows they name, on every back end.
TEST_P(SelectionTest, ListsOfTenThousandValuesSelectTheirRows) {
    const struct {
        const char* column;
        int32_t valueKind;
        std::string hit;                       // the one item that matches
        std::function<std::string(int)> miss;  // the others
        const char* rows;
    } cases[] = {
        {"nr", 2, "4", [](int i) { return std::to_string(1000 + i); }, "4"},
        {"name", 0, "Müller", [](int i) { return "kein " + std::to_string(i); }, "1"},
        {"name", 0, "50%*", [](int i) { return "x" + std::to_string(i) + "*"; }, "4"},
        {"datum", 1, "28.02.2005", [](int i) { return "01.01." + std::to_string(3000 + i % 5000); },
         "4"},
        {"betrag", 2, "5..6", [](int i) { return std::to_string(2000 + i) + "..2000,5"; }, "6,7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column + std::string(" ") + c.hit);
        std::string entry;
        for (int i = 0; i < 9999; ++i) entry += c.miss(i) + ";";
        entry += c.hit;
        EXPECT_EQ(ExportedRows(ConditionOf(c.column, c.valueKind, entry)), c.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SelectionTest, ::testing::ValuesIn(ExportBackends()),
                         BackendName);

}  // namespace
}  // namespace norvik::test
