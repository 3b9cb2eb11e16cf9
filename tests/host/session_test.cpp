#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/vb_error.h"
#include "engine/tq_export.h"
#include "host/host_services.h"
#include "host/module_state.h"
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
    try {
        SessionStart(bare);
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), kErrNoSuchProperty);
    }
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
    EXPECT_EQ(engine.Mode, cTQExport);
    EXPECT_EQ(engine.ExpDef, nullptr);
    EXPECT_EQ(&engine.Module(), &State());

    // The first reader connects the settings on the session's connection.
    EXPECT_TRUE(State().Settings().IsConnected());
    ASSERT_NE(State().hostSettings, nullptr);
    EXPECT_NE(State().hostSettings, settings);

    // Without a session there is nothing to connect to: the classic "object not set".
    State().hostSettings.reset();
    State().session.reset();
    for (const auto& use : std::vector<std::function<void()>>{[] { State().Settings(); },
                                                              [] { State().Session(); }}) {
        try {
            use();
            ADD_FAILURE() << "no error";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), kErrObjectNotSet);
        }
    }
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(SessionTest, ResetEmptiesStateAndServices) {
    Services().messagePump = [] {};
    State().fileCount = 3;
    State().fileList[0] = {"a", "b", "c"};
    State().Reset();
    Services().Reset();
    EXPECT_EQ(State().session, nullptr);
    EXPECT_EQ(State().hostSettings, nullptr);
    EXPECT_TRUE(State().exportPath.empty());
    EXPECT_EQ(State().fileCount, 0);
    EXPECT_TRUE(State().fileList[0][0].empty());
    EXPECT_FALSE(Services().messagePump);
    EXPECT_EQ(Services().messages, nullptr);
    // The fallbacks stand in for what the host did not set.
    EXPECT_NE(dynamic_cast<ConsoleHostMessages*>(&Services().Messages()), nullptr);
    EXPECT_NE(dynamic_cast<XdgShellService*>(&Services().Shell()), nullptr);
    EXPECT_THROW(Services().CreateProtocolObject("Anderes.Objekt"), VbError);
}

}  // namespace
}  // namespace norvik
