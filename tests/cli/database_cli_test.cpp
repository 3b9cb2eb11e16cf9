// The command line on each back end's real settings and protocol tables: what a run remembers is
// stored once and replaced by the next choice, and every run with a protocol leaves one entry.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/cli_fixture.h"
#include "db/connection.h"
#include "support/backends/backends.h"

namespace norvik {
namespace {

using test::CliOutcome;

class DatabaseCliTest : public test::CliFixture, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        NORVIK_REQUIRE_BACKEND(GetParam());
        CliFixture::SetUp();
        url_ = database_.Create(GetParam(), dir.path().string());
        test::WriteBytes(home() + "/norvik-export.ini",
                         "[Datenbank]\nURL=" + url_ + "\n[Sitzung]\nBenutzer=anna\n");
        auto db = db::Connection::Open(url_);
        db->Execute("CREATE TABLE kunden (nr INTEGER, name VARCHAR(40))");
        db->Execute("INSERT INTO kunden VALUES (1, 'Müller'), (2, 'Kölsch & Co')");
        test::WriteBytes(exports() + "KUNDEN.EXP",
                         test::DefinitionBytes("[Allgemein]\nName=Kunden\nDatenquelle=SELECT * "
                                               "FROM kunden ORDER BY nr\nDateiname=" +
                                               Output() +
                                               "\n[Parameter]\nMandant=,\"001\"\n"
                                               "[DATENSATZ]\nFIELD nr,N,,0\nFIELD name,T,,0\n"
                                               "PARAM Mandant,V,,0\n"));
    }

    std::string Output() const { return dir.file("kunden.txt"); }

    test::TestDatabase database_;
    std::string url_;
};

// The calls of cases/settings_calls.tsv: what a run remembers is stored once and replaced by the
// next choice, and every run with a protocol leaves one entry.
TEST_P(DatabaseCliTest, RunsRememberTheirChoicesOnceAndWriteTheirProtocol) {
    RunCallTable("cli/cases/settings_calls.tsv", {{"{URL}", url_}});
}

// The calls of cases/backend_calls.tsv on the back end's own data (the definitions of
// cases/backend/, also KASSE.EXP in the working folder): runs without rows, changes of data and
// mistakes say the same on each back end.
TEST_P(DatabaseCliTest, EachCallSaysTheSameOnEveryBackEnd) {
    if (GetParam() != "sqlite" && GetParam() != "postgresql") GTEST_SKIP() << "native back ends";
    auto db = db::Connection::Open(url_);
    db->Execute("CREATE TABLE posten (nr INTEGER, name VARCHAR(40))");
    db->Execute("INSERT INTO posten VALUES (1, 'Müller'), (2, 'Café Łódź und Söhne'), (3, 'Zoë')");
    db->Execute("CREATE TABLE notiz (nr INTEGER, text VARCHAR(40))");
    db->Execute("INSERT INTO notiz VALUES (2, 'Zeile eins\nZeile zwei')");
    db.reset();
    const std::string cases = std::string(NORVIK_SOURCE_DIR) + "/tests/cli/cases/";
    for (const auto& file : std::filesystem::directory_iterator(cases + "backend")) {
        std::string text = test::ReadBytes(file.path().string());
        for (size_t p; (p = text.find("{DIR}")) != std::string::npos;)
            text.replace(p, 5, dir.path().string());
        test::WriteBytes(exports() + file.path().filename().string(), test::DefinitionBytes(text));
    }
    std::filesystem::copy_file(exports() + "KASSE.EXP", dir.file("KASSE.EXP"));
    std::filesystem::create_directories(dir.file("medium"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    RunCallTable("cli/cases/backend_calls.tsv");
    std::filesystem::current_path(before);
}

// The README's profile selects a period's bookings on each back end in the form the README gives
// for it (SQLite keeps dates as ISO texts, PostgreSQL as dates); on SQLite the other form selects
// none, and a warning says so.
TEST_P(DatabaseCliTest, TheReadmeProfileSelectsItsPeriod) {
    if (GetParam() != "sqlite" && GetParam() != "postgresql") GTEST_SKIP() << "native back ends";
    auto db = db::Connection::Open(url_);
    db->Execute(
        "CREATE TABLE Buchungen (Buchungsnummer INTEGER, Belegnummer VARCHAR(10), Belegdatum DATE, "
        "Konto INTEGER, Gegenkonto INTEGER, Kundennummer INTEGER, Betrag DECIMAL(12,2), "
        "Steuerschluessel INTEGER, Buchungstext VARCHAR(40), Waehrung VARCHAR(3))");
    db->Execute(
        "INSERT INTO Buchungen VALUES (1, 'B1', '2026-01-15', 8400, 1200, NULL, 10.5, 3, 'Januar', "
        "'EUR'), (2, 'B2', '2026-03-01', 8400, 1200, NULL, 20, 3, 'März', 'EUR')");
    db.reset();
    const std::string source = NORVIK_SOURCE_DIR;
    test::WriteBytes(exports() + "GDPDU_BUCHUNGEN.EXP",
                     test::ReadBytes(source + "/demo/definitions/GDPDU_BUCHUNGEN.EXP"));
    const std::string readme = test::ReadBytes(source + "/README.md");
    const size_t start = readme.find("```\n", readme.find("### `.GDU`")) + 4;
    const std::string printed = readme.substr(start, readme.find("```", start) - start);
    // The printed profile is SQLite's; PostgreSQL's line follows it as a comment.
    const size_t sqlite = printed.find("\nFile01=") + 1, postgres = printed.find("; File01=");
    ASSERT_NE(postgres, std::string::npos) << printed;
    std::string swapped = printed;
    swapped.erase(postgres, 2);
    swapped.insert(sqlite, "; ");
    std::filesystem::create_directories(dir.file("medium"));
    for (const bool asPrinted : {true, false}) {
        SCOPED_TRACE(asPrinted ? "as printed" : "the other form");
        test::WriteBytes(exports() + "README.GDU",
                         test::DefinitionBytes(asPrinted ? printed : swapped));
        const CliOutcome r =
            Run({"-q", "gdpdu", exports() + "README.GDU", "--from", "01.01.2026", "--to",
                 "31.01.2026", "--out", dir.file("medium"), "--no-remember"});
        const bool fits = asPrinted == (GetParam() == "sqlite");
        // strftime is SQLite's own: PostgreSQL refuses the statement, which fails the build.
        EXPECT_EQ(r.code, fits || GetParam() == "sqlite" ? 0 : 1) << r.err;
        if (r.code != 0) continue;
        EXPECT_EQ(r.err.find("Warnung: Tabelle Buchungen: keine Datensätze") == std::string::npos,
                  fits)
            << r.err;
        const std::string data = test::ReadBytes(dir.file("medium/buchungen.txt"));
        EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), fits ? 1 : 0) << data;
    }
}

