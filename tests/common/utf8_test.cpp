#include "common/utf8.h"

#include <gtest/gtest.h>

#include "common/cp1252_case.h"
#include "common/text_codec.h"

namespace norvik {
namespace {

TEST(Utf8, DecodesCharactersAndTakesMalformedSequencesByteByByte) {
    struct Case {
        const char* text;
        char32_t codePoint;
        size_t length;
        bool malformed;
    };
    const Case cases[] = {
        {"A", U'A', 1, false},
        {"\xC3\xA4", U'ä', 2, false},
        {"\xE2\x82\xAC", U'€', 3, false},
        {"\xF0\x9F\x98\x80", 0x1F600, 4, false},
        {"\x80x", 0xFFFD, 1, true},             // continuation byte without a lead
        {"\xC3", 0xFFFD, 1, true},              // cut off at the end
        {"\xC3x", 0xFFFD, 1, true},             // lead without its continuation
        {"\xC0\x80", 0xFFFD, 1, true},          // overlong NUL
        {"\xE0\x80\xAF", 0xFFFD, 1, true},      // overlong "/"
        {"\xED\xA0\x80", 0xFFFD, 1, true},      // surrogate
        {"\xF4\x90\x80\x80", 0xFFFD, 1, true},  // above U+10FFFF
        {"\xF5\x80\x80\x80", 0xFFFD, 1, true},  // no lead byte at all
        {"\xE2\x82", 0xFFFD, 1, true},          // three-byte form cut off
    };
    for (const Case& c : cases) {
        const Utf8Char got = DecodeUtf8(c.text, 0);
        EXPECT_EQ(got.codePoint, c.codePoint) << c.text;
        EXPECT_EQ(got.length, c.length) << c.text;
        EXPECT_EQ(got.malformed, c.malformed) << c.text;
    }
}

TEST(Utf8, CountsAndCutsByCharactersWithStrayBytesAsOne) {
    EXPECT_EQ(CharCount("Gr\xC3\xB6\xC3\x9F"
                        "e"),
              5u);
    EXPECT_EQ(CharCount("a\xE2\x82"
                        "b"),
              4u);  // a cut-off sequence counts byte by byte
    EXPECT_EQ(LeftChars("\xE2\x82\xAC"
                        "12",
                        1),
              "\xE2\x82\xAC");
    EXPECT_EQ(RightChars("x\xC3"
                         "ab",
                         3),
              "\xC3"
              "ab");
    EXPECT_EQ(ByteOffsetOfChar("\xC3\xA4\xC3\xB6", 1), 2u);
    EXPECT_EQ(ByteOffsetOfChar("ab", 7), 2u);
}

TEST(Utf8, AppendsEachEncodedLength) {
    for (const char32_t c : {U'A', U'ä', U'€', char32_t{0x1F600}}) {
        std::string text;
        AppendUtf8(text, c);
        const Utf8Char back = DecodeUtf8(text, 0);
        EXPECT_EQ(back.codePoint, c);
        EXPECT_EQ(back.length, text.size());
    }
}

TEST(LetterCase, MapsTheWindows1252LettersAndKeepsStrayBytes) {
    EXPECT_EQ(UpperCase("\xC5\xA1\xC5\xBE\xC5\x93\xC3\xBF"), "\xC5\xA0\xC5\xBD\xC5\x92\xC5\xB8");
    EXPECT_EQ(LowerCase("\xC3\x89T\xC3\x89 \xC3\x97"), "\xC3\xA9t\xC3\xA9 \xC3\x97");  // × stays
    EXPECT_EQ(UpperCase("a\xFF"
                        "b"),
              "A\xFF"
              "B");
    EXPECT_TRUE(EqualsIgnoreCase("\xC5\xA0koda", "\xC5\xA1KODA"));
    EXPECT_TRUE(EqualsIgnoreCase("x\xFF", "X\xFF"));
    EXPECT_FALSE(EqualsIgnoreCase("x\xFF", "x\xFE"));
    EXPECT_FALSE(EqualsIgnoreCase("\xEF", "\xEF\xBF\xBD"));  // a stray byte is no U+FFFD
}

// The code page converts eight ASCII bytes a step: a character beyond ASCII is written the same
// wherever it stands among them, at the end of a step, in the rest or alone.
TEST(Windows1252, WritesACharacterTheSameWhereverItStands) {
    const std::pair<std::string, std::string> kCharacters[] = {
        {"\xC3\xBC", "\xFC"},      // ü
        {"\xE2\x82\xAC", "\x80"},  // €
        {"\xE2\x80\x9E", "\x84"},  // „
        {"x", "x"},
        {"\xF0\x9F\x98\x80", "?"},  // 😀, which the code page lacks
        {"\xC3", "?"}};             // a stray lead byte
    for (const auto& [utf8, cp1252] : kCharacters)
        for (size_t length = 0; length <= 20; ++length)
            for (size_t at = 0; at <= length; ++at) {
                const std::string before(at, 'a'), after(length - at, 'b');
                std::string out = "vorher";
                const size_t replaced = AppendCp1252(out, before + utf8 + after);
                ASSERT_EQ(out, "vorher" + before + cp1252 + after) << length << " " << at;
                ASSERT_EQ(replaced, cp1252 == "?" ? 1u : 0u);
            }
}

}  // namespace
}  // namespace norvik
