#include "standalone/shared_files.h"

#include <cstdlib>
#include <vector>

#include "medium/medium_names.h"

namespace norvik::standalone {

namespace fs = std::filesystem;

// The standard's DTD is not ours to ship; it is taken from where the project's shared files lie.
fs::path FindPublishedDtd() {
    std::vector<fs::path> candidates;
    if (const char* dir = std::getenv("NORVIK_SHARED_DIR"))
        candidates.emplace_back(fs::path(dir) / "gdpdu");
    candidates.emplace_back(fs::current_path() / ".." / "shared" / "gdpdu");
    std::error_code ec;
    for (const fs::path& dir : candidates)
        if (fs::is_regular_file(dir / kGdpduDtdName, ec)) return dir / kGdpduDtdName;
    return {};
}

}  // namespace norvik::standalone
