#include "check/zip_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>

namespace norvik {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kLocatorSize = 20;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
// The end record and the longest comment after it.
constexpr size_t kTail = kEndSize + 0xFFFF;
// In a field of the end record or an entry: the value stands in the ZIP64 record or extra field.
constexpr uint64_t kMarker16 = 0xFFFF;
constexpr uint64_t kMarker32 = 0xFFFFFFFF;
constexpr uint16_t kZip64ExtraId = 0x0001;
constexpr uint16_t kEncryptedFlag = 0x0001;
// Sizes and CRC follow the data; the local header may leave them zero.
constexpr uint16_t kDescriptorFlag = 0x0008;

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

// A ZIP64 end record's numbers.
struct Zip64End {
    uint64_t at = 0;  // where it begins
    uint64_t recordSize = 0;
    uint32_t disk = 0, directoryDisk = 0;
    uint64_t entriesHere = 0, entries = 0, bytes = 0, offset = 0;
};

// The ZIP64 end record the locator before the end record at (in tail) points to.
std::optional<Zip64End> FindZip64(int fd, const std::string& tail, size_t at, uint64_t tailStart,
                                  uint64_t& locatorAt) {
    std::string record;
    if (at >= kLocatorSize) {
        record = tail.substr(at - kLocatorSize, kLocatorSize);
    } else if (tailStart + at < kLocatorSize ||
               !ReadAt(fd, tailStart + at - kLocatorSize, kLocatorSize, record)) {
        return std::nullopt;
    }
    if (Little(record, 0, 4) != kZip64LocatorSignature) return std::nullopt;
    locatorAt = tailStart + at - kLocatorSize;
    Zip64End end;
    end.at = Little(record, 8, 8);
    if (!ReadAt(fd, end.at, kZip64EndSize, record) || Little(record, 0, 4) != kZip64EndSignature)
        return std::nullopt;
    end.recordSize = Little(record, 4, 8);
    end.disk = static_cast<uint32_t>(Little(record, 16, 4));
    end.directoryDisk = static_cast<uint32_t>(Little(record, 20, 4));
    end.entriesHere = Little(record, 24, 8);
    end.entries = Little(record, 32, 8);
    end.bytes = Little(record, 40, 8);
    end.offset = Little(record, 48, 8);
    return end;
}

// The stated value: the ZIP64 record's where the end record holds the marker.
uint64_t Stated(uint64_t value, uint64_t marker, const std::optional<Zip64End>& zip64,
                uint64_t wide) {
    return zip64 && value == marker ? wide : value;
}

// The extra field of a ZIP64 entry: the values that the fixed fields mark, in their order.
class Zip64Extra {
  public:
    explicit Zip64Extra(const std::string& extra) {
        for (size_t at = 0; at + 4 <= extra.size();) {
            const size_t length = Little(extra, at + 2, 2);
            if (at + 4 + length > extra.size()) break;
            if (Little(extra, at, 2) == kZip64ExtraId) {
                data_ = extra.substr(at + 4, length);
                return;
            }
            at += 4 + length;
        }
    }
    // Replaces value by the next one of the field when it holds marker; false when there is none.
    bool Take(uint64_t& value, uint64_t marker, size_t width) {
        if (value != marker) return true;
        if (next_ + width > data_.size()) return false;
        value = Little(data_, next_, width);
        next_ += width;
        return true;
    }

  private:
    std::string data_;
    size_t next_ = 0;
};

// The records behind an end record, checked; fills layout or names its problem.
class LayoutReader {
  public:
    LayoutReader(int fd, uint64_t maxEntries, uint64_t maxDirectoryBytes, ZipLayout& layout)
        : fd_(fd),
          maxEntries_(maxEntries),
          maxDirectoryBytes_(maxDirectoryBytes),
          layout_(layout) {}

    void Read() {
        if (!ReadEnd() || !ReadDirectory()) return;
        ReadLocalHeaders();
    }

  private:
    bool Fail(std::string problem, std::optional<size_t> entry = std::nullopt) {
        layout_.problem = std::move(problem);
        layout_.problemEntry = entry;
        return false;
    }

