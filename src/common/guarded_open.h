#pragma once
// Opening files without harming the host database: closing any descriptor of a file drops every
// POSIX lock the process holds on it, so SQLite's locks would vanish if other code here opened
// and closed the database or its journals. Every file the component opens on its own goes through
// OpenGuarded, which refuses such files before it opens them.

#include <sys/types.h>

#include <string>

#include "common/file_descriptor.h"

namespace norvik {

// Keeps a file and its "-wal", "-shm" and "-journal" siblings out of OpenGuarded while it lives.
class ProtectedFile {
  public:
    explicit ProtectedFile(std::string path);
    ~ProtectedFile();
    ProtectedFile(const ProtectedFile&) = delete;
    ProtectedFile& operator=(const ProtectedFile&) = delete;

  private:
    std::string path_;
};

// What OpenGuarded accepts besides regular files.
enum class FileKinds { RegularOnly, Any };

// open(2) (closed on exec) that fails with EACCES for a protected file and, with RegularOnly, with
// EINVAL for anything but a regular file (a FIFO would block); none, with errno set, on failure.
FileDescriptor OpenGuarded(const std::string& path, int flags, mode_t mode = 0,
                           FileKinds kinds = FileKinds::RegularOnly);
// True when the path names a protected file (links followed).
bool IsProtectedFile(const std::string& path);

}  // namespace norvik
