#pragma once
// A folder of our own below the temporary folder ($TMPDIR, else /tmp), named after its process,
// locked while it lives and removed with everything in it at its end; one that a killed run left
// is removed by the next run that makes one of the same name, and only then: runs side by side
// never take each other's folders.

#include <cstdint>
#include <filesystem>
#include <string>

#include "common/file_descriptor.h"

namespace norvik {

class PrivateFolder {
  public:
    // Makes "norvik-NAME-PID-XXXXXX" (mode 0700) after removing such folders of this user whose
    // process has ended and that no process holds; raises VbError naming the temporary folder
    // when it cannot.
    explicit PrivateFolder(const std::string& name);
    // Removes the folder and its contents; never raises.
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // The folder.
    const std::filesystem::path& Path() const { return path_; }
    // A descriptor of the folder, for openat.
    int Fd() const { return fd_.Get(); }
    // The bytes still free for an unprivileged user where it lies.
    uint64_t FreeBytes() const;

  private:
    std::filesystem::path path_;
    FileDescriptor fd_;
};

}  // namespace norvik
