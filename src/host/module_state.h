#pragma once
// The state every class and dialog of the component reads, filled by the session start.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "host/host_session.h"
#include "host/host_settings.h"

namespace norvik {

// Display modes and run modes.
enum TqMode : int32_t { cTQGDPdU = 1, cTQExport = 2 };

// Rows of the file list.
constexpr int32_t kFileListRows = 257;

inline std::shared_ptr<HostSession> gSession;        // the host session given to the session start
inline std::string gInstallRoot;                     // the host's installation folder
inline std::string gCommonAppDataFolder;             // shared application data folder
inline std::string gExportPath;                      // folder of .EXP, .GDU and the GDPdU DTD
inline std::string gUserDataFolder;                  // the user's data folder
inline std::string gCommonUserDataFolder;            // folder that "%DataPath%" stands for
inline std::string gUserName;                        // the logged-in user
inline std::shared_ptr<HostSettings> gHostSettings;  // settings store on the host database
// Display name (0), full path (1) and a free column (2) of the files last listed.
inline std::array<std::array<std::string, 3>, kFileListRows> gFileList;
inline int32_t gFileCount = 0;  // rows of gFileList filled by the last listing

// Fills the module state from the session; a missing session piece raises and keeps what was
// filled.
void SessionStart(const std::shared_ptr<HostSession>& session);
// Creates and connects gHostSettings on the session's connection.
void ConnectHostSettings();
// Empties the module state (the component is unloaded, or a test starts afresh).
void ResetModuleState();

}  // namespace norvik
