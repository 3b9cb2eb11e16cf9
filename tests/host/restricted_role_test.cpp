// A host's database role may read and write the component's tables without the right to create
// any (PostgreSQL 15 gives ordinary roles no CREATE on "public").

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "db/connection.h"
#include "engine/tq_export.h"
#include "host/db_protocol.h"
#include "host/host_messages.h"
#include "host/host_services.h"
#include "host/module_state.h"
#include "support/test_support.h"

namespace norvik {
namespace {

// The URL with another user name ("postgresql://norvik@host/db" to "postgresql://NAME@host/db").
std::string AsUser(const std::string& url, const std::string& user) {
    const size_t start = url.find("://") + 3;
    const size_t at = url.find('@', start);
    return url.substr(0, start) + user + url.substr(at);
}

std::string InSchema(const std::string& url, const std::string& schema) {
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" +
           schema;
}

TEST(RestrictedRole, ReadsSettingsAndRunsAnExportWithoutCreatingTables) {
    const std::string url = test::PostgresUrl();
    NORVIK_REQUIRE_POSTGRES(url);
    const std::string id = std::to_string(::getpid());
    const std::string schema = "eingeschraenkt_" + id, role = "sachbearbeiter_" + id;
    auto admin = db::Connection::Open(url);
    admin->Execute("DROP SCHEMA IF EXISTS " + schema + " CASCADE; DROP ROLE IF EXISTS " + role);
    admin->Execute("CREATE SCHEMA " + schema + "; CREATE ROLE " + role + " LOGIN");

    // The administrator's first use creates the tables; the role may only use them.
    auto owner = db::Connection::Open(InSchema(url, schema));
    HostSettings ownerSettings;
    ownerSettings.Connect(1, owner, 0);
    ownerSettings.WriteValue("TQBExport", "ProtokollErzeugen", "1", "anna");
    DbProtocol protocol;
    std::string title = "Anlage", user = "admin", list, date, name, file, info;
    protocol.CreateProtokoll(owner, title, user, list, date, name, file, info);
    owner->Execute("CREATE TABLE kunden (nr INTEGER, name TEXT)");
    owner->Execute("INSERT INTO kunden VALUES (1, 'Adler'), (2, 'Berg')");
    admin->Execute("GRANT USAGE ON SCHEMA " + schema + " TO " + role +
                   "; GRANT SELECT, INSERT, UPDATE ON ALL TABLES IN SCHEMA " + schema + " TO " +
                   role);

    test::TempDir home;
    ::setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
    State().Reset();
    Services().Reset();
    auto messages = std::make_shared<RecordingHostMessages>();
    Services().messages = messages;
    auto session = std::make_shared<HostSession>();
    session->environment = HostEnvironment{home.file("install"), home.file("common") + "/",
                                           home.file("user"), home.file("data") + "/"};
    session->userName = "anna";
    session->connection = db::Connection::Open(InSchema(AsUser(url, role), schema));
    EXPECT_THROW(session->connection->Execute("CREATE TABLE versuch (x INTEGER)"), VbError);
    SessionStart(session);
    EXPECT_EQ(State().Settings().ReadValue("TQBExport", "ProtokollErzeugen", "anna", "0"), "1");
    State().Settings().WriteValue("TQBExport", "ProtokollErzeugen", "1", "bernd");

    test::WriteBytes(home.file("KUNDEN.EXP"),
                     test::DefinitionBytes("[Allgemein]\nName=Kunden\nDatenquelle=kunden\n"
                                           "Dateiname=" +
                                           home.file("kunden.txt") +
                                           "\nFeldtrenner=;\n\n[DATENSATZ]\nFIELD nr,N,,0\n"
                                           "FIELD name,T,,0\n"));
    TQExport engine(State(), Services());
    ASSERT_TRUE(engine.LoadFile(home.file("KUNDEN.EXP")));
    EXPECT_EQ(engine.BuildExport(), 0);
    EXPECT_EQ(test::ReadBytes(home.file("kunden.txt")), "1;\"Adler\"\r\n2;\"Berg\"\r\n");
    for (const auto& call : messages->calls) EXPECT_NE(call.kind, "ReportError") << call.text;
    EXPECT_EQ(ReadProtocolEntries(*owner, 10).size(), 2u);

    State().Reset();
    Services().Reset();
    session.reset();
    owner.reset();
    admin->Execute("DROP SCHEMA " + schema + " CASCADE; DROP ROLE " + role);
}

}  // namespace
}  // namespace norvik
