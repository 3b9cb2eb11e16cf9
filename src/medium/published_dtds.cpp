#include "medium/published_dtds.h"

#include <cstdlib>

namespace norvik {

namespace fs = std::filesystem;

std::vector<fs::path> PublishedDtdFolders() {
    if (const char* shared = std::getenv("NORVIK_SHARED_DIR"); shared && *shared)
        return {fs::path(shared) / "gdpdu"};
    std::vector<fs::path> folders;
    // A package in /usr and an installation into any prefix alike; the build tree holds a copy
    // at the same place below it.
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && program.has_parent_path())
        folders.push_back(program.parent_path().parent_path() / NORVIK_DTD_SUBDIR);
    // A host program linking the component lies elsewhere.
    const fs::path installed = NORVIK_INSTALLED_DTD_DIR;
    if (folders.empty() || !fs::equivalent(folders.front(), installed, ec))
        folders.push_back(installed);
    return folders;
}

fs::path FindPublishedDtd(const std::string& name) {
    std::error_code ec;
    for (const fs::path& folder : PublishedDtdFolders())
        if (fs::is_regular_file(folder / name, ec)) return folder / name;
    return {};
}

}  // namespace norvik
