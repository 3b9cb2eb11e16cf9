#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "host/user_settings.h"
#include "standalone/host_config.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

TEST(UserSettings, KeepsAnyKeyAndValueInAnAtomicallyWrittenFile) {
    test::TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    const std::vector<test::CaseRow> cases = test::ReadCases("host/cases/settings.tsv");
    for (const test::CaseRow& c : cases) SaveSetting("TQBExport", "Schnittstelle", c[0], c[1]);
    SaveSetting("TQBExport", "GDPdU", "Profil", "/srv/gdpdu");
    for (const test::CaseRow& c : cases)
        EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", c[0]), c[1]) << c.where;
    EXPECT_EQ(GetSetting("tqbexport", "SCHNITTSTELLE", "GRÖSSE", "d"), "d");
    EXPECT_EQ(GetSetting("TQBExport", "schnittstelle", "größe", "d"), "Übergröße");
    EXPECT_EQ(GetSetting("TQBExport", "GDPdU", "profil"), "/srv/gdpdu");
    SaveSetting("TQBExport", "Schnittstelle", "KUNDEN EXPORT", "neu");  // replaces, ignoring case
    EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", "Kunden Export"), "neu");
    EXPECT_EQ(GetSetting("Fremd", "Schnittstelle", "Kunden Export", "d"), "d");

    // Beside the store only its lock file remains; no temporary file is left behind.
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "norvik-export"))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"TQBExport.ini", "TQBExport.ini.lock"}));
}

TEST(UserSettings, AStoreThatCannotBeWrittenRaisesAGermanMessage) {
    // The configuration folder is a file, or the store is a folder.
    for (const bool folderIsAFile : {true, false}) {
        SCOPED_TRACE(folderIsAFile ? "folder is a file" : "store is a folder");
        test::TempDir dir;
        const std::string config = folderIsAFile ? dir.file("datei") : dir.path().string();
        if (folderIsAFile)
            test::WriteBytes(config, "kein Ordner");
        else
            std::filesystem::create_directories(dir.path() / "norvik-export" / "TQBExport.ini");
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        const std::string file = config + "/norvik-export/TQBExport.ini";
        const std::string error = test::RaisedBy([] { SaveSetting("TQBExport", "x", "y", "z"); });
        EXPECT_TRUE(test::Matches(error, "*: Benutzereinstellungen nicht gespeichert (*" + file +
                                             ". Bitte prüfen Sie, ob der Ordner " + config +
                                             "/norvik-export angelegt und beschreibbar ist*"))
            << error;
        EXPECT_EQ(GetSetting("TQBExport", "x", "y", "d"), "d");
    }
}

// The passwd entry's name of the test's user, which stands in when $USER is unset or empty.
std::string PasswdName() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry && entry->pw_name && *entry->pw_name ? entry->pw_name : "Standard";
}

// The cases of cases/config.tsv.
TEST(HostConfig, UserAndDataFolderComeFromTheIniTheOptionOrTheLogin) {
    const char* before = std::getenv("USER");
    const std::string saved = before ? before : "";
    for (const test::CaseRow& c : test::ReadCases("host/cases/config.tsv")) {
        test::TempDir dir;
        const std::string home = dir.path().string() + "/";
        if (c[0] != "-") test::WriteBytes(home + "norvik-export.ini", c[0]);
        if (c[1] == "-")
            ::unsetenv("USER");
        else
            ::setenv("USER", c[1].c_str(), 1);
        const auto config = standalone::LoadHostConfig(home, c[2]);
        EXPECT_EQ(config.userName, c[3] == "{LOGIN}" ? PasswdName() : c[3]) << c.where;
        EXPECT_EQ(config.environment.CommonUserDataFolder,
                  c[4].starts_with("{HOME}") ? home + c[4].substr(6) : c[4])
            << c.where;
    }
    if (before)
        ::setenv("USER", saved.c_str(), 1);
    else
        ::unsetenv("USER");
}

}  // namespace
}  // namespace norvik
