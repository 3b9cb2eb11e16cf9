#include "zip_entries.h"

#include <gtest/gtest.h>
#include <zip.h>

namespace norvik::test {

std::vector<ZipEntry> ZipEntries(const std::string& zip) {
    std::vector<ZipEntry> entries;
    int error = 0;
    zip_t* archive = zip_open(zip.c_str(), ZIP_RDONLY, &error);
    EXPECT_NE(archive, nullptr) << zip << ": libzip error " << error;
    if (!archive) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        ZipEntry entry;
        entry.name = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(archive, index, 0, &opsys, &attributes);
        entry.mode = attributes >> 16;
        zip_file_t* file = zip_fopen_index(archive, index, 0);
        char buffer[65536];
        for (zip_int64_t n; file && (n = zip_fread(file, buffer, sizeof buffer)) > 0;)
            entry.bytes.append(buffer, static_cast<size_t>(n));
        if (file) zip_fclose(file);
        entries.push_back(std::move(entry));
    }
    zip_discard(archive);
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

}  // namespace norvik::test
