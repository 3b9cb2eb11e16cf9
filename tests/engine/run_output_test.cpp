#include <gtest/gtest.h>

#include <sstream>

#include "run_fixture.h"
#include "support/cases.h"
#include "support/session/definition_text.h"

namespace norvik::test {
namespace {

const char* const kGeneral =
    "[Allgemein]\nName=Test\nDatenquelle=SELECT * FROM kunden ORDER BY nr\nDateiname={OUT}\n";

bool IsNote(const std::string& line) {
    return line.starts_with("Hinweis: ") || line.starts_with("Warnung: ");
}

// The cases of cases/runs.txt: a definition, the file the run writes and the notes of its summary.
TEST_P(RunTest, EachDefinitionWritesItsFile) {
    for (const CaseBlock& c : ReadBlocks("engine/cases/runs.txt")) {
        SCOPED_TRACE(c.title);
        std::string definition, output, notes, said;
        std::istringstream input(c.input), expected(c.expected), summary;
        engine->SQLWhere = "";
        std::filesystem::remove(out);
        bool twice = false;
        for (std::string line; std::getline(input, line);) {
            if (line.starts_with("SQL: "))
                Sql(line.substr(5));
            else if (line.starts_with("WHERE: "))
                engine->SQLWhere = line.substr(7);
            else if (line.starts_with("BEFORE: "))
                WriteBytes(out, DecodedField(line.substr(8)));
            else if (line == "TWICE")
                twice = true;
            else
                definition += line + "\n";
        }
        for (std::string line; std::getline(expected, line);) {
            if (IsNote(line))
                notes += line + "\n";
            else
                output += line.starts_with("BYTES: ") ? DecodedField(line.substr(7)) + "\r\n"
                                                      : DefinitionBytes(line + "\n");
        }
        Load(definition);
        // Two runs of one loaded definition, as the dialog makes them.
        if (twice) {
            ASSERT_EQ(Run(), 0) << DescribeMessages(*messages);
        }
        ASSERT_EQ(Run(), 0) << DescribeMessages(*messages);
        EXPECT_EQ(Output(), output);
        summary.str(engine->LastSummary());
        for (std::string line; std::getline(summary, line);)
            if (IsNote(line)) said += line.substr(0, line.find('\r')) + "\n";
        EXPECT_EQ(said, notes);
    }
}

TEST_P(RunTest, EventsReportEveryRowAndEndWithDone) {
    Load(std::string(kGeneral) + "[DATENSATZ]\nFIELD nr,N,,0\n");
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(listener.events, (std::vector<std::string>{
                                   "strInfo:1 Datensätze exportiert.", "ExportProgress:33",
                                   "strInfo:2 Datensätze exportiert.", "ExportProgress:67",
                                   "strInfo:3 Datensätze exportiert.", "ExportProgress:100",
                                   "ExportState:Datenexport erfolgreich durchgeführt.", "Done:1"}));
    Sql("INSERT INTO kunden VALUES (4, 'Vier', 'Bonn', 4, NULL, NULL)");
    listener.events.clear();
    ASSERT_EQ(Run(), 0);
    std::vector<std::string> percents;
    for (const auto& e : listener.events)
        if (e.rfind("ExportProgress:", 0) == 0) percents.push_back(e.substr(15));
    EXPECT_EQ(percents, (std::vector<std::string>{"25", "50", "75", "100"}));
}

TEST_P(RunTest, NoRowsWritesNoFile) {
    Load(
        "[Allgemein]\nName=Test\nDatenquelle=SELECT * FROM kunden WHERE nr > "
        "99\nDateiname={OUT}\n[DATENSATZ]\nFIELD nr,N,,0\n");
    ASSERT_EQ(Run(), 0);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"ExportState:Keine Daten im angegebenen Bereich vorhanden.",
                                        "Done:1"}));
    EXPECT_EQ(engine->LastSummary(),
              "Schnittstelle: Test\r\nAusgabe Daten: Keine Daten im angegebenen Bereich "
              "vorhanden.\r\nAusgabedatei: <keine>\r\nKeine Daten: Die Auswahl ergab keine "
              "Datensätze; die Ausgabedatei " +
                  out + " gibt es nicht und wurde nicht angelegt.");
    ASSERT_EQ(engine->LastNotes().size(), 1u);
    EXPECT_EQ(engine->LastNotes()[0].kind, RunNote::Kind::NoData);
}

INSTANTIATE_TEST_SUITE_P(Backends, RunTest, ::testing::ValuesIn(ExportBackends()), BackendName);

}  // namespace
}  // namespace norvik::test
