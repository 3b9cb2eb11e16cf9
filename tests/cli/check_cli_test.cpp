#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>

#include "cli/cli_fixture.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;

// norvik-export check on case media of the check's own tests (tests/gdpdu/cases/check).
class CheckCliTest : public test::CliFixture {
  protected:
    // A copy of the case medium with the published DTD of that name beside it.
    std::string Medium(const std::string& name, const std::string& dtd = "gdpdu-01-08-2002.dtd") {
        fs::copy(Cases() / name, dir.file(name));
        fs::copy_file(fs::path(test::PublishedDtd()).replace_filename(dtd),
                      dir.file(name + "/" + dtd));
        return dir.file(name);
    }
    static fs::path Cases() { return fs::path(NORVIK_SOURCE_DIR) / "tests/gdpdu/cases/check"; }
    // Packs the folder's files at the top level of a ZIP.
    static void Zip(const std::string& folder, const std::string& zip) {
        int error = 0;
        zip_t* archive = zip_open(zip.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(archive, nullptr);
        for (const auto& entry : fs::directory_iterator(folder)) {
            zip_source_t* source = zip_source_file(archive, entry.path().c_str(), 0, -1);
            ASSERT_NE(source, nullptr);
            ASSERT_GE(zip_file_add(archive, entry.path().filename().c_str(), source, 0), 0);
        }
        ASSERT_EQ(zip_close(archive), 0);
    }
};

// With --json each finding is a JSON object on a line of its own, the summary last. The broken
// medium's data and stray files hold quotes, backslashes, control characters and a name that is
// no UTF-8; its findings are golden/check_findings.txt and .jsonl.
TEST_F(CheckCliTest, ExitCodesSayWhetherTheMediumImportsCleanly) {
    const std::string golden = std::string(NORVIK_SOURCE_DIR) + "/tests/cli/golden/";
    const struct {
        std::string medium;
        std::string data;  // konten.txt instead of the case's, when given
        int code;
        std::string out, json;
    } cases[] = {
        {"layouts-in-ranges-of-their-own", "", 0, "Datenträger geprüft: keine Befunde.\n",
         "{\"errors\":0,\"warnings\":0,\"text\":\"Datenträger geprüft: keine "
         "Befunde.\",\"dtd\":\"gdpdu-01-08-2002.dtd\",\"version\":\"1.1\"}\n"},
        {"G404", "1000;\"Kasse\"\r\n1000;\"Bank\"\r\n1200\r\n1\t2\\3;\"Zoll\"\r\n1300;\"offen\r\n",
         1, test::ReadBytes(golden + "check_findings.txt"),
         test::ReadBytes(golden + "check_findings.jsonl")},
        {"G307", "", 3, "Datenträger geprüft: 1 Warnung.\n",
         "{\"code\":\"G307\",\"severity\":\"warning\",\"file\":\"Index.xml\",\"line\":13,"
         "\"table\":\"Konten\",\"column\":\"name\",\"count\":1,\"text\":\"Tabelle Konten: Spalte "
         "name ist mehrfach beschrieben.\"}\n"
         "{\"errors\":0,\"warnings\":1,\"text\":\"Datenträger geprüft: 1 "
         "Warnung.\",\"dtd\":\"gdpdu-01-08-2002.dtd\",\"version\":\"1.1\"}\n"},
    };
    for (const auto& c : cases) {
        const std::string medium = Medium(c.medium);
        std::string out = c.out;
        if (c.data.empty()) {
            out = test::ReadBytes((Cases() / (c.medium + ".txt")).string()) + out;
        } else {
            test::WriteBytes(medium + "/konten.txt", c.data);
            for (const char* stray : {"alt\tkopie.txt", "m\xe4rz.txt"})
                test::WriteBytes(medium + "/" + stray, "");
        }
        const CliOutcome r = Run({"check", medium});
        EXPECT_EQ(r.code, c.code) << c.medium;
        EXPECT_EQ(r.out, out);
        EXPECT_EQ(r.err, "") << c.medium;
        const CliOutcome json = Run({"check", medium, "--json"});
        EXPECT_EQ(json.code, c.code) << c.medium;
        EXPECT_EQ(json.out, c.json);
        EXPECT_EQ(json.err, "") << c.medium;
    }
    // The check needs no home: it reads the folder only.
    EXPECT_FALSE(fs::exists(home()));
}

// A medium of the later version, as cash registers write it, is read as that version and says
// so; what the check names without reading or running it leaves the medium clean.
TEST_F(CheckCliTest, AMediumOfTheLaterVersionIsReadAsThatVersion) {
    const std::string version =
        "Datenträger geprüft (gelesen nach gdpdu-01-09-2004.dtd, Version 1.5 des "
        "Beschreibungsstandards): ";
    const struct {
        const char* medium;
        int code;
        const char* out;  // before the summary
        const char* summary;
    } cases[] = {
        {"dsfinvk", 0, "", "keine Befunde."},
        {"v2004-frame", 0, "*HINWEIS G111 Index.xml:28: *\n", "keine Befunde."},
        {"dsfinvk-faults", 1, "FEHLER G503 *\nFEHLER G603 *\nFEHLER G401 *\n", "3 Fehler."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.medium);
        const std::string medium = Medium(c.medium, "gdpdu-01-09-2004.dtd");
        const CliOutcome r = Run({"check", medium});
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(test::Matches(r.out, std::string(c.out) + version + c.summary + "\n")) << r.out;
        const CliOutcome json = Run({"check", medium, "--json"});
        EXPECT_EQ(json.code, c.code);
        const std::string last = json.out.substr(json.out.rfind('{'));
        EXPECT_TRUE(test::Matches(last, "*\"dtd\":\"gdpdu-01-09-2004.dtd\",\"version\":\"1.5\"}\n"))
            << last;
        // Packed as such programs pack it, without our list and record: the same findings.
        const std::string zip = medium + ".zip";
        Zip(medium, zip);
        const CliOutcome packed = Run({"check", zip});
        EXPECT_EQ(packed.code, c.code);
        EXPECT_TRUE(test::Matches(packed.out, "HINWEIS G713 " + fs::path(zip).filename().string() +
                                                  ": Die ZIP-Datei enthält weder *\n" + c.out +
                                                  version + c.summary + "\n"))
            << packed.out;
    }
}

// Names from a medium (files, tables) reach the plain output with their control characters,
// direction marks and stray bytes visible: no forged finding line, no text hidden on a terminal.
TEST_F(CheckCliTest, NamesFromTheMediumCannotForgeOrHideALine) {
    const std::string medium = Medium("G401");
    const std::string index = test::ReadBytes(medium + "/Index.xml");
    test::WriteBytes(medium + "/Index.xml",
                     index.substr(0, index.find("<Name>Konten</Name>")) +
                         "<Name>Konten&#10;FEHLER G999 x.txt: gef&#228;lscht&#13;</Name>" +
                         index.substr(index.find("<Name>Konten</Name>") + 19));
    for (const char* stray : {"a\nFEHLER G999 b.txt", "\x1b[2Jweg.txt", "\xe2\x80\xaetxt.exe"})
        test::WriteBytes(medium + "/" + stray, "");
    const CliOutcome r = Run({"check", medium});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out,
              "WARNUNG G206 [1B][2Jweg.txt: Index.xml beschreibt die Datei „[1B][2Jweg.txt“ nicht; "
              "ein Import liest sie nicht.\n"
              "WARNUNG G206 a[LF]FEHLER G999 b.txt: Index.xml beschreibt die Datei „a[LF]FEHLER "
              "G999 b.txt“ nicht; ein Import liest sie nicht.\n"
              "WARNUNG G206 [U+202E]txt.exe: Index.xml beschreibt die Datei „[U+202E]txt.exe“ "
              "nicht; ein Import liest sie nicht.\n"
              "FEHLER G401 konten.txt:1: Tabelle Konten[LF]FEHLER G999 x.txt: gefälscht[CR]: Zeile "
              "hat 3 Felder, erwartet 2.\n"
              "FEHLER G401 konten.txt:2: Tabelle Konten[LF]FEHLER G999 x.txt: gefälscht[CR]: Zeile "
              "hat 1 Feld, erwartet 2.\n"
              "Datenträger geprüft: 2 Fehler, 3 Warnungen.\n");
}

