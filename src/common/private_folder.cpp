#include "common/private_folder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "common/file_io.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

// How often a folder is made anew when another run took it before it was locked: far more often
// than racing runs can take one.
constexpr int kAttempts = 100;

std::string PrefixOf(const std::string& name) {
    return "norvik-" + name + "-";
}

// The owner a folder's name gives ("norvik-NAME-PID-XXXXXX"), 0 when it names none.
pid_t OwnerOf(std::string_view rest) {
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9) return 0;
    pid_t pid = 0;
    for (char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9') return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool Alive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Removes the folders of this prefix that belong to this user and that no live run holds: a
// folder whose owner still runs is left alone even before its owner has locked it.
void RemoveLeftoverFolders(const fs::path& parent, const std::string& prefix) noexcept {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(parent, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        if (const pid_t owner = OwnerOf(std::string_view(name).substr(prefix.size()));
            owner > 0 && Alive(owner))
            continue;
        const FileDescriptor fd(
            ::open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd) continue;
        struct stat st {};
        if (::fstat(fd.Get(), &st) == 0 && st.st_uid == ::geteuid() &&
            ::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0)
            fs::remove_all(entry.path(), ec);
    }
}

// True when the locked folder is still the one at path: a run that took it as a leftover before
// the lock (one whose view of our process is another, in another PID namespace) has removed it.
bool StillThere(int fd, const fs::path& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && held.st_nlink > 0 && ::lstat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

PrivateFolder::PrivateFolder(const std::string& name) {
    std::error_code ec;
    fs::path parent = fs::temp_directory_path(ec);
    if (ec) parent = "/tmp";
    const std::string prefix = PrefixOf(name);
    RemoveLeftoverFolders(parent, prefix);
    RemoveLeftoverFolders(parent, "." + prefix);
    // Made under a hidden name and renamed once locked: under the name other runs look for it is
    // never unlocked, not even to one that cannot tell whether this process lives. The process in
    // the name keeps runs that can off the hidden one.
    const std::string own = prefix + std::to_string(::getpid()) + "-";
    const std::string pattern = (parent / ("." + own + "XXXXXX")).string();
    for (int attempt = 0;; ++attempt) {
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (::mkdtemp(buffer.data()) == nullptr)
            throw VbError(kErrPathFileAccess,
                          "Im temporären Ordner lässt sich kein eigener Ordner anlegen (" +
                              FileError(errno, parent.string()).Description() +
                              "); TMPDIR kann auf einen anderen Ordner zeigen.");
        const fs::path hidden = buffer.data();
        path_ = parent / hidden.filename().string().substr(1);
        fd_ =
            FileDescriptor(::open(hidden.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        // Gone again (another run took it) is worth another attempt, anything else is not.
        if (!fd_ && errno != ENOENT) {
            const int err = errno;
            fs::remove(hidden, ec);
            throw FileError(err, hidden.string());
        }
        // Where the file system has no locks, no other run can take the folder by one either.
        const bool held =
            fd_ && !(::flock(fd_.Get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK);
        if (held && StillThere(fd_.Get(), hidden)) {
            if (::renameat2(AT_FDCWD, hidden.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE) ==
                    0 ||
                (errno == EINVAL && ::rename(hidden.c_str(), path_.c_str()) == 0))
                return;
            const int err = errno;
            fs::remove(hidden, ec);
            if (err != EEXIST) throw FileError(err, path_.string());
        }
        fd_ = FileDescriptor();
        if (attempt + 1 == kAttempts)
            throw VbError(kErrPathFileAccess,
                          "Im temporären Ordner " + parent.string() +
                              " lässt sich kein eigener Ordner halten; andere Programme "
                              "entfernen ihn. TMPDIR kann auf einen anderen Ordner zeigen.");
    }
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
