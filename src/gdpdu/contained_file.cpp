#include "gdpdu/contained_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/guarded_open.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

bool Inside(const fs::path& real, const fs::path& base) {
    // Compared by components, so that "/m/ab" does not pass as inside "/m/a".
    const auto [b, r] = std::mismatch(base.begin(), base.end(), real.begin(), real.end());
    return b == base.end() && r != real.end();
}

std::string KindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "eine benannte Pipe (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "ein Gerät";
    if (S_ISSOCK(mode)) return "ein Socket";
    if (S_ISDIR(mode)) return "ein Ordner";
    return "keine gewöhnliche Datei";
}

ContainedFile Refused(FileRefusal refusal, std::string reason = "") {
    ContainedFile file;
    file.refusal = refusal;
    file.reason = std::move(reason);
    return file;
}

// The real path of path, checked against the folder's; nullopt with the refusal in file.
std::optional<fs::path> Resolve(const fs::path& folder, const fs::path& path, ContainedFile& file) {
    std::error_code ec;
    fs::path real = fs::canonical(path, ec);
    if (ec) {
        file = Refused(FileRefusal::Unreadable, ec.message());
        return std::nullopt;
    }
    if (!folder.empty()) {
        const fs::path base = fs::canonical(folder, ec);
        if (ec || !Inside(real, base)) {
            file = Refused(FileRefusal::Outside, "über eine Verknüpfung ");
            return std::nullopt;
        }
    }
    return real;
}

// The place the descriptor really names, where the system tells it.
std::optional<fs::path> OpenedPath(int fd) {
    char target[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof target) return std::nullopt;
    return fs::path(std::string(target, static_cast<size_t>(n)));
}

// Resolves path into real and checks it without opening it.
ContainedFile Inspect(const fs::path& folder, const fs::path& path, fs::path& real) {
    ContainedFile file;
    const std::optional<fs::path> resolved = Resolve(folder, path, file);
    if (!resolved) return file;
    real = *resolved;
    struct stat st;
    if (::stat(real.c_str(), &st) != 0)
        return Refused(FileRefusal::Unreadable, std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return Refused(FileRefusal::Special, KindOf(st.st_mode));
    file.size = static_cast<uint64_t>(st.st_size);
    return file;
}

}  // namespace

bool ResolvesInside(const fs::path& folder, const fs::path& path) {
    ContainedFile file;
    return Resolve(folder, path, file).has_value();
}

ContainedFile InspectContained(const fs::path& folder, const fs::path& path) {
    fs::path real;
    return Inspect(folder, path, real);
}

ContainedFile OpenContained(const fs::path& folder, const fs::path& path) {
    fs::path real;
    ContainedFile file = Inspect(folder, path, real);
    if (file.refusal != FileRefusal::None) return file;
    // Non-blocking, so that a FIFO put in its place meanwhile cannot hold the open.
    // The host's own database, open in this process, must not be opened and closed here: that
    // would drop SQLite's locks on it.
    if (IsProtectedFile(real.string()))
        return Refused(FileRefusal::Special, "die geöffnete Datenbank des Hosts");
    file.handle = OpenGuarded(real.string(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0,
                              FileKinds::Any);
    if (!file.handle) return Refused(FileRefusal::Unreadable, std::strerror(errno));
    const int fd = file.handle.Get();
    struct stat st;
    if (::fstat(fd, &st) != 0) return Refused(FileRefusal::Unreadable, std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return Refused(FileRefusal::Special, KindOf(st.st_mode));
    // A folder on the way may have been swapped for a link after the check: what was opened
    // must be what was checked.
    if (const std::optional<fs::path> opened = OpenedPath(fd); opened && *opened != real)
        return Refused(FileRefusal::Outside, "über eine Verknüpfung ");
    file.size = static_cast<uint64_t>(st.st_size);
    return file;
}

std::optional<std::string> ReadWhole(ContainedFile& file, uint64_t maxBytes) {
    if (file.refusal != FileRefusal::None || file.size > maxBytes) return std::nullopt;
    std::string bytes;
    char block[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file.handle.Get(), block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return bytes;
        // It may have grown since it was measured.
        if (bytes.size() + static_cast<size_t>(n) > maxBytes) return std::nullopt;
        bytes.append(block, static_cast<size_t>(n));
    }
}

std::string RefusalText(const ContainedFile& file) {
    switch (file.refusal) {
        case FileRefusal::Outside:
            return "führt " + file.reason +
                   "aus dem Ordner des Datenträgers; sie wird nicht gelesen";
        case FileRefusal::Special:
            return "ist keine gewöhnliche Datei, sondern " + file.reason +
                   "; sie wird nicht gelesen";
        case FileRefusal::Unreadable:
            return "lässt sich nicht öffnen (Meldung des Systems: " + file.reason + ")";
        default:
            return "";
    }
}

}  // namespace norvik
