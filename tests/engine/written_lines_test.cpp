#include <gtest/gtest.h>

#include "host/module_state.h"
#include "host/protocol.h"
#include "run_fixture.h"

namespace norvik::test {
namespace {

// ref is empty in row 2; the same column once as a foreign key, once as a plain number.
std::string References(const std::string& feldLaenge) {
    return "[Allgemein]\nName=Test\nDatenquelle=SELECT nr, CASE WHEN nr = 2 THEN NULL ELSE nr * "
           "10 END AS ref FROM kunden ORDER BY nr\nDateiname={OUT}\nFeldLänge=" +
           feldLaenge +
           "\n[DATENSATZ]\nFIELD nr,N,,2,PK,,,\nFIELD ref,N,,3,FK,Andere,,\nFIELD ref,N,,3,,,,\n";
}

TEST_P(RunTest, AnEmptyForeignKeyStaysEmptyOnlyOnADataMedium) {
    struct Case {
        TqMode mode;
        std::string feldLaenge;
        std::string output;
    };
    const std::vector<Case> cases = {
        {cTQExport, "Variabel", "1;10;10\r\n2;0;0\r\n3;30;30\r\n"},
        {cTQGDPdU, "Variabel", "1;10;10\r\n2;;0\r\n3;30;30\r\n"},
        {cTQGDPdU, "Fix", " 1; 10; 10\r\n 2;   ;  0\r\n 3; 30; 30\r\n"},
    };
    OpenProtocol(State(), Services(), "GDPdU - Datenausgabe", "tester", "LST_GDPdU", "01.01.2026",
                 "Profil", "/tmp", "Zeitraum");
    for (const Case& c : cases) {
        Load(References(c.feldLaenge));
        engine->Mode = c.mode;
        ASSERT_EQ(Run(), 0);
        EXPECT_EQ(Output(), c.output) << c.mode << " " << c.feldLaenge;
    }
    CloseProtocol(State());
}

TEST_P(RunTest, TheRunReportsTheLinesAndValueFormsOfEachLayout) {
    Load(
        "[Allgemein]\nName=Test\nDatenquelle=kunden\nDateiname={OUT}\n"
        "Kopfzeile=J\n[VORLAUFSATZ]\nCONST \"V\",T,,0,,,,\n[VORLAUFSATZ]\nCONST \"X\",T,,0,,,,\n"
        "[DATENSATZ]\nCRITERIA \"nr\",\"<>\",\"2\"\nFIELD nr,N,,0,,,,\nFIELD betrag,N,,0,,,,\n"
        "FIELD zeit,D,,0,,,,\n[DATENSATZ 2]\nCRITERIA \"nr\",\"=\",\"2\"\nFIELD betrag,N,\"0.000\","
        "0,,,,\nFIELD datum,D,,0,,,,\n[NACHLAUFSATZ]\nFIELD nr,N,,0,,,,\n");
    ASSERT_EQ(Run(), 0);
    // Header line, header record, rows 1 and 3 of the first layout, row 2 of the second, trailer.
    const WrittenFile& written = engine->LastWritten();
    EXPECT_TRUE(written.headerLine);
    EXPECT_EQ(written.lines, 6);
    // Per layout: its first and last line, its lines, and each field's decimals ("t": with time).
    std::vector<std::string> layouts;
    for (const WrittenLayout& layout : written.layouts) {
        layouts.push_back(std::to_string(layout.firstLine) + "-" + std::to_string(layout.lastLine) +
                          " " + std::to_string(layout.lines) + ":");
        for (const WrittenField& field : layout.fields)
            layouts.back() += " " + std::to_string(field.decimals) + (field.withTime ? "t" : "");
    }
    // A second header record is never written.
    EXPECT_EQ(layouts, (std::vector<std::string>{"2-2 1: 0", "3-0 0:", "3-5 2: 0 2 0t",
                                                 "4-4 1: 3 0", "6-6 1: 0"}));

    engine->SQLWhere = "nr > 99";
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(engine->LastWritten().lines, 0);
    engine->ExpDef->Datenquelle = "gibtsnicht";
    ASSERT_NE(Run(), 0);
    EXPECT_TRUE(engine->LastWritten().layouts.empty());
}

}  // namespace
}  // namespace norvik::test
