#pragma once
// The published DTDs of the data-media description standard, as installed with the tool.

#include <filesystem>
#include <string>
#include <vector>

namespace norvik {

// The folders searched, in order: $NORVIK_SHARED_DIR/gdpdu alone when that is set, else
// share/norvik-export/gdpdu below the running program's prefix, then below the installation's.
std::vector<std::filesystem::path> PublishedDtdFolders();
// The published DTD of that file name from the first folder holding it; empty when none does.
std::filesystem::path FindPublishedDtd(const std::string& name);

}  // namespace norvik