// Letters beyond ASCII reach the server as psql sends them; only the URL's own delimiters are
// percent-encoded. The server checks the password (scram-sha-256 for this role alone).
TEST_P(DatabaseCliTest, APasswordBeyondAsciiLogsIn) {
    if (GetParam() != "postgresql") GTEST_SKIP() << "a server that checks passwords";
    const std::string schema = url_.substr(url_.find("search_path%3D") + 14);
    auto admin = db::Connection::Open(url_);
    admin->Execute(
        "DO $$BEGIN CREATE ROLE norvik_kennwort LOGIN; EXCEPTION WHEN duplicate_object THEN "
        "NULL; END$$");
    admin->Execute("GRANT ALL ON SCHEMA " + schema + " TO norvik_kennwort");
    admin->Execute("GRANT ALL ON ALL TABLES IN SCHEMA " + schema + " TO norvik_kennwort");
    const auto login = [&](const std::string& written) {
        std::string url = url_;
        url.replace(url.find("norvik@"), 7, "norvik_kennwort:" + written + "@");
        test::WriteBytes(home() + "/norvik-export.ini", "[Datenbank]\nURL=" + url + "\n");
        return Run({"-q", "run", "KUNDEN.EXP", "--no-protocol", "--no-remember"});
    };
    for (const auto& [password, written] : std::vector<std::pair<std::string, std::string>>{
             {"Straße1", "Straße1"}, {"Öl@Grün:1", "Öl%40Grün%3A1"}}) {
        SCOPED_TRACE(password);
        admin->Execute("ALTER ROLE norvik_kennwort PASSWORD '" + password + "'");
        const CliOutcome right = login(written);
        EXPECT_EQ(right.code, 0) << right.err;
        EXPECT_EQ(test::ReadBytes(Output()).substr(0, 2), "1;");
        std::filesystem::remove(Output());
        const CliOutcome wrong = login("Strasse1");
        EXPECT_EQ(wrong.code, 1);
        EXPECT_NE(wrong.err.find("password authentication failed"), std::string::npos) << wrong.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseCliTest, ::testing::ValuesIn(test::AllBackends()),
                         test::BackendName);

}  // namespace
}  // namespace norvik
