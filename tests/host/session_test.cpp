#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/vb_error.h"
#include "engine/tq_export.h"
#include "host/file_list.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "support/cases.h"
#include "support/session/definition_text.h"
#include "support/session/session_fixture.h"
namespace norvik {
namespace {

using SessionTest = test::SessionFixture;

TEST_F(SessionTest, FillsTheModuleStateFromTheSession) {
    EXPECT_EQ(State().session, session);
    EXPECT_EQ(State().commonAppDataFolder, home.file("common") + "/");
    EXPECT_EQ(State().exportPath, home.file("common") + "/Drivers/Export/");
    // The host gave it without its separator; "%DataPath%GDPdU" must still lie inside it.
    EXPECT_EQ(State().commonUserDataFolder, home.file("data") + "/");
    EXPECT_EQ(State().userName, "tester");
    ASSERT_NE(State().hostSettings, nullptr);
    EXPECT_TRUE(State().hostSettings->IsConnected());

    // A Windows host folder keeps its own separator.
    session->environment->CommonAppDataFolder = "C:\\Data\\";
    SessionStart(session);
    EXPECT_EQ(State().exportPath, "C:\\Data\\Drivers\\Export\\");

    for (const auto& [given, kept] :
         std::vector<std::pair<std::string, std::string>>{{"C:\\Daten", "C:\\Daten\\"},
                                                          {"C:\\Daten\\", "C:\\Daten\\"},
                                                          {"/srv/daten/", "/srv/daten/"},
                                                          {"", ""}}) {
        session->environment->CommonUserDataFolder = given;
        SessionStart(session);
        EXPECT_EQ(State().commonUserDataFolder, kept) << given;
    }
}

TEST_F(SessionTest, StopsAtTheFirstMissingPieceKeepingWhatWasFilled) {
    auto bare = std::make_shared<HostSession>();
    const auto settings = State().hostSettings;
    EXPECT_TRUE(test::RaisedBy([&] {
                    SessionStart(bare);
                }).starts_with(std::to_string(kErrNoSuchProperty) + ": "));
    EXPECT_EQ(State().session, bare);
    EXPECT_EQ(State().userName, "tester");
    EXPECT_EQ(State().hostSettings, settings);

    auto noUser = std::make_shared<HostSession>(*session);
    noUser->userName.reset();
    EXPECT_THROW(SessionStart(noUser), VbError);
    EXPECT_NE(State().hostSettings, settings);  // connected anew before the user was read
    EXPECT_EQ(State().userName, "tester");
}

TEST_F(SessionTest, EngineConstructionTouchesNoStateAndSettingsConnectOnFirstUse) {
    const auto settings = State().hostSettings;
    State().hostSettings.reset();
    TQExport engine(State(), Services());
    EXPECT_EQ(State().hostSettings, nullptr);

    // The first reader connects the settings on the session's connection.
    EXPECT_TRUE(State().Settings().IsConnected());
    ASSERT_NE(State().hostSettings, nullptr);
    EXPECT_NE(State().hostSettings, settings);

    // Without a session there is nothing to connect to: the classic "object not set".
    State().hostSettings.reset();
    State().session.reset();
    for (const auto& use :
         std::vector<std::function<void()>>{[] { State().Settings(); }, [] { State().Session(); }})
        EXPECT_TRUE(test::RaisedBy(use).starts_with(std::to_string(kErrObjectNotSet) + ": "));
    EXPECT_TRUE(messages->calls.empty());
}

using FileListTest = test::SessionFixture;

void Definition(const std::string& path, const std::string& general) {
    test::WriteBytes(path, test::DefinitionBytes("[Allgemein]\n" + general + "\n"));
}

TEST_F(FileListTest, ListsNamedDefinitionsOrProfiles) {
    const std::string dir = exportPath();
    Definition(dir + "B_KUNDEN.EXP", "Name=Kunden");
    Definition(dir + "a_artikel.exp", "Name=\nSchnittstelle=Artikel über Schnittstelle");
    Definition(dir + "OHNE.EXP", "Datenquelle=x");
    Definition(dir + "LEER.EXP", "Name=   ");
    Definition(dir + "PROFIL.GDU", "Name=Betriebsprüfung");
    Definition(dir + "TEXT.TXT", "Name=kein Export");
    std::filesystem::create_directories(dir + "ORDNER.EXP");

    ASSERT_EQ(GetFileList(State(), Messages(), cTQExport), 2);
    EXPECT_EQ(State().fileCount, 2);
    EXPECT_EQ(State().fileList[0][0], "Artikel über Schnittstelle");
    EXPECT_EQ(State().fileList[0][1], dir + "a_artikel.exp");
    EXPECT_EQ(State().fileList[1][0], "Kunden");
    ASSERT_EQ(GetFileList(State(), Messages(), cTQGDPdU), 1);
    EXPECT_EQ(State().fileList[0][0], "Betriebsprüfung");
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(FileListTest, StopsAtTheRowsItHoldsAndReportsFolderErrors) {
    for (int i = 0; i < kFileListRows + 3; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "D%04d.EXP", i);
        Definition(exportPath() + name, "Name=Definition " + std::to_string(i));
    }
    EXPECT_EQ(GetFileList(State(), Messages(), cTQExport), kFileListRows);
    EXPECT_EQ(State().fileList[kFileListRows - 1][0], "Definition 256");
    EXPECT_TRUE(
        test::Matches(test::DescribeMessages(*messages), "ReportError: basMain.GetFileList|9|*"));

    messages->calls.clear();
    State().exportPath = home.file("gibt-es-nicht") + "/";
    EXPECT_EQ(GetFileList(State(), Messages(), cTQExport), 0);
    EXPECT_EQ(State().fileCount, 0);
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].kind, "ReportError");
}

}  // namespace
}  // namespace norvik
