#include "common/private_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/file_io.h"
#include "common/leftover_files.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

std::string PrefixOf(const std::string& name) {
    return "norvik-" + name + "-";
}

// Removes the folders of this prefix that belong to this user and that no live run holds.
void RemoveLeftoverFolders(const fs::path& parent, const std::string& prefix) noexcept {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(parent, ec)) {
        if (entry.path().filename().string().rfind(prefix, 0) != 0) continue;
        const int fd =
            ::open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            fs::remove_all(entry.path(), ec);
        ::close(fd);
    }
}

}  // namespace

PrivateFolder::PrivateFolder(const std::string& name) {
    std::error_code ec;
    fs::path parent = fs::temp_directory_path(ec);
    if (ec) parent = "/tmp";
    const std::string prefix = PrefixOf(name);
    RemoveLeftoverFolders(parent, prefix);
    std::string pattern = (parent / (prefix + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        throw VbError(kErrPathFileAccess,
                      "Im temporären Ordner lässt sich kein eigener Ordner anlegen (" +
                          FileError(errno, parent.string()).Description() +
                          "); TMPDIR kann auf einen anderen Ordner zeigen.");
    path_ = buffer.data();
    fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        fs::remove(path_, ec);
        throw FileError(err, path_.string());
    }
    MarkInUse(fd_);
}

PrivateFolder::~PrivateFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
    if (fd_ >= 0) ::close(fd_);
}

uint64_t PrivateFolder::FreeBytes() const {
    struct statvfs st {};
    if (::fstatvfs(fd_, &st) != 0) return UINT64_MAX;
    return static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
}

}  // namespace norvik
