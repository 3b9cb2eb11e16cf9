#include "run_fixture.h"

#include <unistd.h>

#include "host/module_state.h"
#include "support/cases.h"

namespace norvik::test {

void RunTest::SetUp() {
    NORVIK_REQUIRE_BACKEND(GetParam());
    Start(GetParam());
    Sql("CREATE TABLE kunden (nr INTEGER, name TEXT, ort TEXT, betrag "
        "DECIMAL(12,2), datum DATE, zeit TIMESTAMP)");
    Sql("INSERT INTO kunden VALUES (1, 'Müller', 'Bonn', 1234.56, '2004-12-31', "
        "'2004-12-31 13:45:00')");
    Sql("INSERT INTO kunden VALUES (2, 'O\"Neil; Ltd', 'Köln', -12.5, "
        "'2005-01-01', '2005-01-01 00:00:00')");
    Sql("INSERT INTO kunden VALUES (3, NULL, 'Bonn', 0, NULL, NULL)");
    out = home.file("out.txt");
    engine = std::make_unique<TQExport>(State(), Services());
    engine->Advise(&listener);
}

void RunTest::TearDown() {
    engine.reset();
    Stop();
}

void RunTest::Load(const std::string& text) {
    const std::string path = exportPath() + "TEST.EXP";
    WriteBytes(path, DefinitionBytes(Filled(text, {{"{OUT}", out}})));
    engine->LoadFile(path);
}

}  // namespace norvik::test
