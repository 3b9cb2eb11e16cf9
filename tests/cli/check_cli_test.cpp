#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/cli_fixture.h"
#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;

const char* const kDtd = NORVIK_SHARED_DIR "/gdpdu/gdpdu-01-08-2002.dtd";

// norvik-export check on small media written into the test's folder.
class CheckCliTest : public test::CliFixture {
  protected:
    void SetUp() override {
        CliFixture::SetUp();
        std::error_code ec;
        if (!fs::is_regular_file(kDtd, ec))
            GTEST_SKIP() << "needs the published GDPdU DTD " << kDtd;
    }
    // A medium of one table Konten (nr, name) with these columns' types and data.
    std::string Medium(const std::string& name, const std::string& nameColumn,
                       const std::string& data) {
        const std::string folder = dir.file(name);
        test::WriteBytes(folder + "/Index.xml",
                         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                         "<!DOCTYPE DataSet SYSTEM \"gdpdu-01-08-2002.dtd\">\r\n"
                         "<DataSet><Version>1.0</Version><Media><Name>M</Name>\r\n"
                         "<Table><URL>konten.txt</URL><Name>Konten</Name><VariableLength>\r\n"
                         "<VariablePrimaryKey><Name>nr</Name><Numeric/></VariablePrimaryKey>\r\n" +
                             nameColumn + "</VariableLength></Table></Media></DataSet>\r\n");
        test::WriteBytes(folder + "/konten.txt", data);
        fs::copy_file(kDtd, folder + "/gdpdu-01-08-2002.dtd");
        return folder;
    }
};

const std::string kName = "<VariableColumn><Name>name</Name><AlphaNumeric/></VariableColumn>\r\n";

TEST_F(CheckCliTest, ExitCodesSayWhetherTheMediumImportsCleanly) {
    struct Case {
        const char* what;
        std::string columns;
        std::string data;
        std::vector<std::string> strays;  // files beside the medium's
        int code;
        std::string out;
        std::string json;  // the output with --json
    };
    const Case cases[] = {
        {"clean",
         kName,
         "1000;\"Kasse\"\r\n",
         {},
         0,
         "Datenträger geprüft: keine Befunde.\n",
         "{\"errors\":0,\"warnings\":0,\"text\":\"Datenträger geprüft: keine Befunde.\"}\n"},
        // Quotes, backslashes, control characters and a name that is no UTF-8 come out as JSON
        // strings.
        {"errors",
         kName,
         "1000;\"Kasse\"\r\n1000;\"Bank\"\r\n1200\r\n1\t2\\3;\"Zoll\"\r\n1300;\"offen\r\n",
         {"alt\tkopie.txt", "m\xe4rz.txt"},
         1,
         "WARNUNG G206 alt\tkopie.txt: Datei „alt\tkopie.txt“ beschreibt Index.xml nicht; ein "
         "Import liest sie nicht.\n"
         "WARNUNG G206 m\xe4rz.txt: Datei „m\xe4rz.txt“ beschreibt Index.xml nicht; ein Import "
         "liest sie nicht.\n"
         "FEHLER G601 konten.txt:2: Tabelle Konten: Primärschlüssel nr = „1000“ ist mehrfach "
         "vergeben.\n"
         "FEHLER G401 konten.txt:3: Tabelle Konten: Zeile hat 1 Feld, erwartet 2.\n"
         "FEHLER G501 konten.txt:4: Tabelle Konten: Spalte nr: „1[09]2\\3“ ist keine Zahl.\n"
         "FEHLER G404 konten.txt:5: Tabelle Konten: Spalte name: Textbegrenzer „\"“ wird nicht "
         "geschlossen.\n"
         "Datenträger geprüft: 4 Fehler, 2 Warnungen.\n",
         test::ReadBytes(std::string(NORVIK_SOURCE_DIR) +
                         "/tests/cli/golden/check_findings.jsonl")},
        {"warnings",
         kName + kName,
         "1000;\"Kasse\";\"Bar\"\r\n",
         {},
         3,
         "WARNUNG G307 Index.xml:7: Tabelle Konten: Spalte name ist mehrfach beschrieben.\n"
         "Datenträger geprüft: 1 Warnung.\n",
         "{\"code\":\"G307\",\"severity\":\"warning\",\"file\":\"Index.xml\",\"line\":7,"
         "\"table\":\"Konten\",\"column\":\"name\",\"count\":1,\"text\":\"Tabelle Konten: Spalte "
         "name ist mehrfach beschrieben.\"}\n"
         "{\"errors\":0,\"warnings\":1,\"text\":\"Datenträger geprüft: 1 Warnung.\"}\n"},
    };
    for (const Case& c : cases) {
        const std::string medium = Medium(c.what, c.columns, c.data);
        for (const std::string& stray : c.strays) test::WriteBytes(medium + "/" + stray, "");
        const CliOutcome r = Run({"check", medium});
        EXPECT_EQ(r.code, c.code) << c.what;
        EXPECT_EQ(r.out, c.out) << c.what;
        EXPECT_EQ(r.err, "") << c.what;
        const CliOutcome json = Run({"check", medium, "--json"});
        EXPECT_EQ(json.code, c.code) << c.what;
        EXPECT_EQ(json.out, c.json) << c.what;
        EXPECT_EQ(json.err, "") << c.what;
    }
    // The check needs no home: it reads the folder only.
    EXPECT_FALSE(fs::exists(home()));
}

