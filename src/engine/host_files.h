#pragma once
// The host's own files, which an export must never write over.

#include <string>

#include "host/module_state.h"

namespace norvik {

// Raises VbError 75 with a message naming the kind of file when the output path is the host
// database (or a journal beside it), a definition, profile or the DTD of the export folder, or a
// file the session names as its own.
void RefuseHostFile(const ModuleState& state, const std::string& outputPath);

}  // namespace norvik
