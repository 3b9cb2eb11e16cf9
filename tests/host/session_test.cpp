#include <gtest/gtest.h>

#include "common/vb_error.h"
#include "engine/tq_export.h"
#include "host/module_state.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

using SessionTest = test::SessionFixture;

TEST_F(SessionTest, FillsTheModuleStateFromTheSession) {
    EXPECT_EQ(gSession, session);
    EXPECT_EQ(gCommonAppDataFolder, home.file("common") + "/");
    EXPECT_EQ(gExportPath, home.file("common") + "/Drivers/Export/");
    EXPECT_EQ(gCommonUserDataFolder, home.file("data"));
    EXPECT_EQ(gUserName, "tester");
    ASSERT_NE(gHostSettings, nullptr);
    EXPECT_TRUE(gHostSettings->IsConnected());

    // A Windows host folder keeps its own separator.
    session->environment->CommonAppDataFolder = "C:\\Data\\";
    SessionStart(session);
    EXPECT_EQ(gExportPath, "C:\\Data\\Drivers\\Export\\");
}

TEST_F(SessionTest, StopsAtTheFirstMissingPieceKeepingWhatWasFilled) {
    auto bare = std::make_shared<HostSession>();
    const auto settings = gHostSettings;
    try {
        SessionStart(bare);
        FAIL() << "no error";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), kErrNoSuchProperty);
    }
    EXPECT_EQ(gSession, bare);
    EXPECT_EQ(gUserName, "tester");
    EXPECT_EQ(gHostSettings, settings);

    auto noUser = std::make_shared<HostSession>(*session);
    noUser->userName.reset();
    EXPECT_THROW(SessionStart(noUser), VbError);
    EXPECT_NE(gHostSettings, settings);  // connected anew before the user was read
    EXPECT_EQ(gUserName, "tester");
}

TEST_F(SessionTest, EngineKeepsTheSettingsOfTheSessionOrConnectsItsOwn) {
    const auto settings = gHostSettings;
    TQExport engine;
    EXPECT_EQ(gHostSettings, settings);
    EXPECT_EQ(engine.Mode, cTQExport);
    EXPECT_EQ(engine.ExpDef, nullptr);

    gHostSettings.reset();
    TQExport second;
    ASSERT_NE(gHostSettings, nullptr);
    EXPECT_TRUE(gHostSettings->IsConnected());
    EXPECT_TRUE(messages->calls.empty());

    gHostSettings.reset();
    gSession.reset();
    TQExport orphan;  // nothing to connect to: reported, not thrown
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].className, "TQExport");
}

}  // namespace
}  // namespace norvik
