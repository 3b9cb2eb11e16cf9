// How the .EXP format reads and writes its fields: the cases of cases/functions.tsv (the function,
// its arguments and what it must give).

#include "definition/exp_fields.h"

#include <gtest/gtest.h>

#include "common/profile_file.h"
#include "common/text_codec.h"
#include "common/text_helpers.h"
#include "definition/exp_reader.h"
#include "support/cases.h"

namespace norvik {
namespace {

// What the function of a case gives, as the table writes it.
std::string Result(const test::CaseRow& c) {
    const std::string& f = c[0];
    if (f == "ExpField") return ExpField(SplitExpFields(c[1], ','), 1);
    if (f == "AsGetField") {
        // A line without doubled quotes: every field as GetField gives it, by ',' and by ';'.
        for (const char separator : {',', ';'})
            for (size_t i = 1; i <= 9; ++i)
                if (ExpField(SplitExpFields(c[1], separator), i) !=
                    GetField(static_cast<int32_t>(i), c[1], std::string(1, separator), "\""))
                    return "field " + std::to_string(i) + " by " + separator;
        return "same";
    }
    if (f == "ExpFieldText") return ExpFieldText(c[1], ',');
    if (f == "QuotedExpField") return QuotedExpField(c[1]);
    if (f == "ProfileValueText") {
        // What is written must read back as the value.
        const std::string text = ProfileValueText(c[1]);
        const ProfileFile p =
            ProfileFile::Parse(Utf8ToCp1252("[Allgemein]\r\nWert=" + text + "\r\n"));
        return p.Read("Allgemein", "Wert", "<fehlt>") == c[1] ? text : "reads back otherwise";
    }
    if (f == "RecordKindFromSection") return std::to_string(RecordKindFromSection(c[1]));
    if (f == "IsRecordSection") return IsRecordSection(c[1]) ? "1" : "0";
    ADD_FAILURE() << c.where << ": no function " << f;
    return "";
}

TEST(ExpFields, GiveWhatTheTableSays) {
    for (const test::CaseRow& c : test::ReadCases("definition/cases/functions.tsv"))
        EXPECT_EQ(Result(c), c.fields.back()) << c.where;
}

}  // namespace
}  // namespace norvik
