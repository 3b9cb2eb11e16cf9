#pragma once
// A ZIP file's own records, read before and beside libzip: the size of its central directory as
// the end records state it (an archive from someone else must not make libzip allocate without
// bound), and whether its records agree with each other as unzip -t requires.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace norvik {

// The largest count of entries and directory size any end record of the file states; both 0
// when it has none (libzip then says what is wrong). Where a ZIP64 end record stands behind an
// end record, the end record's 0xFFFF and 0xFFFFFFFF mean "see there" and are no sizes.
struct ZipDirectorySize {
    uint64_t entries = 0;
    uint64_t bytes = 0;
};

// Reads the end records in the last 64 KiB of the open file (and the ZIP64 records they point
// to); never raises.
ZipDirectorySize StatedDirectorySize(int fd) noexcept;

// An entry of the central directory.
struct ZipLayoutEntry {
    std::string name;  // the bytes as stored
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t packed = 0;  // bytes in the file
    uint64_t size = 0;    // bytes unpacked
};

// What the records of a ZIP say, and the first place where they contradict each other.
struct ZipLayout {
    std::vector<ZipLayoutEntry> entries;
    std::string problem;                 // German, without a closing point; empty when none
    std::optional<size_t> problemEntry;  // the entry it concerns, if one
};

// Reads the end records (ZIP64 too), the central directory and every entry's local header, and
// checks what unzip -t relies on: the directory ends where the end record begins and holds the
// stated entries, each local header names the same file, method and encryption, its sizes and
// CRC match or, with a data descriptor following the data, are zero, and no entry's data
// reaches into another or into the directory. Reads at most maxDirectoryBytes of directory;
// never raises.
ZipLayout ReadZipLayout(int fd, uint64_t maxEntries, uint64_t maxDirectoryBytes) noexcept;

}  // namespace norvik
