#include "medium_writer.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>

#include "gdpdu/tq_xml.h"
#include "gdpdu/xml_text.h"
#include "support/test_support.h"

namespace norvik::test {

std::string PublishedDtd() {
    const std::filesystem::path dtd =
        std::filesystem::path(NORVIK_SHARED_DIR) / "gdpdu" / kGdpduDtdName;
    std::error_code ec;
    return std::filesystem::is_regular_file(dtd, ec) ? dtd.string() : "";
}

std::string IndexText(const std::string& tables) {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"no\"?>\r\n"
           "<!DOCTYPE DataSet SYSTEM \"gdpdu-01-08-2002.dtd\">\r\n"
           "<DataSet>\r\n<Version>1.0</Version>\r\n<Media>\r\n<Name>Datenträger</Name>\r\n" +
           tables + "</Media>\r\n</DataSet>\r\n";
}

void WriteMedium(const std::string& folder, const MediumFiles& medium) {
    WriteBytes(folder + "/Index.xml", Latin1Bytes(IndexText(medium.tables)));
    for (const auto& [name, bytes] : medium.files) WriteBytes(folder + "/" + name, bytes);
    const std::string dtd = folder + "/" + kGdpduDtdName;
    std::filesystem::copy_file(PublishedDtd(), dtd,
                               std::filesystem::copy_options::overwrite_existing);
    // The published file may be read-only; a test changes its copy.
    std::filesystem::permissions(dtd, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

std::string VariableTable(const std::string& url, const std::string& name,
                          const std::string& layout, const std::string& before) {
    return "<Table>\r\n<URL>" + url + "</URL>\r\n<Name>" + name + "</Name>\r\n" + before +
           "<VariableLength>\r\n" + layout + "</VariableLength>\r\n</Table>\r\n";
}

std::string Column(const std::string& name, const std::string& type, bool key) {
    const std::string tag = key ? "VariablePrimaryKey" : "VariableColumn";
    return "<" + tag + "><Name>" + name + "</Name>" + type + "</" + tag + ">\r\n";
}

std::string ForeignKey(const std::string& columns, const std::string& references) {
    std::string names;
    size_t start = 0;
    for (size_t comma; (comma = columns.find(',', start)) != std::string::npos; start = comma + 1)
        names += "<Name>" + columns.substr(start, comma - start) + "</Name>";
    names += "<Name>" + columns.substr(start) + "</Name>";
    return "<ForeignKey>" + names + "<References>" + references + "</References></ForeignKey>\r\n";
}

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