TEST_F(CheckCliTest, UsageErrorsExitWithTwoAndOneLine) {
    const std::string medium = Medium("m", kName, "1000;\"Kasse\"\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"check"}, "norvik-export: Aufruf: check DIR|ZIP [--json]\n"},
        {{"check", medium, medium}, "norvik-export: Aufruf: check DIR|ZIP [--json]\n"},
        {{"check", medium, "--strict"},
         "norvik-export: unbekannte Option --strict (check DIR|ZIP [--json])\n"},
        {{"check", dir.file("fehlt")},
         "norvik-export: weder Ordner noch ZIP-Datei: " + dir.file("fehlt") + "\n"},
    };
    for (const Case& c : cases) {
        const CliOutcome r = Run(c.args);
        EXPECT_EQ(r.code, 2) << c.err;
        EXPECT_EQ(r.out, "") << c.err;
        EXPECT_EQ(r.err, c.err);
    }
    const CliOutcome help = Run({"check", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Aufruf: norvik-export check DIR|ZIP [--json]\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("Exit-Code 0 ohne Befunde, 1 bei Fehlern, 3 bei nur Warnungen"),
              std::string::npos);
    EXPECT_NE(Run({"--help"}, false).out.find("  check DIR|ZIP [--json] "), std::string::npos);
}

TEST_F(CheckCliTest, WithoutThePublishedDtdTheCopyIsNotComparedAndThatIsSaid) {
    const std::string medium = Medium("m", kName, "1000;\"Kasse\"\r\n");
    // Neither $NORVIK_SHARED_DIR nor ../shared seen from the working folder holds it.
    const std::string shared = std::getenv("NORVIK_SHARED_DIR");
    const fs::path cwd = fs::current_path();
    fs::create_directories(dir.file("leer/arbeit"));
    ::setenv("NORVIK_SHARED_DIR", dir.file("leer").c_str(), 1);
    fs::current_path(dir.file("leer/arbeit"));
    const CliOutcome r = Run({"check", medium});
    const CliOutcome json = Run({"check", medium, "--json"});
    fs::current_path(cwd);
    ::setenv("NORVIK_SHARED_DIR", shared.c_str(), 1);
    const std::string note =
        "Hinweis: die veröffentlichte gdpdu-01-08-2002.dtd wurde nicht gefunden "
        "($NORVIK_SHARED_DIR/gdpdu/ oder ../shared/gdpdu/); die Kopie auf dem Datenträger "
        "wurde nicht mit ihr verglichen.\n";
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, note + "Datenträger geprüft: keine Befunde.\n");
    // The JSON lines stay JSON.
    EXPECT_EQ(json.code, 0);
    EXPECT_EQ(json.out,
              "{\"errors\":0,\"warnings\":0,\"text\":\"Datenträger geprüft: keine Befunde.\"}\n");
    EXPECT_EQ(json.err, "norvik-export: " + note);
}

}  // namespace
}  // namespace norvik
