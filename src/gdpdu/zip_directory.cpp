#include "gdpdu/zip_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace norvik {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr size_t kEndSize = 22;
constexpr size_t kLocatorSize = 20;
constexpr size_t kZip64EndSize = 56;
// The end record and the longest comment after it.
constexpr size_t kTail = kEndSize + 0xFFFF;

uint64_t Little(const std::string& bytes, size_t at, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

bool ReadAt(int fd, uint64_t offset, size_t size, std::string& out) {
    out.assign(size, '\0');
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void TakeZip64(int fd, const std::string& tail, size_t at, uint64_t tailStart,
               ZipDirectorySize& size) {
    std::string record;
    uint64_t offset = 0;
    if (at >= kLocatorSize && Little(tail, at - kLocatorSize, 4) == kZip64LocatorSignature)
        offset = Little(tail, at - kLocatorSize + 8, 8);
    else if (at < kLocatorSize && tailStart > 0 &&
             ReadAt(fd, tailStart + at - kLocatorSize, kLocatorSize, record) &&
             Little(record, 0, 4) == kZip64LocatorSignature)
        offset = Little(record, 8, 8);
    else
        return;
    if (!ReadAt(fd, offset, kZip64EndSize, record) || Little(record, 0, 4) != kZip64EndSignature)
        return;
    size.entries = std::max(size.entries, Little(record, 32, 8));
    size.bytes = std::max(size.bytes, Little(record, 40, 8));
}

}  // namespace

ZipDirectorySize StatedDirectorySize(int fd) noexcept {
    ZipDirectorySize size;
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(kEndSize)) return size;
        const uint64_t length = static_cast<uint64_t>(st.st_size);
        const uint64_t start = length > kTail ? length - kTail : 0;
        std::string tail;
        if (!ReadAt(fd, start, static_cast<size_t>(length - start), tail)) return size;
        // libzip weighs every end record it finds; each one's numbers are bounded.
        for (size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
            if (Little(tail, at, 4) != kEndSignature) continue;
            size.entries = std::max(size.entries, Little(tail, at + 10, 2));
            size.bytes = std::max(size.bytes, Little(tail, at + 12, 4));
            TakeZip64(fd, tail, at, start, size);
        }
    } catch (...) {
        // Out of memory for 64 KiB: libzip would not get further.
    }
    return size;
}

}  // namespace norvik
