#include "run_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "db/connection.h"
#include "host/module_state.h"
#include "host/protocol.h"

namespace norvik::test {

void RunTest::SetUp() {
    ResetModuleState();
    ::setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
    messages = std::make_shared<RecordingHostMessages>();
    SetHostMessages(messages);

    std::string url;
    if (GetParam() == "sqlite") {
        url = "sqlite:" + home.file("host.sqlite");
    } else {
        adminUrl_ = PostgresUrl();
        NORVIK_REQUIRE_POSTGRES(adminUrl_);
        static int counter = 0;
        schema_ = "run_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
        db::Connection::Open(adminUrl_)->Execute("CREATE SCHEMA " + schema_);
        url = adminUrl_ + (adminUrl_.find('?') == std::string::npos ? "?" : "&") +
              "options=-csearch_path%3D" + schema_;
    }
    auto session = std::make_shared<HostSession>();
    session->environment = HostEnvironment{home.file("install"), home.file("common") + "/",
                                           home.file("user"), home.file("data")};
    session->userName = "tester";
    session->connection = db::Connection::Open(url);
    std::filesystem::create_directories(home.path() / "common" / "Drivers" / "Export");
    SessionStart(session);

    Sql("CREATE TABLE kunden (nr INTEGER, name TEXT, ort TEXT, betrag DECIMAL(12,2), datum DATE, "
        "zeit TIMESTAMP)");
    Sql("INSERT INTO kunden VALUES (1, 'Müller', 'Bonn', 1234.56, '2004-12-31', '2004-12-31 "
        "13:45:00')");
    Sql("INSERT INTO kunden VALUES (2, 'O\"Neil; Ltd', 'Köln', -12.5, '2005-01-01', '2005-01-01 "
        "00:00:00')");
    Sql("INSERT INTO kunden VALUES (3, NULL, 'Bonn', 0, NULL, NULL)");
    out = home.file("out.txt");
    engine = std::make_unique<TQExport>();
    engine->Advise(&listener);
}

void RunTest::TearDown() {
    engine.reset();
    CloseProtocol();
    ResetModuleState();
    SetHostMessages(nullptr);
    if (!schema_.empty())
        db::Connection::Open(adminUrl_)->Execute("DROP SCHEMA " + schema_ + " CASCADE");
}

void RunTest::Load(const std::string& text) {
    std::string filled = text;
    for (size_t p; (p = filled.find("{OUT}")) != std::string::npos;) filled.replace(p, 5, out);
    const std::string path = gExportPath + "TEST.EXP";
    WriteBytes(path, DefinitionBytes(filled));
    engine->LoadFile(path);
}

int32_t RunTest::Run() {
    return engine->BuildExport();
}

void RunTest::Sql(const std::string& statement) {
    gSession->Connection()->Execute(statement);
}

std::vector<RecordingHostMessages::Call> RunTest::Calls(const std::string& kind) const {
    std::vector<RecordingHostMessages::Call> found;
    for (const auto& c : messages->calls)
        if (c.kind == kind) found.push_back(c);
    return found;
}

}  // namespace norvik::test
