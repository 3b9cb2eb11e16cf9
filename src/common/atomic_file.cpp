#include "common/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/guarded_open.h"
#include "common/leftover_files.h"

namespace norvik {
namespace {

// Names taken by someone else in a row before Create gives up.
constexpr int kNameAttempts = 100;

// fsync that accepts a file system which has nothing to flush (EINVAL).
int Sync(int fd) noexcept {
    while (::fsync(fd) != 0) {
        if (errno == EINTR) continue;
        return errno == EINVAL ? 0 : errno;
    }
    return 0;
}

// The rename is made durable by flushing its folder; it has happened anyway, so a folder that
// cannot be flushed is no failure of the commit.
void SyncFolder(const std::filesystem::path& folder) noexcept {
    const std::string name = folder.empty() ? std::string(".") : folder.string();
    const FileDescriptor fd = OpenGuarded(name, O_RDONLY | O_DIRECTORY, 0, FileKinds::Any);
    if (fd) Sync(fd.Get());
}

}  // namespace

AtomicFile::~AtomicFile() {
    Discard();
}

int AtomicFile::Create(const std::filesystem::path& target, mode_t mode) {
    Discard();
    target_ = target;
    const std::string name = target.filename().string();
    // Whatever temporary file of this target nobody holds was left by a run that was killed.
    RemoveLeftovers(target.parent_path().string(), name);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary_ = target.parent_path() / TemporaryNameFor(name);
        file_ = OpenGuarded(temporary_.string(), O_WRONLY | O_CREAT | O_EXCL, mode);
        if (file_) {
            MarkInUse(file_.Get());
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

int AtomicFile::Commit() noexcept {
    if (!file_) return EBADF;
    int err = Sync(file_.Get());
    if (const int closed = file_.Close(); err == 0) err = closed;
    if (err == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temporary_.c_str());
        return err;
    }
    SyncFolder(target_.parent_path());
    return 0;
}

void AtomicFile::Discard() noexcept {
    if (!file_) return;
    file_.Reset();
    ::unlink(temporary_.c_str());
}

}  // namespace norvik
