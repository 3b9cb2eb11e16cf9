#include "selection_fixture.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

#include "db/connection.h"
#include "engine/tq_export.h"
#include "host/module_state.h"
#include "selection/criterion_condition.h"
#include "selection/sql_dialect.h"

namespace norvik::test {

void SelectionTest::SetUp() {
    NORVIK_REQUIRE_BACKEND(GetParam());
    Start(GetParam(), PostgresUrl());
    Sql("CREATE TABLE kunden (nr INTEGER, name TEXT, ort TEXT, betrag DECIMAL(12,2), datum DATE, "
        "zeit TIMESTAMP)");
    const auto insert = [](const char* rest, const Value& name) {
        State().Session().Connection()->Execute(
            std::string("INSERT INTO kunden VALUES (") + rest + ")", {name});
    };
    insert("1, ?, 'Bonn', 1234.56, '2004-12-31', '2004-12-31 13:45:00'", std::string("Müller"));
    insert("2, ?, 'Köln', -12.5, '2005-01-01', '2005-01-01 00:00:00'", std::string("O'Neil; Ltd"));
    insert("3, ?, 'Bonn', 0, NULL, NULL", Null{});
    insert("4, ?, 'Bad Homburg', 99.99, '2005-02-28', '2005-02-28 23:59:59'",
           std::string("50% Rabatt_1"));
    insert("5, ?, 'Berlin', 1000, '2005-03-01', NULL", std::string("a\\b \"c\" -- d"));
    insert("6, ?, 'Köln', 5, NULL, NULL", std::string("x' OR 1=1 --"));
    insert("7, ?, 'Köln', 6, NULL, NULL", std::string("/* k */ ;DROP"));
    insert("8, ?, 'Zürich', 7, NULL, NULL", std::string("Ünïcödé ✓ 😀"));
    WriteBytes(exportPath() + "KUNDEN.EXP",
               DefinitionBytes("[Allgemein]\nName=Kunden\nDatenquelle=kunden\nDateiname=" +
                               home.file("out.txt") + "\n[DATENSATZ]\nFIELD nr,N,,0\n"));
}

std::string SelectionTest::ConditionOf(const std::string& column, int32_t valueKind,
                                       const std::string& entry) const {
    Criterion criterion;
    criterion.ControlSource = column;
    criterion.ValueKind = valueKind;
    criterion.Entry = entry;
    return CriterionCondition(criterion, *DialectFor(State().Session().Connection()->Dialect()));
}

std::string SelectionTest::ExportedRows(const std::string& condition) {
    // A run without rows leaves an earlier output file as it was.
    std::filesystem::remove(home.file("out.txt"));
    TQExport engine(State(), Services());
    engine.LoadFile(exportPath() + "KUNDEN.EXP");
    engine.SQLWhere = condition;
    if (engine.BuildExport() != 0) return "failed";
    std::vector<int> numbers;
    if (!std::filesystem::exists(home.file("out.txt"))) return "";
    std::istringstream lines(ReadBytes(home.file("out.txt")));
    for (std::string line; std::getline(lines, line);) numbers.push_back(std::stoi(line));
    std::sort(numbers.begin(), numbers.end());
    std::string rows;
    for (const int n : numbers) rows += (rows.empty() ? "" : ",") + std::to_string(n);
    return rows;
}

}  // namespace norvik::test
