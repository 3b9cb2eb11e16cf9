#pragma once
// A started component session on SQLite for tests of the layers above the database.

#include "host/host_messages.h"
#include "host/host_session.h"
#include "support/test_support.h"

namespace norvik::test {

// A started component session on a SQLite database in a temporary home, with recorded messages
// and a private per-user settings folder; the module state is emptied again at the end.
class SessionFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The export folder of the session (gExportPath).
    std::string exportPath() const;

    TempDir home;
    std::shared_ptr<RecordingHostMessages> messages;
    std::shared_ptr<HostSession> session;
};

}  // namespace norvik::test
