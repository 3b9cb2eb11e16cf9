#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/contained_file.h"
#include "check/field_splitter.h"
#include "check/key_set.h"
#include "check/record_reader.h"
#include "support/test_support.h"

namespace norvik {
namespace {

// Every record of the bytes as "text|end", the end as CRLF, LF, CR, D (delimiter) or EOF.
std::string Records(const std::string& bytes, const std::string& delimiter, size_t length = 0,
                    uint64_t skip = 0) {
    test::TempDir dir;
    test::WriteBytes(dir.file("data"), bytes);
    RecordReader reader(delimiter, length);
    std::string error;
    EXPECT_TRUE(reader.Open(OpenContained({}, dir.file("data")).handle, skip, error)) << error;
    std::string out;
    std::string_view record;
    RecordEnd end;
    while (reader.Next(record, end)) {
        const char* names[] = {"D", "CRLF", "LF", "CR", "EOF"};
        // An overlong record by its length.
        out += (reader.Overlong() ? "<" + std::to_string(reader.Overlong()) + ">"
                                  : std::string(record)) +
               "|" + names[static_cast<int>(end)] + "\n";
    }
    EXPECT_FALSE(reader.Failed());
    return out;
}

TEST(RecordReader, RecordsEndAsTheFileEndsThem) {
    struct Case {
        std::string bytes;
        std::string delimiter;
        size_t length;
        uint64_t skip;
        std::string records;
    };
    const Case cases[] = {
        {"a;b\r\nc\r\n", "\r\n", 0, 0, "a;b|CRLF\nc|CRLF\n"},
        {"a\nb\rc\r\nd", "\r\n", 0, 0, "a|LF\nb|CR\nc|CRLF\nd|EOF\n"},
        {"a\r\n\r\nb\r", "\r\n", 0, 0, "a|CRLF\n|CRLF\nb|CR\n"},
        {"", "\r\n", 0, 0, ""},
        {"a#b##c", "#", 0, 0, "a|D\nb|D\n|D\nc|EOF\n"},
        {"a<>b\r\n<>c", "<>", 0, 0, "a|D\nb\r\n|D\nc|EOF\n"},
        {"0123456789ab", "\r\n", 5, 0, "01234|D\n56789|D\nab|EOF\n"},
        {"HDR:a\r\nb\r\n", "\r\n", 0, 4, "a|CRLF\nb|CRLF\n"},
        {"ab", "\r\n", 0, 10, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Records(c.bytes, c.delimiter, c.length, c.skip), c.records) << c.bytes;
}

TEST(RecordReader, ALineBreakAcrossTwoBlocksIsOneEnd) {
    // The reader's first read takes 2 MiB: the CR is its last byte, the LF the next read's first.
    const size_t firstRead = 2 * kMaxRecordBytes;
    std::string bytes;
    while (bytes.size() + 1000 < firstRead) bytes += std::string(999, 'x') + "\n";
    const std::string last(firstRead - 1 - bytes.size(), 'y');
    bytes += last + "\r\nnext\r\n";
    EXPECT_TRUE(Records(bytes, "\r\n").ends_with(last + "|CRLF\nnext|CRLF\n"));
}

TEST(RecordReader, AnOverlongRecordIsMeasuredAndReadingGoesOnAtItsEnd) {
    const size_t n = kMaxRecordBytes + 1;
    const std::string x(n, 'x'), big(3 * n, 'y');
    struct Case {
        std::string bytes, delimiter, records;
    };
    const Case cases[] = {
        {x + "\r\na\r\n", "\r\n", "<" + std::to_string(n) + ">|CRLF\na|CRLF\n"},
        {"a\n" + big, "\r\n", "a|LF\n<" + std::to_string(3 * n) + ">|EOF\n"},
        {big + "<>a", "<>", "<" + std::to_string(3 * n) + ">|D\na|EOF\n"},
        {std::string(kMaxRecordBytes, 'z') + "\r\n", "\r\n",
         std::string(kMaxRecordBytes, 'z') + "|CRLF\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Records(c.bytes, c.delimiter), c.records) << c.records.substr(0, 40);
}

std::string Split(VariableSplitter& splitter, std::string_view record) {
    std::vector<std::string_view> fields;
    const SplitOutcome outcome = splitter.Split(record, fields);
    std::string out;
    for (std::string_view f : fields) out += "[" + std::string(f) + "]";
    if (outcome.problem == SplitProblem::Unclosed)
        out += " unclosed@" + std::to_string(outcome.field);
    if (outcome.problem == SplitProblem::TextAfterClosing)
        out += " after@" + std::to_string(outcome.field);
    return out;
}

TEST(VariableSplitter, EncapsulatedTextMayHoldDelimitersAndDoubledEncapsulators) {
    struct Case {
        const char* delimiter;
        const char* encapsulator;
        const char* record;
        const char* fields;
    };
    const Case cases[] = {
        {";", "\"", "1;\"a\";2,5", "[1][a][2,5]"},
        {";", "\"", "", "[]"},
        {";", "\"", "1;;", "[1][][]"},
        {";", "\"", "\"a;b\";c", "[a;b][c]"},
        {";", "\"", "\"say \"\"hi\"\"\";\"\"", "[say \"hi\"][]"},
        {";", "\"", "\"\"\"\"", "[\"]"},
        {";", "\"", "ab\"c;d", "[ab\"c][d]"},
        {";", "\"", "1;\"open", "[1][open] unclosed@1"},
        // An unclosed field is the rest of the record as it stands.
        {";", "\"", "1;\"a\"\"", "[1][a\"\"] unclosed@1"},
        {";", "\"", "\"a\"b;c", "[a] after@0"},
        {"|", "'", "'x|y'|'it''s'", "[x|y][it's]"},
        {"||", "\"", "a||\"b||c\"||d", "[a][b||c][d]"},
        {";", "", "\"a;b\"", "[\"a][b\"]"},
    };
    for (const Case& c : cases) {
        VariableSplitter splitter(c.delimiter, c.encapsulator);
        EXPECT_EQ(Split(splitter, c.record), c.fields) << c.record;
    }
}

TEST(VariableSplitter, FieldsOfTheLastRecordStayValidAfterUnescaping) {
    VariableSplitter splitter(";", "\"");
    std::vector<std::string_view> fields;
    const std::string record = "\"a\"\"1\";\"b\"\"2\";\"c\"\"3\"";
    splitter.Split(record, fields);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], "a\"1");
    EXPECT_EQ(fields[1], "b\"2");
    EXPECT_EQ(fields[2], "c\"3");
}

TEST(FixedCutter, CutsAtCharacterPositionsAndDropsPadding) {
    std::vector<std::string_view> fields;
    FixedCutter bytes({{0, 4}, {4, 6}, {10, 3}}, false);
    EXPECT_EQ(bytes.Cut(" 12 Kasse abc", fields), 13u);
    EXPECT_EQ(fields, (std::vector<std::string_view>{"12", "Kasse", "abc"}));
    EXPECT_EQ(bytes.Cut("1234Bank", fields), 8u);
    EXPECT_EQ(fields, (std::vector<std::string_view>{"1234", "Bank", ""}));
    // "ü" is two bytes and one character.
    FixedCutter utf8({{0, 3}, {3, 2}}, true);
    EXPECT_EQ(utf8.Cut("M\xC3\xBCn42", fields), 5u);
    EXPECT_EQ(fields, (std::vector<std::string_view>{"M\xC3\xBCn", "42"}));
}

TEST(KeyHashSet, KeepsEveryKeyOnceAcrossGrowth) {
    KeyHashSet keys;
    CompositeKey key;
    for (int i = 0; i < 100000; ++i) {
        key.Clear();
        key.Add(std::to_string(i));
        ASSERT_TRUE(keys.Insert(key.Hash())) << i;
    }
    EXPECT_EQ(keys.Size(), 100000u);
    for (int i = 0; i < 100000; i += 997) {
        key.Clear();
        key.Add(std::to_string(i));
        EXPECT_FALSE(keys.Insert(key.Hash())) << i;
        EXPECT_TRUE(keys.Contains(key.Hash())) << i;
    }
    key.Clear();
    key.Add("100000");
    EXPECT_FALSE(keys.Contains(key.Hash()));
    EXPECT_TRUE(keys.Insert(0));
    EXPECT_TRUE(keys.Contains(0));
}

TEST(CompositeKey, PartsDoNotRunIntoEachOther) {
    const auto hash = [](std::vector<std::string> parts) {
        CompositeKey key;
        for (const std::string& p : parts) key.Add(p);
        return key.Hash();
    };
    EXPECT_NE(hash({"ab", "c"}), hash({"a", "bc"}));
    EXPECT_NE(hash({"a", ""}), hash({"a"}));
    EXPECT_NE(hash({"1", "2"}), hash({"2", "1"}));
    EXPECT_EQ(hash({"1000", "2026"}), hash({"1000", "2026"}));
}

}  // namespace
}  // namespace norvik