    // The end record whose comment reaches exactly to the end of the file, as libzip wants it.
    bool ReadEnd() {
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || st.st_size < static_cast<off_t>(kEndSize))
            return Fail("die Datei ist zu kurz für eine ZIP-Datei");
        const uint64_t length = static_cast<uint64_t>(st.st_size);
        const uint64_t start = length > kTail ? length - kTail : 0;
        std::string tail;
        if (!ReadAt(fd_, start, static_cast<size_t>(length - start), tail))
            return Fail("die Datei lässt sich nicht lesen");
        size_t at = tail.size() - kEndSize + 1;
        while (at-- > 0)
            if (Little(tail, at, 4) == kEndSignature &&
                at + kEndSize + Little(tail, at + 20, 2) == tail.size())
                break;
        if (at == static_cast<size_t>(-1))
            return Fail("das Ende des Inhaltsverzeichnisses fehlt, oder nach ihm folgen Bytes");
        const uint64_t disk = Little(tail, at + 4, 2), directoryDisk = Little(tail, at + 6, 2);
        const uint64_t entriesHere = Little(tail, at + 8, 2), entries = Little(tail, at + 10, 2);
        const uint64_t bytes = Little(tail, at + 12, 4), offset = Little(tail, at + 16, 4);
        uint64_t locatorAt = 0;
        const std::optional<Zip64End> zip64 = FindZip64(fd_, tail, at, start, locatorAt);
        directoryEnd_ = start + at;
        if (zip64) {
            if (zip64->at > locatorAt || zip64->recordSize < kZip64EndSize - 12 ||
                zip64->recordSize + 12 != locatorAt - zip64->at)
                return Fail("der ZIP64-Endeintrag hat nicht die angegebene Länge");
            const auto agrees = [&](uint64_t value, uint64_t marker, uint64_t wide) {
                return value == marker || value == wide;
            };
            if (!agrees(disk, kMarker16, zip64->disk) ||
                !agrees(directoryDisk, kMarker16, zip64->directoryDisk) ||
                !agrees(entriesHere, kMarker16, zip64->entriesHere) ||
                !agrees(entries, kMarker16, zip64->entries) ||
                !agrees(bytes, kMarker32, zip64->bytes) ||
                !agrees(offset, kMarker32, zip64->offset))
                return Fail("Endeintrag und ZIP64-Endeintrag nennen verschiedene Werte");
            directoryEnd_ = zip64->at;
        }
        if (Stated(disk, kMarker16, zip64, zip64 ? zip64->disk : 0) != 0 ||
            Stated(directoryDisk, kMarker16, zip64, zip64 ? zip64->directoryDisk : 0) != 0 ||
            Stated(entriesHere, kMarker16, zip64, zip64 ? zip64->entriesHere : 0) !=
                Stated(entries, kMarker16, zip64, zip64 ? zip64->entries : 0))
            return Fail("die ZIP-Datei ist auf mehrere Teile verteilt");
        entries_ = Stated(entries, kMarker16, zip64, zip64 ? zip64->entries : 0);
        bytes_ = Stated(bytes, kMarker32, zip64, zip64 ? zip64->bytes : 0);
        offset_ = Stated(offset, kMarker32, zip64, zip64 ? zip64->offset : 0);
        if (entries_ > maxEntries_ || bytes_ > maxDirectoryBytes_)
            return Fail("das Inhaltsverzeichnis ist zu groß");
        if (offset_ > directoryEnd_ || directoryEnd_ - offset_ != bytes_)
            return Fail("das Inhaltsverzeichnis endet nicht dort, wo sein Endeintrag beginnt");
        return true;
    }

    bool ReadDirectory() {
        std::string directory;
        if (!ReadAt(fd_, offset_, static_cast<size_t>(bytes_), directory))
            return Fail("das Inhaltsverzeichnis lässt sich nicht lesen");
        size_t at = 0;
        for (uint64_t i = 0; i < entries_; ++i) {
            if (at + kCentralSize > directory.size() ||
                Little(directory, at, 4) != kCentralSignature)
                return Fail("das Inhaltsverzeichnis hat weniger Einträge als angegeben");
            const size_t nameLength = Little(directory, at + 28, 2);
            const size_t extraLength = Little(directory, at + 30, 2);
            const size_t commentLength = Little(directory, at + 32, 2);
            const size_t end = at + kCentralSize + nameLength + extraLength + commentLength;
            if (end > directory.size())
                return Fail("das Inhaltsverzeichnis hat weniger Einträge als angegeben");
            ZipLayoutEntry entry;
            Central central;
            central.flags = static_cast<uint16_t>(Little(directory, at + 8, 2));
            entry.method = static_cast<uint16_t>(Little(directory, at + 10, 2));
            entry.crc = static_cast<uint32_t>(Little(directory, at + 16, 4));
            entry.packed = Little(directory, at + 20, 4);
            entry.size = Little(directory, at + 24, 4);
            uint64_t disk = Little(directory, at + 34, 2);
            central.offset = Little(directory, at + 42, 4);
            entry.name = directory.substr(at + kCentralSize, nameLength);
            Zip64Extra zip64(directory.substr(at + kCentralSize + nameLength, extraLength));
            const bool complete =
                zip64.Take(entry.size, kMarker32, 8) && zip64.Take(entry.packed, kMarker32, 8) &&
                zip64.Take(central.offset, kMarker32, 8) && zip64.Take(disk, kMarker16, 4);
            layout_.entries.push_back(std::move(entry));
            centrals_.push_back(central);
            if (!complete)
                return Fail("die ZIP64-Angaben des Eintrags fehlen", layout_.entries.size() - 1);
            if (disk != 0)
                return Fail("der Eintrag liegt in einem anderen Teil der ZIP-Datei",
                            layout_.entries.size() - 1);
            at = end;
        }
        if (at != directory.size())
            return Fail("das Inhaltsverzeichnis hat mehr Einträge als angegeben");
        return true;
    }