// The copy on the medium is compared with the published DTD installed with the tool, wherever the
// check is started; $NORVIK_SHARED_DIR overrides where it lies.
TEST_F(CheckCliTest, TheCopyIsComparedWithTheInstalledDtdFromAnyFolder) {
    const std::string medium = Medium("layouts-in-ranges-of-their-own");
    test::WriteBytes(medium + "/gdpdu-01-08-2002.dtd",
                     test::ReadBytes(test::PublishedDtd()) + "<!-- geändert -->\n");
    const fs::path cwd = fs::current_path();
    fs::create_directories(dir.file("leer/arbeit"));
    for (const char* start : {"/", "/tmp"}) {
        SCOPED_TRACE(start);
        fs::current_path(start);
        const CliOutcome r = Run({"check", medium});
        fs::current_path(cwd);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out,
                  "FEHLER G105 gdpdu-01-08-2002.dtd: Die DTD-Datei weicht von der "
                  "veröffentlichten ab; ein Datenträger muss sie unverändert enthalten.\n"
                  "Datenträger geprüft: 1 Fehler.\n");
    }
    ::setenv("NORVIK_SHARED_DIR", dir.file("leer").c_str(), 1);
    const CliOutcome r = Run({"check", medium});
    const CliOutcome json = Run({"check", medium, "--json"});
    ::unsetenv("NORVIK_SHARED_DIR");
    const std::string note =
        "Hinweis: die veröffentlichte gdpdu-01-08-2002.dtd wurde nicht "
        "gefunden (" +
        dir.file("leer") +
        "/gdpdu); die Kopie auf dem Datenträger wurde nicht mit ihr "
        "verglichen.\n";
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, note + "Datenträger geprüft: keine Befunde.\n");
    // The JSON lines stay JSON.
    EXPECT_EQ(json.code, 0);
    EXPECT_EQ(json.out,
              "{\"errors\":0,\"warnings\":0,\"text\":\"Datenträger geprüft: keine "
              "Befunde.\",\"dtd\":\"gdpdu-01-08-2002.dtd\",\"version\":\"1.1\"}\n");
    EXPECT_EQ(json.err, "norvik-export: " + note);
}

}  // namespace
}  // namespace norvik
