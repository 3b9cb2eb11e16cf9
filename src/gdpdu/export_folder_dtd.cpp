#include "gdpdu/export_folder_dtd.h"

#include <filesystem>

#include "common/file_io.h"
#include "common/vb_error.h"
#include "medium/medium_names.h"
#include "medium/published_dtds.h"

namespace norvik {

namespace fs = std::filesystem;

std::string ProvideExportFolderDtd(const std::string& exportPath) {
    const std::string target = WithTrailingSeparator(exportPath) + kGdpduDtdName;
    std::error_code ec;
    if (fs::is_regular_file(NativePath(target), ec)) return {};
    const fs::path published = FindPublishedDtd(kGdpduDtdName);
    if (published.empty()) {
        std::string searched;
        for (const fs::path& folder : PublishedDtdFolders())
            searched += (searched.empty() ? "" : ", ") + folder.string();
        throw VbError(kErrFileNotFound,
                      std::string("Die DTD-Datei ") + kGdpduDtdName + " fehlt im Exportordner " +
                          exportPath +
                          ", und die veröffentlichte liegt nicht bei der Installation (" +
                          searched + "). Jeder GDPdU-Datenträger braucht eine Kopie davon.");
    }
    CopyFileGuarded(published.string(), target);
    return std::string("Die veröffentlichte DTD-Datei ") + kGdpduDtdName + " wurde aus " +
           published.parent_path().string() + " in den Exportordner " + exportPath +
           " kopiert; jeder Datenträger nimmt sie von dort.";
}

}  // namespace norvik
