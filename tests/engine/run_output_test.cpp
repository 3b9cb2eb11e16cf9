#include <gtest/gtest.h>

#include <optional>
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
        for (std::string line; std::getline(input, line);) {
            if (line.starts_with("SQL: "))
                Sql(line.substr(5));
            else if (line.starts_with("WHERE: "))
                engine->SQLWhere = line.substr(7);
            else if (line.starts_with("BEFORE: "))
                WriteBytes(out, DefinitionBytes(line.substr(8) + "\n"));
            else
                definition += line + "\n";
        }
        for (std::string line; std::getline(expected, line);)
            (IsNote(line) ? notes : output) += line + "\n";
        Load(definition);
        ASSERT_EQ(Run(), 0) << DescribeMessages(*messages);
        EXPECT_EQ(Output(), DefinitionBytes(output));
        summary.str(engine->LastSummary());
        for (std::string line; std::getline(summary, line);)
            if (IsNote(line)) said += line.substr(0, line.find('\r')) + "\n";
        EXPECT_EQ(said, notes);
    }
}

TEST_P(RunTest, FixedLengthAsciiWithDecimalPoint) {
    Load(std::string(kGeneral) +
         "Dateiformat=ASCII\nFeldlänge=Fix\nFeldtrenner=\nTexterkenner=\nDezimaltrenner=."
         "\nDatumstrenner=/\nDatumserkenner=\n"
         "[DATENSATZ]\nFIELD nr,N,,4\nFIELD name,T,,5\nFIELD betrag,N,\"0.00\",9\nFIELD "
         "ort,T,,3\nFIELD datum,D,,10\n");
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(Output(),
              "   1M\x81lle  1234.56Bon31/12/2004\r\n"
              "   2O\"Nei   -12.50K\x94l01/01/2005\r\n"
              "   3          0.00Bon          \r\n");
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

TEST_P(RunTest, HeaderLineWhenARunStartsTheFileNeverInTheMiddle) {
    const std::string header = "nr;\r\n", rows = "1\r\n2\r\n3\r\n";
    struct Case {
        const char* append;
        std::optional<std::string> before;  // the file before each of the two runs
        std::string after;                  // after the second run
    };
    const Case cases[] = {
        {"N", std::nullopt, header + rows},        {"N", "alt\r\n", header + rows},
        {"J", std::nullopt, header + rows + rows}, {"J", "", header + rows + rows},
        {"J", "alt\r\n", "alt\r\n" + rows + rows},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(out);
        if (c.before) WriteBytes(out, *c.before);
        Load(std::string(kGeneral) + "Kopfzeile=J\nAnfuegen=" + c.append +
             "\n[DATENSATZ]\nFIELD nr,N,,0\n");
        // Two runs of one loaded definition, as the dialog makes them.
        ASSERT_EQ(Run(), 0);
        ASSERT_EQ(Run(), 0);
        EXPECT_EQ(Output(), c.after) << c.append << " " << c.before.value_or("<keine>");
    }
}

TEST_P(RunTest, TheFileFormatChoosesTheCharacterSet) {
    Sql("INSERT INTO kunden VALUES (4, '„Öl“ 5 €', 'Zürich', 1, NULL, NULL)");
    const struct {
        const char* format;
        std::string bytes;  // of the fourth row
        const char* note;   // in the summary
    } cases[] = {
        {"UTF-8", "\"\xE2\x80\x9E\xC3\x96l\xE2\x80\x9C 5 \xE2\x82\xAC\"\r\n", nullptr},
        {"ASCII", "\"?\x99l? 5 ?\"\r\n",
         "Warnung: 3 Zeichen des Feldes name wurden als ? geschrieben; umgesetzt werden nur ä ö "
         "ü Ä Ö Ü ß"},
        {"EBCDIC", "\"\x84\xD6l\x93 5 \x80\"\r\n",
         "Hinweis: Das Dateiformat \"EBCDIC\" ist unbekannt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        Load(std::string(kGeneral) + "Dateiformat=" + c.format +
             "\n[DATENSATZ]\nFIELD name,T,,0\n");
        ASSERT_EQ(Run(), 0);
        const std::string bytes = Output();
        EXPECT_EQ(bytes.substr(bytes.rfind('\n', bytes.size() - 2) + 1), c.bytes);
        if (c.note) {
            EXPECT_NE(engine->LastSummary().find(c.note), std::string::npos)
                << engine->LastSummary();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, RunTest, ::testing::ValuesIn(ExportBackends()), BackendName);

}  // namespace
}  // namespace norvik::test
