// The hash list of a handover package read as sha256sum -c reads it: each line of
// cases/hash_lists.tsv is judged by the real sha256sum -c --strict and by ParseHashList with the
// files it names, and both must give the verdict of the case.

#include "medium/hash_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "packages.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

// The files beside the list, and their bytes.
const std::vector<ZipEntry> kFiles = {
    {"a", "a\n"}, {"b", "b\n"}, {"a b", "ab\n"}, {"a\\b", "q\n"}, {"a\nb", "n\n"}};

std::string SumOf(const std::string& bytes) {
    Sha256 sum;
    sum.Update(bytes);
    return sum.HexDigest();
}

// The verdict of ParseHashList: every line a sum, at least one, each naming a file in folder
// (opened as sha256sum opens it, relative to the folder) with that sum.
std::string ParsedVerdict(const std::string& text, const std::string& folder) {
    const ParsedHashList list = ParseHashList(text);
    if (!list.badLines.empty() || list.entries.empty()) return "FAILED";
    for (const HashEntry& entry : list.entries) {
        const fs::path path = fs::path(folder) / entry.name;
        std::error_code ec;
        if (entry.name.empty() || !fs::is_regular_file(path, ec)) return "FAILED";
        if (SumOf(ReadBytes(path.string())) != entry.hex) return "FAILED";
    }
    return "ok";
}

TEST(HashList, EachListGetsTheVerdictOfSha256sum) {
    TempDir dir;
    for (const ZipEntry& file : kFiles) WriteBytes(dir.file(file.name), file.bytes);
    int cases = 0;
    for (const CaseRow& c : ReadCases("gdpdu/cases/hash_lists.tsv")) {
        SCOPED_TRACE(c.where + " " + c[0]);
        ++cases;
        const std::string text = WithSums(c[1], kFiles);
        WriteBytes(dir.file("Pruefsummen.sha256"), text);
        EXPECT_EQ(Sha256sumVerdict(dir.path().string()), c[2]) << "sha256sum";
        EXPECT_EQ(ParsedVerdict(text, dir.path().string()), c[2]) << "ParseHashList";
    }
    EXPECT_GE(cases, 30);
}

// Names and sums as read, with the lines they stand on.
TEST(HashList, LinesGiveTheirNamesSumsAndNumbers) {
    const std::string a = SumOf("a\n");
    const ParsedHashList list = ParseHashList("# Liste\n" + a + "  ./a\r\nkaputt\n\n  \\" + a +
                                              " *a\\nb\nSHA256 (c d) = " + a + "\n");
    ASSERT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(list.entries[0].name, "./a");
    EXPECT_EQ(list.entries[0].hex, a);
    EXPECT_EQ(list.entries[0].line, 2u);
    EXPECT_EQ(list.entries[1].name, "a\nb");
    EXPECT_EQ(list.entries[1].line, 5u);
    EXPECT_EQ(list.entries[2].name, "c d");
    EXPECT_EQ(list.entries[2].line, 6u);
    EXPECT_EQ(list.badLines, std::vector<uint64_t>{3});
}

}  // namespace
}  // namespace norvik::test
