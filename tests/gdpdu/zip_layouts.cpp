#include "zip_layouts.h"

#include <zip.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "support/test_support.h"

namespace norvik::test {
namespace {

// An entry as it lies packed in the ZIP.
struct PackedEntry {
    std::string name;
    std::string data;  // as packed
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t size = 0;  // unpacked
    uint32_t attributes = 0;
};

std::vector<PackedEntry> ReadPacked(const std::string& zip) {
    int error = 0;
    zip_t* archive = zip_open(zip.c_str(), ZIP_RDONLY, &error);
    if (!archive) throw std::runtime_error(zip + ": libzip error " + std::to_string(error));
    std::vector<PackedEntry> entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        zip_stat_index(archive, index, 0, &st);
        PackedEntry entry;
        entry.name = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        entry.method = st.comp_method;
        entry.crc = st.crc;
        entry.size = st.size;
        zip_uint8_t opsys = 0;
        zip_file_get_external_attributes(archive, index, 0, &opsys, &entry.attributes);
        zip_file_t* file = zip_fopen_index(archive, index, ZIP_FL_COMPRESSED);
        char buffer[65536];
        for (zip_int64_t n; file && (n = zip_fread(file, buffer, sizeof buffer)) > 0;)
            entry.data.append(buffer, static_cast<size_t>(n));
        if (file) zip_fclose(file);
        entries.push_back(std::move(entry));
    }
    zip_discard(archive);
    return entries;
}

// Little-endian fields appended to bytes.
class Bytes {
  public:
    Bytes& U16(uint64_t v) { return Put(v, 2); }
    Bytes& U32(uint64_t v) { return Put(v, 4); }
    Bytes& U64(uint64_t v) { return Put(v, 8); }
    Bytes& Raw(const std::string& bytes) {
        text += bytes;
        return *this;
    }
    std::string text;

  private:
    Bytes& Put(uint64_t v, int width) {
        for (int i = 0; i < width; ++i) text += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
};

constexpr uint64_t kMarker16 = 0xFFFF, kMarker32 = 0xFFFFFFFF;
constexpr uint16_t kDescriptor = 0x0008;
// 1980-01-01 00:00, as the package's own entries have it.
constexpr uint16_t kTime = 0, kDate = 0x21;
// Made by Unix, version 3.0.
constexpr uint16_t kMadeBy = 0x031E;

}  // namespace

void RelayZip(const std::string& zip, const std::string& layout) {
    const bool zip64 = layout.starts_with("zip64");
    const bool streamed = layout.starts_with("streamed") || layout == "zip64-streamed";
    const bool streamed64 = layout == "streamed-zip64";
    // 64-bit sizes in the data descriptors.
    const bool wideDescriptors = streamed64 || layout == "zip64-streamed";
    if (layout != "zip64" && layout != "zip64-other-count" && layout != "zip64-streamed" &&
        !streamed && layout != "local-name")
        throw std::runtime_error("unknown layout " + layout);
    const std::vector<PackedEntry> entries = ReadPacked(zip);
    Bytes out, directory;
    for (size_t i = 0; i < entries.size(); ++i) {
        const PackedEntry& e = entries[i];
        const uint64_t offset = out.text.size();
        const uint16_t needed = zip64 || streamed64 ? 45 : 20;
        const uint16_t flags = streamed ? kDescriptor : 0;
        // The local header.
        uint64_t localCrc = e.crc, localPacked = e.data.size(), localSize = e.size;
        std::string localExtra;
        if (zip64 && streamed) {
            localCrc = localPacked = localSize = 0;
        } else if (zip64) {
            localPacked = localSize = kMarker32;
            localExtra = Bytes().U16(1).U16(16).U64(e.size).U64(e.data.size()).text;
        } else if (streamed64) {
            localCrc = 0;
            localPacked = localSize = kMarker32;
            localExtra = Bytes().U16(1).U16(16).U64(0).U64(0).text;
        } else if (layout == "streamed-zeros") {
            localCrc = localPacked = localSize = 0;
        } else if (streamed) {
            localCrc = localPacked = 0;
            if (layout == "streamed-other-size" && i == 0) ++localSize;
        }
        std::string localName = e.name;
        if (layout == "local-name" && i == 0) localName[0] ^= 0x20;
        out.U32(0x04034b50).U16(needed).U16(flags).U16(e.method).U16(kTime).U16(kDate);
        out.U32(localCrc).U32(localPacked).U32(localSize).U16(localName.size());
        out.U16(localExtra.size()).Raw(localName).Raw(localExtra).Raw(e.data);
        if (wideDescriptors)
            out.U32(0x08074b50).U32(e.crc).U64(e.data.size()).U64(e.size);
        else if (streamed)
            out.U32(0x08074b50).U32(e.crc).U32(e.data.size()).U32(e.size);
        // Its entry in the directory.
        uint64_t packed = e.data.size(), size = e.size, at = offset;
        if (layout == "streamed-overlap" && i == 0) packed += 40;
        std::string extra;
        if (zip64) {
            extra = Bytes().U16(1).U16(24).U64(size).U64(packed).U64(at).text;
            packed = size = at = kMarker32;
        }
        directory.U32(0x02014b50).U16(kMadeBy).U16(needed).U16(flags).U16(e.method);
        directory.U16(kTime).U16(kDate).U32(e.crc).U32(packed).U32(size).U16(e.name.size());
        directory.U16(extra.size()).U16(0).U16(0).U16(0).U32(e.attributes).U32(at);
        directory.Raw(e.name).Raw(extra);
    }
    const uint64_t directoryAt = out.text.size();
    out.Raw(directory.text);
    uint64_t count = entries.size();
    if (zip64) {
        const uint64_t recordAt = out.text.size();
        const uint64_t stated = layout == "zip64-other-count" ? count - 1 : count;
        out.U32(0x06064b50).U64(44).U16(45).U16(45).U32(0).U32(0).U64(stated).U64(stated);
        out.U64(directory.text.size()).U64(directoryAt);
        out.U32(0x07064b50).U32(0).U64(recordAt).U32(1);
        // As Go writes it: the disk numbers zero, every other field marked.
        out.U32(0x06054b50).U16(0).U16(0).U16(kMarker16).U16(kMarker16);
        out.U32(kMarker32).U32(kMarker32).U16(0);
    } else {
        out.U32(0x06054b50).U16(0).U16(0).U16(count).U16(count);
        out.U32(directory.text.size()).U32(directoryAt).U16(0);
    }
    WriteBytes(zip, out.text);
}

}  // namespace norvik::test
