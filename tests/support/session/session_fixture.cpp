#include "support/session/session_fixture.h"

#include <cstdlib>

#include "db/connection.h"
#include "host/module_state.h"

namespace norvik::test {

void SessionFixture::SetUp() {
    ResetModuleState();
    ::setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
    messages = std::make_shared<RecordingHostMessages>();
    SetHostMessages(messages);
    session = std::make_shared<HostSession>();
    session->environment = HostEnvironment{home.file("install"), home.file("common") + "/",
                                           home.file("user"), home.file("data")};
    session->userName = "tester";
    session->connection = db::Connection::Open("sqlite:" + home.file("host.sqlite"));
    std::filesystem::create_directories(home.path() / "common" / "Drivers" / "Export");
    SessionStart(session);
}

void SessionFixture::TearDown() {
    ResetModuleState();
    SetHostMessages(nullptr);
}

std::string SessionFixture::exportPath() const {
    return gExportPath;
}

}  // namespace norvik::test
