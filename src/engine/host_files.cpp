#include "engine/host_files.h"

#include <fmt/format.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "common/file_io.h"
#include "common/text_codec.h"
#include "common/vb_error.h"
#include "host/module_state.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

fs::path Resolved(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(NativePath(path), ec);
    return ec ? NativePath(path).lexically_normal() : p;
}

// The same file by name, or by identity when both exist (a hard link or another spelling).
bool SameFile(const fs::path& a, const fs::path& b) {
    if (a == b) return true;
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool IsExportFolderFile(const std::string& exportPath, const fs::path& target) {
    if (exportPath.empty()) return false;
    std::error_code ec;
    if (!fs::equivalent(target.parent_path(), Resolved(exportPath), ec) || ec) return false;
    const std::string extension = LowerCase(target.extension().string());
    return extension == ".exp" || extension == ".gdu" ||
           LowerCase(target.filename().string()) == "gdpdu-01-08-2002.dtd";
}

[[noreturn]] void Refuse(const std::string& path, const std::string& kind) {
    throw VbError(kErrPathFileAccess, fmt::format("Die Ausgabedatei {} ist {} und wird nicht "
                                                  "überschrieben. Bitte wählen Sie eine andere "
                                                  "Ausgabedatei.",
                                                  path, kind));
}

}  // namespace

void RefuseHostFile(const ModuleState& state, const std::string& outputPath) {
    const fs::path target = Resolved(outputPath);
    const HostSession* session = state.session.get();
    if (session && session->connection) {
        const std::string database = session->connection->DatabaseFile();
        if (!database.empty()) {
            for (const char* suffix : {"", "-wal", "-shm", "-journal"})
                if (SameFile(target, Resolved(database + suffix)))
                    Refuse(outputPath, "die Datenbank des Hosts");
        }
    }
    if (session)
        for (const std::string& own : session->ownFiles)
            if (SameFile(target, Resolved(own))) Refuse(outputPath, "eine eigene Datei des Hosts");
    if (IsExportFolderFile(state.exportPath, target))
        Refuse(outputPath,
               "eine Exportdefinition, ein GDPdU-Profil oder die DTD des Exportordners");
}

}  // namespace norvik
