#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "common/vb_error.h"
#include "host/user_settings.h"
#include "standalone/host_config.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

TEST(UserSettings, KeepsAnyKeyAndValueInAnAtomicallyWrittenFile) {
    test::TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    std::vector<std::pair<std::string, std::string>> cases;
    for (const test::CaseRow& c : test::ReadCases("host/cases/settings.tsv"))
        cases.emplace_back(c[0], c[1]);
    for (const auto& [key, value] : cases) SaveSetting("TQBExport", "Schnittstelle", key, value);
    SaveSetting("TQBExport", "GDPdU", "Profil", "/srv/gdpdu");
    for (const auto& [key, value] : cases)
        EXPECT_EQ(GetSetting("TQBExport", "Schnittstelle", key), value) << key;
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
    struct Case {
        const char* name;
        std::string (*prepare)(const test::TempDir&);  // gives XDG_CONFIG_HOME
    };
    const Case cases[] = {
        {"configuration folder is a file",
         [](const test::TempDir& d) {
             test::WriteBytes(d.file("datei"), "kein Ordner");
             return d.file("datei");
         }},
        {"store is a folder",
         [](const test::TempDir& d) {
             std::filesystem::create_directories(d.path() / "norvik-export" / "TQBExport.ini");
             return d.path().string();
         }},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string config = c.prepare(dir);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        const std::string file = config + "/norvik-export/TQBExport.ini";
        try {
            SaveSetting("TQBExport", "x", "y", "z");
            ADD_FAILURE() << c.name << ": saved";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Description().rfind("Benutzereinstellungen nicht gespeichert (", 0), 0u)
                << c.name << ": " << e.Description();
            EXPECT_NE(e.Description().find(file + ". Bitte prüfen Sie, ob der Ordner " + config +
                                           "/norvik-export angelegt und beschreibbar ist"),
                      std::string::npos)
                << c.name << ": " << e.Description();
        }
        EXPECT_EQ(GetSetting("TQBExport", "x", "y", "d"), "d") << c.name;
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
