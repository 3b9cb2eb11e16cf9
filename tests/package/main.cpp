// A host of the installed component: a definition, a database, a profile that fails to load.
#include <iostream>
#include <memory>

#include "db/connection.h"
#include "engine/tq_export.h"
#include "gdpdu/tq_gdpdu.h"
#include "host/host_messages.h"

int main() {
    auto messages = std::make_shared<norvik::RecordingHostMessages>();
    norvik::SetHostMessages(messages);

    norvik::TQExportDef definition;
    definition.Schnittstelle = "Paket";
    auto connection = norvik::db::Connection::Open("sqlite::memory:");
    auto rows = connection->OpenRecordSet("SELECT 'Paket' AS Name");
    const bool read = std::get<std::string>(rows->Item(0)) == definition.Schnittstelle;

    norvik::TQGDPdU profile;
    const bool loaded = profile.LoadFile("/gibt/es/nicht.GDU");
    // Keeps the build of a medium, and with it the XML library, in the program.
    void (norvik::TQGDPdU::*volatile build)() = &norvik::TQGDPdU::BuildGDPdU;
    const bool reported = !loaded && messages->calls.size() == 1 && build != nullptr;

    std::cout << (read && reported ? "ok" : "falsch") << '\n';
    return read && reported ? 0 : 1;
}
