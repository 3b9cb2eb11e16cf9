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

}  // namespace
}  // namespace norvik::test
