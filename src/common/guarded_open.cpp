#include "common/guarded_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

namespace norvik {
namespace {

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

// The protected paths, one entry per registration.
std::vector<std::string>& Registry() {
    static std::vector<std::string> paths;
    return paths;
}

bool SameFile(const std::string& path, const struct stat& st) {
    struct stat other {};
    return ::stat(path.c_str(), &other) == 0 && other.st_dev == st.st_dev &&
           other.st_ino == st.st_ino;
}

bool Protected(const struct stat& st) {
    const std::lock_guard lock(RegistryMutex());
    for (const std::string& path : Registry())
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            if (SameFile(path + suffix, st)) return true;
    return false;
}

// Why a file found is not opened, or 0.
int Refusal(const struct stat& st, FileKinds kinds) {
    if (Protected(st)) return EACCES;
    if (kinds == FileKinds::RegularOnly && !S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return 0;
}

}  // namespace

ProtectedFile::ProtectedFile(std::string path) : path_(std::move(path)) {
    if (path_.empty()) return;
    const std::lock_guard lock(RegistryMutex());
    Registry().push_back(path_);
}

ProtectedFile::~ProtectedFile() {
    if (path_.empty()) return;
    const std::lock_guard lock(RegistryMutex());
    auto& paths = Registry();
    if (const auto it = std::find(paths.begin(), paths.end(), path_); it != paths.end())
        paths.erase(it);
}

bool IsProtectedFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && Protected(st);
}

FileDescriptor OpenGuarded(const std::string& path, int flags, mode_t mode, FileKinds kinds) {
    // A file made here and now cannot be anybody's.
    if ((flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL))
        return FileDescriptor(::open(path.c_str(), flags | O_CLOEXEC, mode));
    // A descriptor opened with O_PATH touches no locks when it closes, and pins the file that is
    // looked at, so that the file opened is the one judged.
    const FileDescriptor probe(::open(path.c_str(), O_PATH | O_CLOEXEC | (flags & O_NOFOLLOW)));
    if (!probe) {
        if (errno == ENOENT && (flags & O_CREAT))
            return FileDescriptor(::open(path.c_str(), flags | O_CLOEXEC, mode));
        return FileDescriptor();
    }
    struct stat st {};
    if (::fstat(probe.Get(), &st) != 0) return FileDescriptor();
    if (const int refusal = Refusal(st, kinds); refusal != 0) {
        errno = refusal;
        return FileDescriptor();
    }
    const std::string pinned = "/proc/self/fd/" + std::to_string(probe.Get());
    const int reopenFlags = (flags & ~(O_CREAT | O_EXCL | O_NOFOLLOW)) | O_CLOEXEC;
    FileDescriptor fd(::open(pinned.c_str(), reopenFlags, mode));
    if (!fd && errno == ENOENT) fd = FileDescriptor(::open(path.c_str(), reopenFlags, mode));
    return fd;  // the probe's close keeps errno
}

}  // namespace norvik
