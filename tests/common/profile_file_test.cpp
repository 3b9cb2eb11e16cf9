#include "common/profile_file.h"

#include <gtest/gtest.h>

#include "common/text_codec.h"
#include "support/test_support.h"

namespace norvik {
namespace {

TEST(ProfileFile, ReadsWithTheWindowsSemantics) {
    // Windows-1252 with CR LF, LF and a lone CR as line ends and no line end at the end.
    const ProfileFile p = ProfileFile::Parse(
        test::ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/common/cases/windows.ini"));
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"Allgemein", "Name"}, "Erster"},    // first of duplicate keys wins
        {{"ALLGEMEIN", "feldlänge"}, "Fix"},  // case ignored, umlaut too; blanks trimmed
        {{"Allgemein", "FELDLÄNGE"}, "Fix"},
        {{"Allgemein", "Leer"}, ""},  // present but empty: "", not the default
        {{"Allgemein", "Zitat"}, "mit Anführung"},
        {{"Allgemein", "Einzel"}, "einfach"},
        {{"Allgemein", "Anfuehrung"}, "\""},   // a lone quote stays
        {{"Allgemein", "Halb"}, "\"A\";\"B"},  // not enclosed: kept
        {{"Selektion", "Sel01"}, "A\";\""},
        {{"Selektion", "Letzter"}, "Wert"},      // CR alone ends a line, no final line end
        {{"Allgemein", "vorher"}, "<default>"},  // keys before any section belong to none
        {{"Allgemein", "Kommentar"}, "<default>"},
        {{"Fehlt", "Name"}, "<default>"},
    };
    for (const auto& [where, expected] : cases)
        EXPECT_EQ(p.Read(where.first, where.second, "<default>"), expected)
            << where.first << "/" << where.second;
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
