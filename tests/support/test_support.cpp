#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/text_codec.h"

namespace norvik::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "norvik-test.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may take permissions away; give them back so the folder can go.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string DefinitionBytes(const std::string& utf8WithLf) {
    std::string crlf;
    for (char c : utf8WithLf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return Utf8ToCp1252(crlf);
}

std::string PublishedDtd() {
    return std::string(NORVIK_SOURCE_DIR) + "/data/gdpdu/gdpdu-01-08-2002.dtd";
}

}  // namespace norvik::test
