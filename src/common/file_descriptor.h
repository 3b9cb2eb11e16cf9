#pragma once
// An open file descriptor with one owner: closed when the owner goes, moved but never copied.

namespace norvik {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    // Takes over fd (-1 for none).
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor() { Reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // The descriptor, -1 when none is held.
    int Get() const noexcept { return fd_; }
    // True when a descriptor is held.
    explicit operator bool() const noexcept { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int Release() noexcept;
    // Closes it; 0 or the errno of a close that reported a failure (data may not have reached
    // the file). Nothing is held afterwards either way.
    int Close() noexcept;
    // Closes it without looking at the outcome (error paths); errno stays as it was.
    void Reset() noexcept;
    // A second descriptor of the same open file (closed on exec); none, with errno set, when the
    // system refuses.
    FileDescriptor Duplicate() const noexcept;

  private:
    int fd_ = -1;
};

}  // namespace norvik
