#pragma once
// The state every class and dialog of the component reads, filled by the session start. Core
// operations take it by reference; State() is the component's one instance for host-facing code.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "host/host_session.h"
#include "host/host_settings.h"
#include "host/protocol_object.h"

namespace norvik {

// Display modes and run modes.
enum TqMode : int32_t { cTQGDPdU = 1, cTQExport = 2 };

// Rows of the file list.
constexpr int32_t kFileListRows = 257;

struct ModuleState {
    std::shared_ptr<HostSession> session;        // the host session given to the session start
    std::string installRoot;                     // the host's installation folder
    std::string commonAppDataFolder;             // shared application data folder
    std::string exportPath;                      // folder of .EXP, .GDU and the GDPdU DTD
    std::string userDataFolder;                  // the user's data folder
    std::string commonUserDataFolder;            // "%DataPath%": ends with a separator
    std::string userName;                        // the logged-in user
    std::shared_ptr<HostSettings> hostSettings;  // settings store on the host database
    // Display name (0), full path (1) and a free column (2) of the files last listed.
    std::array<std::array<std::string, 3>, kFileListRows> fileList;
    int32_t fileCount = 0;                     // rows of fileList filled by the last listing
    std::shared_ptr<ProtocolObject> protocol;  // the open protocol, empty when none
    std::string protocolId;                    // identifier of the open protocol
    bool protocolSkipped = false;  // the protocol could not be opened; its lines are dropped

    // The session; raises 91 when there is none.
    HostSession& Session() const;
    // The settings store, connected on the session's connection when it is still empty; raises 91
    // without a session.
    HostSettings& Settings();
    // Empties the state (the component is unloaded, or a test starts afresh).
    void Reset();
};

// The module state of the component.
ModuleState& State();

// Fills the state from the session and connects a new settings store; a missing session piece
// raises and keeps what was filled.
void SessionStart(ModuleState& state, const std::shared_ptr<HostSession>& session);
// SessionStart on the component's state, as the host calls it.
void SessionStart(const std::shared_ptr<HostSession>& session);

}  // namespace norvik
