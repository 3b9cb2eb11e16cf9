#pragma once
// The three module operations on the host's protocol (log), kept in the module state's slot.

#include <string>

#include "host/host_services.h"
#include "host/module_state.h"

namespace norvik {

// Opens a protocol; failures are shown ("Protokoll konnte nicht erzeugt werden. …"), not raised.
void OpenProtocol(ModuleState& state, HostServices& services, std::string title, std::string user,
                  std::string listName, std::string dateText, std::string interfaceName,
                  std::string fileOrFolder, std::string info);
// Writes a line; failures are shown ("Fehler beim Erzeugen der Protokollzeile. …"), not raised.
void WriteProtocolLine(ModuleState& state, HostServices& services, std::string text);
// Closes the protocol.
void CloseProtocol(ModuleState& state);

}  // namespace norvik
