#pragma once
// A file that takes the place of its target only as a whole. It is written beside the target under
// a temporary name of ours (leftover_files.h), and Commit renames it over the target; Discard
// removes it. One rule for every such file: Commit flushes the file to the disk before the rename
// and the folder after it, so that after a crash the target is either the earlier file or the
// complete new one, never an empty or cut one.

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "common/file_descriptor.h"

namespace norvik {

class AtomicFile {
  public:
    AtomicFile() = default;
    // A file neither committed nor discarded is discarded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for the target with these permissions (before the umask), after
    // removing the temporary files of killed runs; 0 or the errno of the failure.
    [[nodiscard]] int Create(const std::filesystem::path& target, mode_t mode = 0666);
    // True between a successful Create and Commit or Discard.
    bool IsOpen() const { return static_cast<bool>(file_); }
    // The temporary file, open for writing; none outside Create and Commit.
    const FileDescriptor& File() const { return file_; }
    // The temporary file (after a failed Create, the one it tried).
    const std::filesystem::path& TemporaryPath() const { return temporary_; }
    // Flushes the file to the disk, closes it and puts it in place of the target, then flushes
    // the folder; 0 or the errno of the failure, after which the target is as it was and the
    // temporary file is gone.
    [[nodiscard]] int Commit() noexcept;
    // Closes and removes the temporary file; the target stays as it was.
    void Discard() noexcept;

  private:
    FileDescriptor file_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
};

}  // namespace norvik
