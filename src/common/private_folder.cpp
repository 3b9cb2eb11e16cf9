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
        const FileDescriptor fd(
            ::open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd) continue;
        struct stat st {};
        if (::fstat(fd.Get(), &st) == 0 && st.st_uid == ::geteuid() &&
            ::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0)
            fs::remove_all(entry.path(), ec);
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
    fd_ = FileDescriptor(::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd_) {
        const int err = errno;
        fs::remove(path_, ec);
        throw FileError(err, path_.string());
    }
    MarkInUse(fd_.Get());
}

PrivateFolder::~PrivateFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

uint64_t PrivateFolder::FreeBytes() const {
    struct statvfs st {};
    if (::fstatvfs(fd_.Get(), &st) != 0) return UINT64_MAX;
    return static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
}

}  // namespace norvik
