// The settings store and the protocol in their tables on every back end, in tables they create
// and in those earlier versions created.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/vb_error.h"
#include "db/connection.h"
#include "host/db_protocol.h"
#include "host/host_settings.h"
#include "support/backends/backends.h"
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

TEST_P(OwnTablesTest, SettingsAreStoredByNameWithoutRegardToCase) {
    HostSettings settings;
    settings.Connect(1, db, 0);
    EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "anna", "1"), "1");
    // Writing again replaces the one row, even with the same value.
    for (const char* value : {"1", "1", "0", "0"}) {
        settings.WriteValue("TQBExport", "ProtokollErzeugen", value, "anna");
        EXPECT_EQ(SettingRows(), 1);
    }
    EXPECT_EQ(settings.ReadValue("tqbexport", "PROTOKOLLERZEUGEN", "ANNA", "1"), "0");
    EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "bernd", "1"), "1");
    settings.WriteValue("TQBEXPORT", "protokollerzeugen", "", "Anna");
    EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "anna", "1"),
              "");  // stored empty
    settings.WriteValue("Export_Kunden", "Währung", "€ 'quoted' \"x\"; DROP", "Standard");
    EXPECT_EQ(settings.ReadValue("Export_Kunden", "WÄHRUNG", "STANDARD", ""),
              "€ 'quoted' \"x\"; DROP");

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

// Letters the back ends' default collations take as one (MariaDB: "ü" = "u", "ß" = "s") are
// different names, as they are in the component.
TEST_P(OwnTablesTest, NamesDifferingInAccentsAreDifferentSettings) {
    HostSettings settings;
    settings.Connect(1, db, 0);
    const std::pair<const char*, const char*> owners[] = {
        {"müller", "1"}, {"muller", "2"}, {"Straße", "3"}, {"strasse", "4"}, {"stras", "5"}};
    for (const auto& [owner, value] : owners) settings.WriteValue("S", "K", value, owner);
    for (const auto& [owner, value] : owners)
        EXPECT_EQ(settings.ReadValue("S", "K", owner, "-"), value) << owner;
    EXPECT_EQ(SettingRows(), 5);
}

// MariaDB compares texts without their trailing blanks: a name that differs from a stored one
// only by them is refused there instead of replacing the other's value.
TEST_P(OwnTablesTest, ANameTheDatabaseCannotTellApartIsRefused) {
    HostSettings settings;
    settings.Connect(1, db, 0);
    settings.WriteValue("S", "K", "ohne", "anna");
    if (MariaDb()) {
        try {
            settings.WriteValue("S", "K", "mit", "anna ");
            ADD_FAILURE() << "stored";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), kErrDuplicateKey);
            EXPECT_EQ(e.Description(),
                      "Die Datenbank unterscheidet die Einstellung \"K\" (S, anna ) nicht von "
                      "einer gespeicherten anderen; sie wird nicht überschrieben.");
        }
        EXPECT_EQ(settings.ReadValue("S", "K", "anna ", "-"), "-");
    } else {
        settings.WriteValue("S", "K", "mit", "anna ");
        EXPECT_EQ(settings.ReadValue("S", "K", "anna ", "-"), "mit");
    }
    EXPECT_EQ(settings.ReadValue("S", "K", "anna", "-"), "ohne");
}

// Section, key and owner hold 510 characters together (two separate them in the 512 of the key
// column), however many bytes they take; longer ones are refused alike everywhere.
TEST_P(OwnTablesTest, NamesLongerThanTheKeyColumnAreRefused) {
    HostSettings settings;
    settings.Connect(1, db, 0);
    const std::string longest(255, 'x');
    std::string umlauts;
    for (int i = 0; i < 254; ++i) umlauts += "ä";
    settings.WriteValue(longest, umlauts, "lang", "a");
    EXPECT_EQ(settings.ReadValue(longest, umlauts, "a", "-"), "lang");
    const std::string refused =
        "Abschnitt, Schlüssel und Besitzer einer Einstellung dürfen zusammen höchstens 510 "
        "Zeichen lang sein, nicht 511.";
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { settings.WriteValue(longest, umlauts, "zu lang", "ab"); },
             [&] { settings.ReadValue(longest, umlauts + "ö", "a", "-"); }}) {
        try {
            call();
            ADD_FAILURE() << "accepted";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), kErrInvalidArgument);
            EXPECT_EQ(e.Description(), refused);
        }
    }
    EXPECT_EQ(SettingRows(), 1);
}

TEST_P(OwnTablesTest, TablesOfEarlierVersionsKeepWorking) {
    if (MariaDb()) GTEST_SKIP() << "earlier versions could not create their tables on MariaDB";
    db->Execute(kEarlierSettings);
    db->Execute(
        "INSERT INTO norvik_host_settings VALUES ('tqbexport\x1fprotokollerzeugen\x1f"
        "anna', "
        "'TQBExport', 'ProtokollErzeugen', 'anna', '0')");
    db->Execute(kEarlierProtocol);
    HostSettings settings;
    settings.Connect(1, db, 0);
    EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "Anna", "-"), "0");
    settings.WriteValue("TQBExport", "ProtokollErzeugen", "1", "anna");
    settings.WriteValue("TQBExport", "ProtokollErzeugen", "1", "bernd");
    EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "anna", "-"), "1");
    EXPECT_EQ(SettingRows(), 2);

    const std::string id = WriteProtocol(db, "Kunden", "", {"erste", "zweite"});
    const auto entries = ReadProtocolEntries(*db, 10);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].id, id);
    EXPECT_EQ(entries[0].lines, (std::vector<std::string>{"erste", "zweite"}));
}

// Entries of the same second come newest first, also past the ninth.
TEST_P(OwnTablesTest, TheProtocolListsEntriesNewestFirstWithTheirLinesInOrder) {
    EXPECT_TRUE(ReadProtocolEntries(*db, 10).empty());
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

INSTANTIATE_TEST_SUITE_P(Backends, OwnTablesTest, ::testing::ValuesIn(test::AllBackends()),
                         test::BackendName);

}  // namespace
}  // namespace norvik
