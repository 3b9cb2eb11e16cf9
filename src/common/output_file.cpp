#include "common/output_file.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

#include "common/guarded_open.h"
#include "common/leftover_files.h"
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
        const int fd =
            OpenGuarded(target_, O_WRONLY | (append ? O_APPEND : O_TRUNC), 0, FileKinds::Any);
        if (fd < 0) throw OpenError(errno, shown_);
        writer_.Attach(fd, shown_);
        startsFile_ = !append;
        state_ = State::Direct;
        return;
    }
    LockTarget();
    try {
        if (append) {
            lengthBefore_ = ::lseek(lockFd_, 0, SEEK_END);
            if (lengthBefore_ < 0 || ::fcntl(lockFd_, F_SETFL, O_APPEND) != 0)
                throw FileError(errno, shown_);
            const int fd = ::fcntl(lockFd_, F_DUPFD_CLOEXEC, 0);
            if (fd < 0) throw FileError(errno, shown_);
            writer_.Attach(fd, shown_);
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
        int fd = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) {
            created = false;
            fd = OpenGuarded(target_, O_WRONLY);
            if (fd < 0 && errno == ENOENT) continue;  // removed in between
        }
        if (fd < 0) throw OpenError(errno, shown_);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK)
                throw VbError(kErrPermissionDenied, kOutputBusyMessage + shown_);
            throw FileError(err, shown_);
        }
        // The lock counts only if the path still names the file locked: an earlier run may have
        // replaced it in the meantime.
        struct stat locked = {};
        if (NamesFile(target_, fd) && ::fstat(fd, &locked) == 0) {
            lockFd_ = fd;
            createdTarget_ = created;
            modeBefore_ = locked.st_mode & 07777;
            return;
        }
        ::close(fd);
    }
    throw VbError(kErrPermissionDenied, kOutputBusyMessage + shown_);
}

void OutputFile::OpenTemporary() {
    const fs::path target(target_);
    // This run holds the target: any temporary file of it that nobody holds was left by a run
    // that was killed.
    RemoveLeftovers(target.parent_path().string(), target.filename().string());
    for (;;) {
        const fs::path file = target.parent_path() / TemporaryNameFor(target.filename().string());
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) throw FileError(errno, shown_);
        MarkInUse(fd);
        // The replacement keeps the permissions the user gave the earlier file.
        if (!createdTarget_ && ::fchmod(fd, modeBefore_) != 0) {
            // The default permissions are a fair fallback.
        }
        temporary_ = file.string();
        writer_.Attach(fd, shown_);
        return;
    }
}

void OutputFile::CheckTargetStillThere() const {
    if (!NamesFile(target_, lockFd_))
        throw VbError(kErrFileNotFound, kOutputVanishedMessage + shown_);
}

void OutputFile::Commit() {
    writer_.Close();
    switch (state_) {
        case State::Replace:
            CheckTargetStillThere();
            if (::rename(temporary_.c_str(), target_.c_str()) != 0)
                throw VbError(kErrFileNotFound, kOutputVanishedMessage + shown_);
            temporary_.clear();
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

void OutputFile::Discard() noexcept {
    writer_.Abandon();
    if (state_ == State::Replace && !temporary_.empty()) ::unlink(temporary_.c_str());
    if (state_ == State::Replace || state_ == State::Append) {
        // A file made by this run goes again, unless someone else has taken its name since.
        if (createdTarget_ && NamesFile(target_, lockFd_))
            ::unlink(target_.c_str());
        else if (state_ == State::Append && ::ftruncate(lockFd_, lengthBefore_) != 0) {
            // Nothing more can be done on this path; the run reports its cancellation anyway.
        }
    }
    temporary_.clear();
    CloseLock();
    state_ = State::Closed;
}

void OutputFile::CloseLock() noexcept {
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
}

}  // namespace norvik
