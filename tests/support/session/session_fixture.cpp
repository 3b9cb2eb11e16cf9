#include "support/session/session_fixture.h"

#include <cstdlib>
#include <filesystem>

#include "db/connection.h"
#include "host/host_services.h"
#include "host/module_state.h"

namespace norvik::test {

TestSession::~TestSession() {
    try {
        Stop();
    } catch (...) {
    }
}

void TestSession::Start(const std::string& backend) {
    State().Reset();
    Services().Reset();
    ::setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
    messages = std::make_shared<RecordingHostMessages>();
    Services().messages = messages;

    // The medium tests name PostgreSQL as "postgres".
    const std::string database =
        database_.Create(backend == "postgres" ? "postgresql" : backend, home.path().string());
    session = std::make_shared<HostSession>();
    session->environment = HostEnvironment{home.file("install"), home.file("common") + "/",
                                           home.file("user"), home.file("data")};
    session->userName = "tester";
    session->connection = db::Connection::Open(database);
    std::filesystem::create_directories(home.path() / "common" / "Drivers" / "Export");
    SessionStart(session);
}

void TestSession::Stop() {
    State().Reset();
    Services().Reset();
    if (session) session->connection.reset();
    database_.Drop();
}

void TestSession::Sql(const std::string& statement) const {
    State().Session().Connection()->Execute(statement);
}

std::vector<RecordingHostMessages::Call> TestSession::Calls(const std::string& kind) const {
    std::vector<RecordingHostMessages::Call> found;
    for (const auto& c : messages->calls)
        if (c.kind == kind) found.push_back(c);
    return found;
}

std::string TestSession::exportPath() const {
    return State().exportPath;
}

}  // namespace norvik::test
