#include "common/output_file.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "common/guarded_open.h"
#include "common/vb_error.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

// Attempts to lock a target that others replace or remove at the same moment.
constexpr int kLockAttempts = 8;

// True while the path still names the file open on fd (not replaced, moved or removed).
bool NamesFile(const std::string& path, int fd) {
    struct stat open = {};
    struct stat named = {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The file a path names, links resolved, so that the new file is written beside the real one.
std::string ResolvedTarget(std::string_view path) {
    const fs::path native = NativePath(path);
    std::error_code ec;
    if (fs::is_symlink(native, ec)) {
        const fs::path real = fs::canonical(native, ec);
        if (!ec) return real.string();
    }
    return native.string();
}

// A missing folder is a path error, as when the file is opened directly.
VbError OpenError(int err, std::string_view shown) {
    return FileError(err == ENOENT ? ENOTDIR : err, shown);
}

}  // namespace

OutputFile::~OutputFile() {
    if (IsOpen()) Discard();
}

void OutputFile::Open(std::string_view path, bool append) {
    if (IsOpen()) Discard();
    shown_ = std::string(path);
    target_ = ResolvedTarget(path);
    createdTarget_ = false;

    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // A device or pipe is written as it is: nothing to lock, replace or cut back.
        FileDescriptor fd =
            OpenGuarded(target_, O_WRONLY | (append ? O_APPEND : O_TRUNC), 0, FileKinds::Any);
        if (!fd) throw OpenError(errno, shown_);
        writer_.Attach(std::move(fd), shown_);
        startsFile_ = !append;
        state_ = State::Direct;
        return;
    }
    LockTarget();
    try {
        if (append) {
            lengthBefore_ = ::lseek(lock_.Get(), 0, SEEK_END);
            if (lengthBefore_ < 0 || ::fcntl(lock_.Get(), F_SETFL, O_APPEND) != 0)
                throw FileError(errno, shown_);
            FileDescriptor fd = lock_.Duplicate();
            if (!fd) throw FileError(errno, shown_);
            writer_.Attach(std::move(fd), shown_);
            startsFile_ = lengthBefore_ == 0;
            state_ = State::Append;
        } else {
            OpenTemporary();
            startsFile_ = true;
            state_ = State::Replace;
        }
    } catch (...) {
        CloseLock();
        throw;
    }
}

void OutputFile::LockTarget() {
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        bool created = true;
        FileDescriptor fd = OpenGuarded(target_, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (!fd && errno == EEXIST) {
            created = false;
            fd = OpenGuarded(target_, O_WRONLY);
            if (!fd && errno == ENOENT) continue;  // removed in between
        }
        if (!fd) throw OpenError(errno, shown_);
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (err == EWOULDBLOCK)
                throw VbError(kErrPermissionDenied, kOutputBusyMessage + shown_);
            throw FileError(err, shown_);
        }
        // The lock counts only if the path still names the file locked: an earlier run may have
        // replaced it in the meantime.
        struct stat locked = {};
        if (NamesFile(target_, fd.Get()) && ::fstat(fd.Get(), &locked) == 0) {
            lock_ = std::move(fd);
            createdTarget_ = created;
            modeBefore_ = locked.st_mode & 07777;
            return;
        }
    }
    throw VbError(kErrPermissionDenied, kOutputBusyMessage + shown_);
}

void OutputFile::OpenTemporary() {
    // This run holds the target, so the temporary files of killed runs go with the creation.
    if (const int err = temporary_.Create(target_)) throw FileError(err, shown_);
    // The replacement keeps the permissions the user gave the earlier file.
    // Some file systems (a FAT stick) refuse permissions: the run goes on and says so.
    permissionsLost_.clear();
    if (!createdTarget_ && ::fchmod(temporary_.File().Get(), modeBefore_) != 0)
        permissionsLost_ = std::strerror(errno);
    FileDescriptor fd = temporary_.File().Duplicate();
    if (!fd) {
        const int err = errno;
        temporary_.Discard();
        throw FileError(err, shown_);
    }
    writer_.Attach(std::move(fd), shown_);
}

void OutputFile::CheckTargetStillThere() const {
    if (!NamesFile(target_, lock_.Get()))
        throw VbError(kErrFileNotFound, kOutputVanishedMessage + shown_);
}

void OutputFile::Commit() {
    writer_.Close();
    switch (state_) {
        case State::Replace:
            CheckTargetStillThere();
            if (const int err = temporary_.Commit()) {
                // A folder gone in the meantime; anything else (a full disk) names itself.
                if (err == ENOENT || err == ENOTDIR)
                    throw VbError(kErrFileNotFound, kOutputVanishedMessage + shown_);
                throw FileError(err, shown_);
            }
            break;
        case State::Append:
            CheckTargetStillThere();
            break;
        case State::Direct:
        case State::Closed:
            break;
    }
    CloseLock();
    state_ = State::Closed;
}

bool OutputFile::Discard() noexcept {
    writer_.Abandon();
    temporary_.Discard();
    bool restored = true;
    if (state_ == State::Replace || state_ == State::Append) {
        // A file made by this run goes again, unless someone else has taken its name since.
        if (createdTarget_ && NamesFile(target_, lock_.Get()))
            ::unlink(target_.c_str());
        else if (state_ == State::Append)
            restored = ::ftruncate(lock_.Get(), lengthBefore_) == 0;
    }
    CloseLock();
    state_ = State::Closed;
    return restored;
}

void OutputFile::CloseLock() noexcept {
    lock_.Reset();
}

}  // namespace norvik
