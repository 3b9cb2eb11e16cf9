#include "medium_writer.h"

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

}  // namespace norvik::test
