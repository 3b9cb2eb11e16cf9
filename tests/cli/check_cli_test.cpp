#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/cli_fixture.h"
#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;

// norvik-export check on small media written into the test's folder.
class CheckCliTest : public test::CliFixture {
  protected:
    void SetUp() override {
        CliFixture::SetUp();
        if (test::PublishedDtd().empty()) GTEST_SKIP() << test::DtdMissing();
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
        fs::copy_file(test::PublishedDtd(), folder + "/gdpdu-01-08-2002.dtd");
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

TEST_F(CheckCliTest, WithoutThePublishedDtdTheCopyIsNotComparedAndThatIsSaid) {
    const std::string medium = Medium("m", kName, "1000;\"Kasse\"\r\n");
    // Neither $NORVIK_SHARED_DIR nor ../shared seen from the working folder holds it.
    const char* shared = std::getenv("NORVIK_SHARED_DIR");
    const std::string before = shared ? shared : "";
    const fs::path cwd = fs::current_path();
    fs::create_directories(dir.file("leer/arbeit"));
    ::setenv("NORVIK_SHARED_DIR", dir.file("leer").c_str(), 1);
    fs::current_path(dir.file("leer/arbeit"));
    const CliOutcome r = Run({"check", medium});
    fs::current_path(cwd);
    if (shared)
        ::setenv("NORVIK_SHARED_DIR", before.c_str(), 1);
    else
        ::unsetenv("NORVIK_SHARED_DIR");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "Hinweis: die veröffentlichte gdpdu-01-08-2002.dtd wurde nicht gefunden "
              "($NORVIK_SHARED_DIR/gdpdu/ oder ../shared/gdpdu/); die Kopie auf dem Datenträger "
              "wurde nicht mit ihr verglichen.\n"
              "Datenträger geprüft: keine Befunde.\n");
}

}  // namespace
}  // namespace norvik
