#include "packages.h"

#include <zip.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "gdpdu/handover_zip.h"
#include "medium/hash_list.h"
#include "medium/medium_names.h"
#include "support/cases.h"

namespace norvik::test {
namespace {

// Little-endian fields appended to bytes.
struct Bytes {
    Bytes& U16(uint64_t v) { return Put(v, 2); }
    Bytes& U32(uint64_t v) { return Put(v, 4); }
    Bytes& U64(uint64_t v) { return Put(v, 8); }
    Bytes& Raw(const std::string& bytes) {
        text += bytes;
        return *this;
    }
    Bytes& Put(uint64_t v, int width) {
        for (int i = 0; i < width; ++i) text += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
    std::string text;
};

constexpr uint64_t kMarker16 = 0xFFFF, kMarker32 = 0xFFFFFFFF;
// 1980-01-01 00:00, as the package's own entries have it; made by Unix, version 3.0.
constexpr uint16_t kTime = 0, kDate = 0x21, kMadeBy = 0x031E;

}  // namespace

std::vector<ZipEntry> ZipEntries(const std::string& zip, bool packed) {
    std::vector<ZipEntry> entries;
    int error = 0;
    zip_t* archive = zip_open(zip.c_str(), ZIP_RDONLY, &error);
    EXPECT_NE(archive, nullptr) << zip << ": libzip error " << error;
    for (zip_int64_t i = 0; archive && i < zip_get_num_entries(archive, 0); ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        zip_stat_index(archive, index, 0, &st);
        ZipEntry entry{
            zip_get_name(archive, index, ZIP_FL_ENC_RAW), "", 0, st.comp_method, st.crc, st.size};
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(archive, index, 0, &opsys, &attributes);
        entry.mode = attributes >> 16;
        zip_file_t* file = zip_fopen_index(archive, index, packed ? ZIP_FL_COMPRESSED : 0);
        char buffer[65536];
        for (zip_int64_t n; file && (n = zip_fread(file, buffer, sizeof buffer)) > 0;)
            entry.bytes.append(buffer, static_cast<size_t>(n));
        if (file) zip_fclose(file);
        entries.push_back(std::move(entry));
    }
    if (archive) zip_discard(archive);
    return entries;
}

void WriteZip(const std::string& zip, const std::vector<ZipEntry>& entries) {
    int error = 0;
    zip_t* archive = zip_open(zip.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr) << zip;
    for (const ZipEntry& entry : entries) {
        zip_source_t* source =
            zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, 0);
        ASSERT_GE(index, 0) << entry.name << ": " << zip_strerror(archive);
        zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0,
                                         ZIP_OPSYS_UNIX, entry.mode << 16);
    }
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

void RelayZip(const std::string& zip, const std::string& layout) {
    const bool zip64 = layout.starts_with("zip64");
    const bool streamed = layout.starts_with("streamed") || layout == "zip64-streamed";
    const bool streamed64 = layout == "streamed-zip64";
    // 64-bit sizes in the data descriptors.
    const bool wideDescriptors = streamed64 || layout == "zip64-streamed";
    if (!zip64 && !streamed && layout != "local-name")
        throw std::runtime_error("unknown layout " + layout);
    const std::vector<ZipEntry> entries = ZipEntries(zip, true);
    Bytes out, directory;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ZipEntry& e = entries[i];
        const uint64_t offset = out.text.size();
        const uint16_t needed = zip64 || streamed64 ? 45 : 20;
        const uint16_t flags = streamed ? 0x0008 : 0;  // data descriptors
        // The local header.
        uint64_t localCrc = e.crc, localPacked = e.bytes.size(), localSize = e.size;
        std::string localExtra;
        if ((zip64 && streamed) || layout == "streamed-zeros") {
            localCrc = localPacked = localSize = 0;
        } else if (zip64) {
            localPacked = localSize = kMarker32;
            localExtra = Bytes().U16(1).U16(16).U64(e.size).U64(e.bytes.size()).text;
        } else if (streamed64) {
            localCrc = 0;
            localPacked = localSize = kMarker32;
            localExtra = Bytes().U16(1).U16(16).U64(0).U64(0).text;
        } else if (streamed) {
            localCrc = localPacked = 0;
            if (layout == "streamed-other-size" && i == 0) ++localSize;
        }
        std::string localName = e.name;
        if (layout == "local-name" && i == 0) localName[0] ^= 0x20;
        out.U32(0x04034b50).U16(needed).U16(flags).U16(e.method).U16(kTime).U16(kDate);
        out.U32(localCrc).U32(localPacked).U32(localSize).U16(localName.size());
        out.U16(localExtra.size()).Raw(localName).Raw(localExtra).Raw(e.bytes);
        if (streamed) {
            const int width = wideDescriptors ? 8 : 4;
            out.U32(0x08074b50).U32(e.crc).Put(e.bytes.size(), width).Put(e.size, width);
        }
        // Its entry in the directory.
        uint64_t packed = e.bytes.size(), size = e.size, at = offset;
        if (layout == "streamed-overlap" && i == 0) packed += 40;
        std::string extra;
        if (zip64) {
            extra = Bytes().U16(1).U16(24).U64(size).U64(packed).U64(at).text;
            packed = size = at = kMarker32;
        }
        directory.U32(0x02014b50).U16(kMadeBy).U16(needed).U16(flags).U16(e.method);
        directory.U16(kTime).U16(kDate).U32(e.crc).U32(packed).U32(size).U16(e.name.size());
        directory.U16(extra.size()).U16(0).U16(0).U16(0).U32(e.mode << 16).U32(at);
        directory.Raw(e.name).Raw(extra);
    }
    const uint64_t directoryAt = out.text.size(), count = entries.size();
    out.Raw(directory.text);
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

std::string GoodPackage(const TempDir& dir) {
    namespace fs = std::filesystem;
    const std::string folder = dir.file("Medium");
    fs::copy(fs::path(NORVIK_SOURCE_DIR) / "tests/gdpdu/cases/check/G404", folder);
    WriteBytes(folder + "/konten.txt", "1000;\"Kasse\"\r\n");
    fs::copy_file(PublishedDtd(), folder + "/" + kGdpduDtdName);
    WriteHandoverZip(folder, HashMediumFiles(folder, PackageOrder({"konten.txt"})), "Protokoll",
                     folder + ".zip");
    return folder + ".zip";
}

std::string WithSums(std::string text, const std::vector<ZipEntry>& files) {
    for (const ZipEntry& file : files) {
        Sha256 sum;
        sum.Update(file.bytes);
        const std::string hex = sum.HexDigest();
        std::string upper = hex;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        text = Filled(text, {{"{" + file.name + "}", hex}, {"{" + file.name + ":U}", upper}});
    }
    return text;
}

std::string Sha256sumVerdict(const std::string& folder) {
    const std::string command =
        "cd '" + folder + "' && sha256sum -c --strict " + kHashListName + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? "ok" : "FAILED";
}

bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace norvik::test
