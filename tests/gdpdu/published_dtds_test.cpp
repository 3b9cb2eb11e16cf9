// The published DTDs the project carries are the standard's own, byte for byte, and the build
// tree holds them where an installation does.

#include "medium/published_dtds.h"

#include <gtest/gtest.h>

#include "medium/hash_list.h"
#include "support/test_support.h"

namespace norvik::test {
namespace {

std::string Sum(const std::string& path) {
    Sha256 sha;
    sha.Update(ReadBytes(path));
    return sha.HexDigest();
}

TEST(PublishedDtds, AreThePublishedBytesAndAreFoundBesideTheProgram) {
    const struct {
        const char* name;
        const char* sha256;
    } dtds[] = {
        {"gdpdu-01-08-2002.dtd",
         "d64ddffe5e59ed3c663020b4e584c19169359636572affe8771b2ec3297559de"},
        {"gdpdu-01-09-2004.dtd",
         "40e733e866f375c07efba3fafdc0765512562b1db6f86d85309527a3f77a6dc5"},
    };
    for (const auto& dtd : dtds) {
        SCOPED_TRACE(dtd.name);
        EXPECT_EQ(Sum(std::string(NORVIK_SOURCE_DIR) + "/data/gdpdu/" + dtd.name), dtd.sha256);
        const std::filesystem::path found = FindPublishedDtd(dtd.name);
        EXPECT_EQ(found.parent_path(), PublishedDtdFolders().front());
        EXPECT_EQ(found.parent_path().parent_path().filename(), "norvik-export");
        EXPECT_EQ(Sum(found.string()), dtd.sha256);
    }
    EXPECT_EQ(FindPublishedDtd("gdpdu-2099.dtd"), std::filesystem::path());
}

}  // namespace
}  // namespace norvik::test
