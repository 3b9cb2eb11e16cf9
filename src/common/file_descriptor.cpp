#include "common/file_descriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace norvik {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

int FileDescriptor::Release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int FileDescriptor::Close() noexcept {
    if (fd_ < 0) return 0;
    // Linux frees the descriptor even when close is interrupted; retrying could close another.
    const int rc = ::close(Release());
    return rc != 0 && errno != EINTR ? errno : 0;
}

void FileDescriptor::Reset() noexcept {
    if (fd_ < 0) return;
    const int saved = errno;
    ::close(Release());
    errno = saved;
}

FileDescriptor FileDescriptor::Duplicate() const noexcept {
    if (fd_ < 0) {
        errno = EBADF;
        return FileDescriptor();
    }
    return FileDescriptor(::fcntl(fd_, F_DUPFD_CLOEXEC, 0));
}

}  // namespace norvik
