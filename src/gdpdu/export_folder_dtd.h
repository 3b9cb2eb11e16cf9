#pragma once
// The export folder's copy of the published DTD, which every medium takes.

#include <string>

namespace norvik {

// Copies the installed published DTD into the export folder when the folder lacks it. Returns
// the note saying so, empty when the folder held it; throws a VbError when it lacks it and none
// is installed, or when the copy fails.
std::string ProvideExportFolderDtd(const std::string& exportPath);

}  // namespace norvik