    void ReadLocalHeaders() {
        // Where each entry's bytes begin and end, to find entries that share bytes.
        std::vector<std::pair<uint64_t, uint64_t>> spans;
        for (size_t i = 0; i < layout_.entries.size(); ++i) {
            const ZipLayoutEntry& entry = layout_.entries[i];
            const Central& central = centrals_[i];
            std::string header;
            if (central.offset > offset_ || offset_ - central.offset < kLocalSize ||
                !ReadAt(fd_, central.offset, kLocalSize, header) ||
                Little(header, 0, 4) != kLocalSignature) {
                Fail("der lokale Kopf des Eintrags fehlt an der angegebenen Stelle", i);
                return;
            }
            const uint16_t flags = static_cast<uint16_t>(Little(header, 6, 2));
            const uint64_t method = Little(header, 8, 2);
            const uint64_t crc = Little(header, 14, 4);
            uint64_t packed = Little(header, 18, 4);
            uint64_t size = Little(header, 22, 4);
            const size_t nameLength = Little(header, 26, 2);
            const size_t extraLength = Little(header, 28, 2);
            const uint64_t data = central.offset + kLocalSize + nameLength + extraLength;
            std::string rest;
            if (data > offset_ ||
                !ReadAt(fd_, central.offset + kLocalSize, nameLength + extraLength, rest)) {
                Fail("der lokale Kopf des Eintrags reicht in das Inhaltsverzeichnis", i);
                return;
            }
            if (rest.compare(0, nameLength, entry.name) != 0 || nameLength != entry.name.size()) {
                Fail("der lokale Kopf nennt einen anderen Namen als das Inhaltsverzeichnis", i);
                return;
            }
            if (method != entry.method ||
                (flags & kEncryptedFlag) != (central.flags & kEncryptedFlag)) {
                Fail("der lokale Kopf nennt ein anderes Packverfahren als das Inhaltsverzeichnis",
                     i);
                return;
            }
            Zip64Extra zip64(rest.substr(nameLength));
            if (!zip64.Take(size, kMarker32, 8) || !zip64.Take(packed, kMarker32, 8)) {
                Fail("die ZIP64-Angaben des lokalen Kopfs fehlen", i);
                return;
            }
            // A writer that streams does not know these when it writes the header.
            const bool later = (flags & kDescriptorFlag) != 0;
            const auto agrees = [&](uint64_t local, uint64_t stated) {
                return local == stated || (later && local == 0);
            };
            if (!agrees(crc, entry.crc) || !agrees(packed, entry.packed) ||
                !agrees(size, entry.size)) {
                Fail(
                    "der lokale Kopf nennt eine andere Größe oder CRC-Prüfsumme als das "
                    "Inhaltsverzeichnis",
                    i);
                return;
            }
            if (entry.packed > offset_ - data) {
                Fail("die Daten des Eintrags reichen in das Inhaltsverzeichnis", i);
                return;
            }
            spans.emplace_back(central.offset, data + entry.packed);
        }
        std::vector<size_t> order(spans.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return spans[a].first < spans[b].first; });
        for (size_t k = 1; k < order.size(); ++k)
            if (spans[order[k - 1]].second > spans[order[k]].first) {
                Fail("der vorige Eintrag reicht mit seinen Daten in diesen hinein", order[k]);
                return;
            }
    }

    // What the layout check needs of a central entry beyond ZipLayoutEntry.
    struct Central {
        uint16_t flags = 0;
        uint64_t offset = 0;  // of the local header
    };

    int fd_;
    uint64_t maxEntries_, maxDirectoryBytes_;
    ZipLayout& layout_;
    uint64_t directoryEnd_ = 0;  // where the directory must end: the (ZIP64) end record
    uint64_t entries_ = 0, bytes_ = 0, offset_ = 0;
    std::vector<Central> centrals_;
};

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
            uint64_t locatorAt = 0;
            const std::optional<Zip64End> zip64 = FindZip64(fd, tail, at, start, locatorAt);
            size.entries =
                std::max(size.entries, Stated(Little(tail, at + 10, 2), kMarker16, zip64, 0));
            size.bytes =
                std::max(size.bytes, Stated(Little(tail, at + 12, 4), kMarker32, zip64, 0));
            if (zip64) {
                size.entries = std::max(size.entries, zip64->entries);
                size.bytes = std::max(size.bytes, zip64->bytes);
            }
        }
    } catch (...) {
        // Out of memory for 64 KiB: libzip would not get further.
    }
    return size;
}

ZipLayout ReadZipLayout(int fd, uint64_t maxEntries, uint64_t maxDirectoryBytes) noexcept {
    ZipLayout layout;
    try {
        LayoutReader(fd, maxEntries, maxDirectoryBytes, layout).Read();
    } catch (...) {
        layout.entries.clear();
        layout.problem = "der Arbeitsspeicher reicht nicht, um das Inhaltsverzeichnis zu lesen";
        layout.problemEntry.reset();
    }
    return layout;
}

}  // namespace norvik
