#include "standalone/home_folders.h"

#include <filesystem>

#include "common/file_io.h"
#include "standalone/cli_context.h"

namespace norvik::standalone {
namespace {

namespace fs = std::filesystem;

// Folders outside the home may be shares or another user's; they are never made here.
void MakeInsideHome(const std::string& home, const std::string& folder) {
    if (folder.empty()) return;
    const std::string path = NativePath(folder).lexically_normal().string();
    if (path.rfind(home, 0) != 0) return;
    std::error_code ec;
    fs::create_directories(path, ec);
}

}  // namespace

void PrepareDatabase(const HostConfig& config, bool newDatabase) {
    std::error_code ec;
    if (config.defaultDatabase) {
        fs::create_directories(config.home, ec);
        return;
    }
    const std::string url = config.databaseUrl;
    if (newDatabase || url.rfind("sqlite:", 0) != 0) return;
    const std::string file = url.substr(7);
    if (file.empty() || file[0] == ':' || file.rfind("file:", 0) == 0) return;
    if (fs::exists(NativePath(file), ec)) return;
    throw CommandRefused("Die Datenbank " + file + " (URL in [Datenbank] von " +
                         HostConfigFile(config.home) +
                         ") gibt es nicht. Bitte die URL prüfen; norvik-export demo legt eine "
                         "Demo-Datenbank an.");
}

void MakeHomeFolders(const HostConfig& config, const std::string& exportPath) {
    MakeInsideHome(config.home, exportPath);
    MakeInsideHome(config.home, config.environment.CommonUserDataFolder);
}

}  // namespace norvik::standalone
