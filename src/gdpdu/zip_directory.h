#pragma once
// The size of a ZIP file's central directory as its end records state it, read before libzip
// reads the directory: an archive from someone else must not make it allocate without bound.

#include <cstdint>

namespace norvik {

// The largest count of entries and directory size any end record of the file states; both 0
// when it has none (libzip then says what is wrong).
struct ZipDirectorySize {
    uint64_t entries = 0;
    uint64_t bytes = 0;
};

// Reads the end records in the last 64 KiB of the open file (and the ZIP64 records they point
// to); never raises.
ZipDirectorySize StatedDirectorySize(int fd) noexcept;

}  // namespace norvik
