#include "definition/exp_fields.h"

#include <gtest/gtest.h>

#include "common/profile_file.h"
#include "common/text_codec.h"
#include "common/text_helpers.h"

namespace norvik {
namespace {

TEST(ExpFields, ReadLinesWithoutDoubledQuotesExactlyAsGetField) {
    // Lines the old writer wrote or people typed: every field as GetField gives it.
    const char* const lines[] = {
        "Kunde,T,\"#,##0.00\",12,pk,Kunden,\"A;Alt\",Info",
        "007,N,,1.6",
        "\"\",T,,0,,,,",
        "a\"b,c\"d,e",
        "\"x\"y,z",
        "\"unclosed,a,b",
        "  5 ,x, 2,5 ",
        "\"Köln\",Bonn,-0,+5,1E3,5d",
        ",,,",
        "\"Kunde\";\"Kunden.Nr\";64;12;\"Kundenauskunft\";\"\";\"\"",
        "\"Zahl\";007;2,5;3,5;\"\";\"\";\"\"",
        "\"Ohne\"x;y\"",
        "",
    };
    for (const char* line : lines) {
        for (const char separator : {',', ';'}) {
            const std::vector<std::string> fields = SplitExpFields(line, separator);
            for (size_t i = 1; i <= 9; ++i)
                EXPECT_EQ(ExpField(fields, i),
                          GetField(static_cast<int32_t>(i), line, std::string(1, separator), "\""))
                    << line << " field " << i << " by '" << separator << "'";
        }
    }
}

TEST(ExpFields, DoubledQuoteInsideQuotesIsOneQuote) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"a\"\"b\"", "a\"b"},
        {"\"\"\"\"", "\""},
        {"\"\"\"EUR \"\"#,##0.00\"", "\"EUR \"#,##0.00"},
        {"\"\"", ""},
        {"\"a\"\"\"", "a\""},
        {"\"say \"hi\"\"", "say hi"},  // a quote before a letter still closes, as it always did
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ExpField(SplitExpFields(text, ','), 1), expected) << text;
}

TEST(ExpFields, WrittenFieldsAreBareOnlyWhereThatReadsTheSame) {
    const std::pair<const char*, const char*> cases[] = {
        {"Kunde", "Kunde"},
        {"", ""},
        {"7", "7"},
        {"-3", "-3"},
        {"Bestand;Bestandskonto", "Bestand;Bestandskonto"},
        {"Müller", "Müller"},
        {"01", "\"01\""},
        {"0012.50", "\"0012.50\""},
        {"1.5", "\"1.5\""},
        {"1,5", "\"1,5\""},
        {"1E3", "\"1E3\""},
        {" a", "\" a\""},
        {"a\t", "\"a\t\""},
        {"a\"b", "\"a\"\"b\""},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(ExpFieldText(value, ','), text) << value;
    EXPECT_EQ(QuotedExpField("\"EUR \"0"), "\"\"\"EUR \"\"0\"");
}

TEST(ExpFields, ProfileValuesReadBackUnchanged) {
    const std::pair<const char*, const char*> cases[] = {
        {";", ";"},           {"\"", "\""},         {"'", "'"},       {"", ""},
        {"a\tb", "\"a\tb\""}, {"\t", "\"\t\""},     {" x", "\" x\""}, {"\"x\"", "\"\"x\"\""},
        {"'x'", "\"'x'\""},   {"\"\"", "\"\"\"\""}, {"\"a'", "\"a'"}, {"Größe ÿ", "Größe ÿ"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(ProfileValueText(value), text) << value;
        const ProfileFile p =
            ProfileFile::Parse(Utf8ToCp1252(std::string("[Allgemein]\r\nWert=") + text + "\r\n"));
        EXPECT_EQ(p.Read("Allgemein", "Wert", "<fehlt>"), value);
    }
}

}  // namespace
}  // namespace norvik
