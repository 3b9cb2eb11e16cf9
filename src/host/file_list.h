#pragma once
// The list of export definitions or GDPdU profiles in the export folder.

#include <cstdint>

namespace norvik {

// Lists the .EXP files (mode cTQExport) or .GDU files (other modes) of gExportPath with their
// display names into gFileList; returns and stores the count in gFileCount. complete, when given,
// tells whether the whole folder was listed (false when it could not be read or the list was cut;
// both are reported).
int32_t GetFileList(int32_t mode, bool* complete = nullptr);

}  // namespace norvik
