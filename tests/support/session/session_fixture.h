#pragma once
// A started component session for tests of the layers above the database.

#include <memory>
#include <string>
#include <vector>

#include "host/host_messages.h"
#include "host/host_session.h"
#include "support/backends/backends.h"
#include "support/test_support.h"

namespace norvik::test {

// A session in a temporary home over a database of its own (see TestDatabase), with recorded
// messages and a private per-user settings folder. The component's state and services are emptied
// when it starts and again when it stops.
class TestSession {
  public:
    ~TestSession();

    // Starts the session on a database of its own on a back end ("sqlite", "postgresql" …, see
    // AllBackends).
    void Start(const std::string& backend = "sqlite");
    // Ends the session and drops its database.
    void Stop();
    // Runs a statement on the session's database.
    void Sql(const std::string& statement) const;
    // The recorded calls of one kind of the message service.
    std::vector<RecordingHostMessages::Call> Calls(const std::string& kind) const;
    // The export folder of the session.
    std::string exportPath() const;

    TempDir home;
    std::shared_ptr<RecordingHostMessages> messages;
    std::shared_ptr<HostSession> session;

  private:
    TestDatabase database_;
};

// A test on a session over SQLite.
class SessionFixture : public ::testing::Test, public TestSession {
  protected:
    void SetUp() override { Start(); }
    void TearDown() override { Stop(); }
};

}  // namespace norvik::test
