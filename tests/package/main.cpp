// A host of the installed component: a definition, a database, an engine that fails to load.
#include <iostream>
#include <memory>

#include "db/connection.h"
#include "engine/tq_export.h"
#include "gdpdu/tq_gdpdu.h"
#include "host/host_messages.h"
#include "host/host_services.h"

int main() {
    auto messages = std::make_shared<norvik::RecordingHostMessages>();
    norvik::Services().messages = messages;

    norvik::TQExportDef definition;
    definition.Schnittstelle = "Paket";
    auto connection = norvik::db::Connection::Open("sqlite::memory:");
    auto rows = connection->OpenRecordSet("SELECT 'Paket' AS Name");
    const bool read = std::get<std::string>(rows->Item(0)) == definition.Schnittstelle;

    norvik::TQExport engine(norvik::State(), norvik::Services());
    const bool loaded = engine.LoadFile("/gibt/es/nicht.EXP");
    const bool reported =
        !loaded && !messages->calls.empty() && messages->calls.back().operation == "LoadFile";
    // Keeps the build of a medium, and with it the XML library, in the program.
    void (norvik::TQGDPdU::*volatile build)() = &norvik::TQGDPdU::BuildGDPdU;

    std::cout << (read && reported && build ? "ok" : "falsch") << '\n';
    return read && reported && build ? 0 : 1;
}
