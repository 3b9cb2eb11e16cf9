// The settings store and the protocol in their tables on every back end, in tables they create
// and in those earlier versions created.

#include <gtest/gtest.h>

#include <array>

#include "common/vb_error.h"
#include "db/connection.h"
#include "host/db_protocol.h"
#include "host/host_settings.h"
#include "support/backends/backends.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

// The tables as versions before MariaDB's support created them.
const char* const kEarlierSettings =
    "CREATE TABLE norvik_host_settings (lookup TEXT PRIMARY KEY, section TEXT NOT NULL, "
    "setting_key TEXT NOT NULL, owner TEXT NOT NULL, value TEXT NOT NULL)";
const char* const kEarlierProtocol =
    "CREATE TABLE norvik_protocol (id TEXT PRIMARY KEY, created TEXT NOT NULL, title TEXT, "
    "user_name TEXT, list_name TEXT, date_text TEXT, interface_name TEXT, file_name TEXT, info "
    "TEXT); CREATE TABLE norvik_protocol_line (protocol_id TEXT NOT NULL, line_no INTEGER NOT "
    "NULL, field INTEGER, part INTEGER, text TEXT, PRIMARY KEY (protocol_id, line_no))";

// Writes a protocol entry of anna's with its lines; gives its id.
std::string WriteProtocol(const std::shared_ptr<db::Connection>& db, std::string name,
                          std::string file, const std::vector<std::string>& lines) {
    DbProtocol protocol;
    std::string title = "Datenexport", user = "anna", list, date, info;
    const std::string id = protocol.CreateProtokoll(db, title, user, list, date, name, file, info);
    for (std::string line : lines) {
        protocol.AddNewRecord();
        protocol.SetField(10, 0, line);
        protocol.UpdateRecord();
    }
    return id;
}

class OwnTablesTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        NORVIK_REQUIRE_BACKEND(GetParam());
        db = db::Connection::Open(database_.Create(GetParam(), dir.path().string()));
    }

    bool MariaDb() const { return test::SqlOf(GetParam()) == "mariadb"; }

    // The rows of the settings table.
    int64_t SettingRows() const {
        auto rs = db->OpenRecordSet("SELECT COUNT(*) FROM norvik_host_settings");
        return std::get<int64_t>(rs->Item(0));
    }

    test::TempDir dir;
    test::TestDatabase database_;
    std::shared_ptr<db::Connection> db;
};

// Settings are stored by name without regard to case, one row a name, whatever the value. Names
// that a back end's default collation takes as one (MariaDB: "ü" = "u", "ß" = "s", and no
// trailing blanks) are different settings, as they are in the component, or refused where the
// database cannot tell them apart, never confused. Section, key and owner hold 510 characters
// together (two separate them in the 512 of the key column), however many bytes they take.
TEST_P(OwnTablesTest, SettingsAreStoredByNameWithoutRegardToCaseNeverConfused) {
    // The cases of cases/stored_settings.tsv, with MariaDB's outcomes where it has its own.
    std::vector<std::array<std::string, 6>> cases;
    for (const test::CaseRow& c : test::ReadCases("host/cases/stored_settings.tsv")) {
        const bool own = MariaDb() && c.fields.size() > 6;
        cases.push_back({test::Repeated(c[0]), test::Repeated(c[1]), c[2], c[3], own ? c[6] : c[4],
                         own ? c[7] : c[5]});
    }
    // On new tables, then on those of earlier versions with a row they wrote.
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "tables of earlier versions" : "new tables");
        if (earlier && MariaDb()) break;  // earlier versions could not create their tables there
        if (earlier) {
            db->Execute("DROP TABLE norvik_host_settings");
            db->Execute(kEarlierSettings);
            db->Execute(
                "INSERT INTO norvik_host_settings VALUES ('tqbexport\x1fprotokollerzeugen\x1f"
                "anna', 'TQBExport', 'ProtokollErzeugen', 'anna', '0')");
        }
        HostSettings settings;
        settings.Connect(1, db, 0);
        EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "anna", "1"),
                  earlier ? "0" : "1");
        for (const auto& c : cases)
            EXPECT_EQ(test::RaisedBy([&] {
                          if (c[3] != "-") settings.WriteValue(c[0], c[1], c[3], c[2]);
                      }),
                      c[4])
                << c[2];
        for (const auto& c : cases) {
            std::string read;
            const std::string error =
                test::RaisedBy([&] { read = settings.ReadValue(c[0], c[1], c[2], "-"); });
            EXPECT_EQ(error.empty() ? read : error, c[5]) << c[2];
        }
        EXPECT_EQ(SettingRows(), MariaDb() ? 9 : 10);
    }
    HostSettings settings;
    settings.Connect(1, db, 0);

    // It writes through its own connection while the session's connection streams a result.
    db->Execute("CREATE TABLE zahlen (n INTEGER)");
    for (int i = 0; i < 3; ++i) db->Execute("INSERT INTO zahlen VALUES (?)", {int64_t{i}});
    auto rs = db->OpenRecordSet("SELECT n FROM zahlen");
    settings.WriteValue("TQBExport", "Während", "gestreamt", "anna");
    rs->MoveNext();
    rs->Close();
    EXPECT_EQ(settings.ReadValue("TQBExport", "während", "anna", ""), "gestreamt");

    HostSettings unconnected;
    EXPECT_THROW(unconnected.ReadValue("a", "b", "c", "d"), VbError);
}

// Entries of the same second come newest first, also past the ninth.
TEST_P(OwnTablesTest, TheProtocolListsEntriesNewestFirstWithTheirLinesInOrder) {
    EXPECT_TRUE(ReadProtocolEntries(*db, 10).empty());
    // On new tables, then on those of earlier versions.
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "tables of earlier versions" : "new tables");
        if (earlier && MariaDb()) break;  // earlier versions could not create their tables there
        if (earlier) {
            db->Execute("DROP TABLE norvik_protocol_line");
            db->Execute("DROP TABLE norvik_protocol");
            db->Execute(kEarlierProtocol);
        }
        std::vector<std::string> ids;
        for (int i = 0; i < 12; ++i) {
            const std::string name = "Lauf " + std::to_string(i);
            ids.insert(ids.begin(), WriteProtocol(db, name, "/tmp/ä.txt", {name + " € 😀", "Ende"}));
        }
        std::vector<std::string> read;
        for (const ProtocolEntry& e : ReadProtocolEntries(*db, 12)) {
            EXPECT_EQ(e.fileOrFolder, "/tmp/ä.txt");
            EXPECT_EQ(e.lines, (std::vector<std::string>{e.interfaceName + " € 😀", "Ende"}));
            read.push_back(e.id);
        }
        EXPECT_EQ(read, ids);
        EXPECT_EQ(ReadProtocolEntries(*db, 1).size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, OwnTablesTest, ::testing::ValuesIn(test::AllBackends()),
                         test::BackendName);

}  // namespace
}  // namespace norvik
