#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "common/vb_error.h"
#include "db/connection.h"
#include "host/host_settings.h"
#include "host/user_settings.h"
#include "support/test_support.h"

namespace norvik {
namespace {

// Runs the host settings checks on a connection to a fresh database.
void CheckHostSettings(const std::shared_ptr<db::Connection>& connection) {
    HostSettings settings;
    settings.Connect(1, connection, 0);
    EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "anna", "1"), "1");
    settings.WriteValue("TQBExport", "ProtokollErzeugen", "0", "anna");
    EXPECT_EQ(settings.ReadValue("tqbexport", "PROTOKOLLERZEUGEN", "ANNA", "1"), "0");
    EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "bernd", "1"), "1");
    settings.WriteValue("TQBEXPORT", "protokollerzeugen", "", "Anna");
    EXPECT_EQ(settings.ReadValue("TQBExport", "ProtokollErzeugen", "anna", "1"), "");  // stored empty
    settings.WriteValue("Export_Kunden", "Währung", "€ 'quoted' \"x\"; DROP", "Standard");
    EXPECT_EQ(settings.ReadValue("Export_Kunden", "WÄHRUNG", "STANDARD", ""), "€ 'quoted' \"x\"; DROP");

    // It writes through its own connection while the session's connection streams a result.
    connection->Execute("CREATE TABLE zahlen (n INTEGER)");
    for (int i = 0; i < 3; ++i) connection->Execute("INSERT INTO zahlen VALUES (?)", {int64_t{i}});
    auto rs = connection->OpenRecordSet("SELECT n FROM zahlen");
    settings.WriteValue("TQBExport", "Während", "gestreamt", "anna");
    rs->MoveNext();
    rs->Close();
    EXPECT_EQ(settings.ReadValue("TQBExport", "während", "anna", ""), "gestreamt");

    HostSettings unconnected;
    EXPECT_THROW(unconnected.ReadValue("a", "b", "c", "d"), VbError);
}

TEST(HostSettings, SQLite) {
    test::TempDir dir;
    CheckHostSettings(db::Connection::Open("sqlite:" + dir.file("host.sqlite")));
}

TEST(HostSettings, PostgreSQL) {
    const std::string url = test::PostgresUrl();
    NORVIK_REQUIRE_POSTGRES(url);
    // A schema of its own, so that parallel test runs do not share the table.
    auto admin = db::Connection::Open(url);
    const std::string schema = "settings_" + std::to_string(::getpid());
    admin->Execute("DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema);
    const std::string sep = url.find('?') == std::string::npos ? "?" : "&";
    CheckHostSettings(db::Connection::Open(url + sep + "options=-csearch_path%3D" + schema));
    admin->Execute("DROP SCHEMA " + schema + " CASCADE");
}

TEST(UserSettings, KeepsAnyKeyAndValueInAnAtomicallyWrittenFile) {
    test::TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    const std::pair<std::string, std::string> cases[] = {
        {"Kunden Export", "/srv/daten/kunden.txt"},
        {"a=b", "x=y"},
        {"[Abschnitt]", "; kein Kommentar"},
        {" blank davor und danach ", " wert "},
        {"zwei\nZeilen\\", "C:\\Daten\\\r\nx"},
        {"Größe", "Übergröße"},
    };
    for (const auto& [key, value] : cases) SaveSetting("TQBExport", "Schnittstelle", key, value);
    SaveSetting("TQBExport", "GDPdU", "Profil", "/srv/gdpdu");
    for (const auto& [key, value] : cases) EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", key), value) << key;
    EXPECT_EQ(GetSetting("tqbexport", "SCHNITTSTELLE", "GRÖSSE", "d"), "d");
    EXPECT_EQ(GetSetting("TQBExport", "schnittstelle", "größe", "d"), "Übergröße");
    EXPECT_EQ(GetSetting("TQBExport", "GDPdU", "profil"), "/srv/gdpdu");
    SaveSetting("TQBExport", "Schnittstelle", "KUNDEN EXPORT", "neu");  // replaces, ignoring case
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Kunden Export"), "neu");
    EXPECT_EQ(GetSetting("Fremd", "Schnittstelle", "Kunden Export", "d"), "d");

    const auto folder = dir.path() / "norvik-export";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);  // no temporary file left behind

    // A store that cannot be written raises; reading it gives the default.
    test::WriteBytes(dir.file("datei"), "kein Ordner");
    ::setenv("XDG_CONFIG_HOME", dir.file("datei").c_str(), 1);
    EXPECT_THROW(SaveSetting("TQBExport", "x", "y", "z"), VbError);
    EXPECT_EQ(GetSetting("TQBExport", "x", "y", "d"), "d");
}

}  // namespace
}  // namespace norvik
