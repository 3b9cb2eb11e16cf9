// A host application that uses NorvikExport: it describes its session (folders, user, open
// database), hands it to the component once and opens a dialog, or runs a definition without one.
//   norvik-host-example FOLDER DATABASE-URL export|gdpdu
//   norvik-host-example FOLDER DATABASE-URL run DEFINITION.EXP
// FOLDER holds the definitions in Drivers/Export/ (a home made by `norvik-export demo` will do).

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "ui/tq_exp_mgr.h"

int main(int argc, char** argv) {
    const std::string command = argc > 3 ? argv[3] : "";
    if (!(argc == 4 && (command == "export" || command == "gdpdu")) &&
        !(argc == 5 && command == "run")) {
        std::cerr << "Aufruf: norvik-host-example ORDNER DATENBANK-URL export|gdpdu|run DATEI\n";
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";

    // What the host knows of itself: its folders (each ending with a separator), the user and the
    // database it already has open.
    auto session = std::make_shared<norvik::HostSession>();
    session->environment =
        norvik::HostEnvironment{folder, folder, folder + "Benutzer/", folder + "Daten/"};
    const char* user = std::getenv("USER");
    session->userName = user ? user : "host";
    try {
        session->connection = norvik::db::Connection::Open(argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "Datenbank: " << e.what() << '\n';
        return 1;
    }

    // Once per session; the manager reports its own errors through the host's messages.
    norvik::TQExpMgr manager;
    if (!manager.Init(session)) return 1;

    if (command == "run") {
        // Without a dialog: the manager's engine runs a definition of the definitions folder.
        norvik::TQExport& engine = *manager.Export();
        if (!engine.LoadFile(folder + "Drivers/Export/" + argv[4])) return 1;
        const int32_t error = engine.BuildExport();
        std::cout << engine.LastSummary() << '\n';
        return error == 0 ? 0 : 1;
    }
    manager.Show(command == "gdpdu" ? norvik::cTQGDPdU : norvik::cTQExport);
    return 0;
}
