#include "common/leftover_files.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>

#include "common/guarded_open.h"

namespace norvik {
namespace {

std::string PrefixOf(const std::string& name) {
    return "." + name + ".norvik-";
}

}  // namespace

std::string TemporaryNameFor(const std::string& name) {
    static std::atomic<unsigned> counter{0};
    return fmt::format("{}{}-{}", PrefixOf(name), ::getpid(), ++counter);
}

void MarkInUse(int fd) noexcept {
    // A shared lock: it only tells others that a live run still writes the file.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        // Without locks the file is left alone by others: a leftover may stay, nothing is lost.
    }
}

void RemoveLeftovers(const std::string& folder, const std::string& name) noexcept {
    const std::string prefix = PrefixOf(name);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind(prefix, 0) != 0 || !entry.is_regular_file(ec)) continue;
        const FileDescriptor fd = OpenGuarded(entry.path().string(), O_RDONLY | O_NOFOLLOW);
        if (fd && ::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) ::unlink(entry.path().c_str());
    }
}

}  // namespace norvik
