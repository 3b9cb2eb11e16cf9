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
        int code;
        std::string out;
    };
    const Case cases[] = {
        {"clean", kName, "1000;\"Kasse\"\r\n", 0, "Datenträger geprüft: keine Befunde.\n"},
        {"errors", kName, "1000;\"Kasse\"\r\n1000;\"Bank\"\r\n1200\r\n", 1,
         "FEHLER G601 konten.txt:2: Tabelle Konten: Primärschlüssel nr = „1000“ ist mehrfach "
         "vergeben.\n"
         "FEHLER G401 konten.txt:3: Tabelle Konten: Zeile hat 1 Feld, erwartet 2.\n"
         "Datenträger geprüft: 2 Fehler.\n"},
        {"warnings", kName + kName, "1000;\"Kasse\";\"Bar\"\r\n", 3,
         "WARNUNG G307 Index.xml:7: Tabelle Konten: Spalte name ist mehrfach beschrieben.\n"
         "Datenträger geprüft: 1 Warnung.\n"},
    };
    for (const Case& c : cases) {
        const CliOutcome r = Run({"check", Medium(c.what, c.columns, c.data)});
        EXPECT_EQ(r.code, c.code) << c.what;
        EXPECT_EQ(r.out, c.out) << c.what;
        EXPECT_EQ(r.err, "") << c.what;
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
        {{"check"}, "norvik-export: Aufruf: check DIR|ZIP\n"},
        {{"check", medium, medium}, "norvik-export: Aufruf: check DIR|ZIP\n"},
        {{"check", medium, "--strict"},
         "norvik-export: unbekannte Option --strict (check DIR|ZIP)\n"},
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
    EXPECT_EQ(help.out.rfind("Aufruf: norvik-export check DIR|ZIP\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("Exit-Code 0 ohne Befunde, 1 bei Fehlern, 3 bei nur Warnungen"),
              std::string::npos);
    EXPECT_NE(Run({"--help"}, false).out.find("  check DIR|ZIP "), std::string::npos);
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
    fs::current_path(cwd);
    ::setenv("NORVIK_SHARED_DIR", shared.c_str(), 1);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "Hinweis: die veröffentlichte gdpdu-01-08-2002.dtd wurde nicht gefunden "
              "($NORVIK_SHARED_DIR/gdpdu/ oder ../shared/gdpdu/); die Kopie auf dem Datenträger "
              "wurde nicht mit ihr verglichen.\n"
              "Datenträger geprüft: keine Befunde.\n");
}

}  // namespace
}  // namespace norvik
