#pragma once
// The list of export definitions or GDPdU profiles in the export folder.

#include <cstdint>
#include <string>

#include "host/host_messages.h"
#include "host/module_state.h"

namespace norvik {

// Lists the .EXP files (mode cTQExport) or .GDU files (other modes) of the state's export folder
// with their display names into its file list; returns and stores the count. Problems are reported
// to messages. complete, when given, tells whether the whole folder was listed (false when it could
// not be read or the list was cut).
int32_t GetFileList(ModuleState& state, HostMessages& messages, int32_t mode,
                    bool* complete = nullptr);
// The file of the last listed entry whose display name is exactly the name (letter case counts),
// else empty: of two definitions with one name, the later in the list wins.
std::string FileOfDisplayName(const ModuleState& state, const std::string& displayName);

}  // namespace norvik
