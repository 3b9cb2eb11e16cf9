#pragma once
// Writing the definition model as an export definition file (.EXP).

#include <functional>
#include <string>
#include <vector>

#include "common/vb_error.h"
#include "definition/tq_model.h"

namespace norvik {

// The lines of the file for a definition (without line ends), in the order they are written. Values
// are quoted where the bare form would read back differently; the definition itself is not changed.
std::vector<std::string> ExportDefinitionLines(const TQExportDef& def, const std::string& autor,
                                               const std::string& today);
// Writes the definition to the file (Windows-1252, CR LF). Each failure is passed to onError and
// writing goes on with the next step, so a file that cannot be opened reports once per step.
void WriteExportDefinition(const TQExportDef& def, const std::string& fileName,
                           const std::string& autor,
                           const std::function<void(const VbError&)>& onError);

}  // namespace norvik
