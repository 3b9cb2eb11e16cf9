// The command line on each back end's real settings and protocol tables: what a run remembers is
// stored once and replaced by the next choice, and every run with a protocol leaves one entry.

#include <gtest/gtest.h>

#include <algorithm>

#include "cli/cli_fixture.h"
#include "db/connection.h"
#include "host/db_protocol.h"
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

    // Runs the command line and expects it to succeed.
    void Succeed(const std::vector<std::string>& args) const {
        const CliOutcome r = Run(args);
        EXPECT_EQ(r.code, 0) << args[0] << ": " << r.err << r.out;
    }

    // Every row of the settings table as "section|key|owner=value", sorted here: the back ends'
    // collations sort differently.
    std::vector<std::string> StoredSettings() const {
        auto rs = db::Connection::Open(url_)->OpenRecordSet(
            "SELECT section, setting_key, owner, value FROM norvik_host_settings");
        std::vector<std::string> rows;
        for (; !rs->Eof(); rs->MoveNext())
            rows.push_back(std::get<std::string>(rs->Item(0)) + "|" +
                           std::get<std::string>(rs->Item(1)) + "|" +
                           std::get<std::string>(rs->Item(2)) + "=" +
                           std::get<std::string>(rs->Item(3)));
        rs->Close();
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::vector<ProtocolEntry> Protocol() const {
        return ReadProtocolEntries(*db::Connection::Open(url_), 10);
    }

    test::TestDatabase database_;
    std::string url_;
};

TEST_P(DatabaseCliTest, RunsRememberTheirChoicesOnceAndWriteTheirProtocol) {
    const std::string summary =
        "Schnittstelle: Kunden\r\nAusgabe Daten: 2 Datensätze "
        "exportiert.\r\nAusgabedatei: " +
        Output();
    Succeed({"params", "KUNDEN.EXP", "--set", "Mandant=002"});
    Succeed({"run", "KUNDEN.EXP", "--protocol"});
    EXPECT_EQ(test::ReadBytes(Output()),
              test::DefinitionBytes("1;\"Müller\";\"002\"\n2;\"Kölsch & Co\";\"002\"\n"));
    auto entries = Protocol();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].user, "anna");
    EXPECT_EQ(entries[0].interfaceName, "Kunden");
    EXPECT_EQ(entries[0].lines, std::vector<std::string>{summary});
    const CliOutcome shown = Run({"protocol", "--last", "1"});
    EXPECT_EQ(shown.code, 0) << shown.err;
    EXPECT_NE(shown.out.find("  Kunden  (anna, "), std::string::npos) << shown.out;

    // The same choices again change no value (MariaDB then reports no changed row) and add no row.
    Succeed({"params", "KUNDEN.EXP", "--set", "Mandant=002"});
    Succeed({"run", "KUNDEN.EXP", "--protocol"});
    const std::vector<std::string> first = {"Export_KUNDEN|Mandant|Standard=002",
                                            "TQBExport|ProtokollErzeugen|anna=1"};
    EXPECT_EQ(StoredSettings(), first);
    EXPECT_EQ(Protocol().size(), 2u);

    // Other choices replace the stored values; without a switch the stored choice holds.
    Succeed({"params", "KUNDEN.EXP", "--set", "Mandant=003"});
    Succeed({"run", "KUNDEN.EXP", "--no-protocol"});
    Succeed({"run", "KUNDEN.EXP"});
    EXPECT_EQ(test::ReadBytes(Output()),
              test::DefinitionBytes("1;\"Müller\";\"003\"\n2;\"Kölsch & Co\";\"003\"\n"));
    const std::vector<std::string> second = {"Export_KUNDEN|Mandant|Standard=003",
                                             "TQBExport|ProtokollErzeugen|anna=0"};
    EXPECT_EQ(StoredSettings(), second);
    EXPECT_EQ(Protocol().size(), 2u);
    const CliOutcome stored =
        Run({"settings", "get", "tqbexport", "PROTOKOLLERZEUGEN", "--owner", "Anna"});
    EXPECT_EQ(stored.out, "0\n") << stored.err;
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseCliTest, ::testing::ValuesIn(test::AllBackends()),
                         test::BackendName);

}  // namespace
}  // namespace norvik
