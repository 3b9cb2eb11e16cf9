#pragma once
// The list of export definitions or GDPdU profiles in the export folder.

#include <cstdint>

namespace norvik {

// Lists the .EXP files (mode cTQExport) or .GDU files (other modes) of gExportPath with their
// display names into gFileList; returns and stores the count in gFileCount.
int32_t GetFileList(int32_t mode);

}  // namespace norvik
