#include "common/profile_file.h"

#include <gtest/gtest.h>

#include "common/text_codec.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

TEST(ProfileFile, ReadsWithTheWindowsSemantics) {
    const ProfileFile p = ProfileFile::Parse(
        test::ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/common/cases/windows.ini"));
    for (const test::CaseRow& c : test::ReadCases("common/cases/profile_reads.tsv"))
        EXPECT_EQ(p.Read(c[0], c[1], "<default>"), c[2]) << c.where;
    EXPECT_EQ(p.FindRaw("Selektion", "Sel01"), "\"A\";\"\"");
}

TEST(ProfileFile, MissingBinaryAndHugeFilesNeverFail) {
    test::TempDir dir;
    EXPECT_EQ(ReadProfileString(dir.file("fehlt.EXP"), "Allgemein", "Name", "d"), "d");
    EXPECT_EQ(ReadProfileString(dir.path().string(), "Allgemein", "Name", "d"), "d");  // a folder

    const char raw[] = "[Allgemein]\r\nName=A\0B\xff\x81\r\n\0\x01\x02[\x80]=\r\n";
    const std::string binary(raw, sizeof raw - 1);
    test::WriteBytes(dir.file("bin.EXP"), binary);
    EXPECT_EQ(ReadProfileString(dir.file("bin.EXP"), "Allgemein", "Name", "d"),
              std::string("A\0Bÿ\xc2\x81", 7));

    // Values are read whole, however long; quoted ones too.
    const std::string longValue(100000, 'x');
    test::WriteBytes(dir.file("lang.EXP"), "[Allgemein]\r\nName=" + longValue +
                                               "\r\nInfo=i\r\nZitat=\"" + longValue + " \"\r\n");
    EXPECT_EQ(ReadProfileString(dir.file("lang.EXP"), "Allgemein", "Name", ""), longValue);
    EXPECT_EQ(ReadProfileString(dir.file("lang.EXP"), "Allgemein", "Info", ""), "i");
    EXPECT_EQ(ReadProfileString(dir.file("lang.EXP"), "Allgemein", "Zitat", ""), longValue + " ");
}

TEST(ProfileFile, SectionsReadAgainAndSectionsLeftOut) {
    const std::string bytes =
        "[Allgemein]\r\nName=Erster\r\n[Parameter]\r\nName=Parameter\r\nJahr=2024\r\n"
        "[ALLGEMEIN]\r\nName=Zweiter\r\nInfo=spaet\r\n[Selektion]\r\nSel01=\"A\"\r\n";
    const ProfileFile all = ProfileFile::Parse(bytes);
    const ProfileFile some = ProfileFile::ParseSections(bytes, {"allgemein", "selektion"});
    for (const ProfileFile* p : {&all, &some}) {
        EXPECT_EQ(p->Read("Allgemein", "Name", "d"),
                  "Erster");  // the first of a section opened twice
        EXPECT_EQ(p->Read("allgemein", "INFO", "d"), "spaet");
        EXPECT_EQ(p->FindRaw("Selektion", "Sel01"), "\"A\"");
    }
    EXPECT_EQ(all.Read("Parameter", "Jahr", "d"), "2024");
    EXPECT_EQ(some.Read("Parameter", "Jahr", "d"), "d");
    EXPECT_EQ(some.Read("Parameter", "Name", "d"), "d");
}

TEST(TextCodec, ConvertsWindows1252BothWays) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1252(utf8), all);  // every byte survives, the unassigned ones too
    EXPECT_EQ(Cp1252ToUtf8("\x80\x84\x9a"), "€„š");

    std::string out;
    EXPECT_EQ(AppendCp1252(out, "Łódź → €"), 3u);  // Ł, ź and the arrow
    EXPECT_EQ(out,
              "?\xf3"
              "d? ? \x80");
    out.clear();
    EXPECT_EQ(AppendCp1252(out, "a\xff\xc3"), 2u);  // malformed UTF-8 is written as "?"
    EXPECT_EQ(out, "a??");
    out.clear();
    // A lead byte without its continuation, a C1 control, a no-break space.
    EXPECT_EQ(AppendCp1252(out, "\xc3(\xc2\x81\xc2\xa0\xc3\xbf"), 1u);
    EXPECT_EQ(out, "?(\x81\xa0\xff");

    // ASCII goes eight bytes a step: a character beyond it is written the same wherever it stands.
    const std::pair<std::string, std::string> kCharacters[] = {
        {"\xC3\xBC", "\xFC"}, {"\xE2\x82\xAC", "\x80"}, {"\xF0\x9F\x98\x80", "?"}, {"\xC3", "?"}};
    for (const auto& [utf8, cp1252] : kCharacters)
        for (size_t length = 0; length <= 20; ++length)
            for (size_t at = 0; at <= length; ++at) {
                const std::string before(at, 'a'), after(length - at, 'b');
                out = "vorher";
                ASSERT_EQ(AppendCp1252(out, before + utf8 + after), cp1252 == "?" ? 1u : 0u);
                ASSERT_EQ(out, "vorher" + before + cp1252 + after) << length << " " << at;
            }
}

}  // namespace
}  // namespace norvik
