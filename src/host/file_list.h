#pragma once
// The list of export definitions or GDPdU profiles in the export folder.

#include <cstdint>

#include "host/host_messages.h"
#include "host/module_state.h"

namespace norvik {

// Lists the .EXP files (mode cTQExport) or .GDU files (other modes) of the state's export folder
// with their display names into its file list; returns and stores the count. Problems are reported
// to messages.
int32_t GetFileList(ModuleState& state, HostMessages& messages, int32_t mode);

}  // namespace norvik
