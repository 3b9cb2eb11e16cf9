#include "engine/field_formatter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/ascii.h"
#include "common/vb_convert.h"
#include "common/vb_error.h"
#include "engine/export_sql.h"
#include "engine/field_text.h"
#include "engine/record_criteria.h"
#include "support/cases.h"

namespace norvik {
namespace {

// What the function of a case gives, as the table writes it.
std::string Result(const test::CaseRow& c) {
    if (c[0] == "BuildExportSql") {
        try {
            return BuildExportSql(c[1], c[2]);
        } catch (const VbError&) {
            return "refused";
        }
    }
    if (c[0] == "CriterionHolds") {
        std::string holds;
        for (const char* op : {"=", "<>", "<", "<=", ">", ">="})
            holds += CriterionHolds(test::CaseValue(c[1], c[2]), op, c[3]) ? '1' : '0';
        return holds;
    }
    if (c[0] != "Append") {
        ADD_FAILURE() << c.where << ": no function " << c[0];
        return "";
    }
    TQExportDef def;
    def.Feldtrenner = ";";
    def.Ersatzzeichen = "'";
    def.Datumserkenner = "#";
    def.FeldLänge = c[8];
    def.Dezimaltrenner = c[9];
    def.Dateiformat = c[10];
    def.Texterkenner = c[11];
    def.Datumstrenner = c[12];
    def.Zeittrenner = c[13];
    TQField field;
    field.FeldArt = c[2];
    field.FeldTyp = c[3];
    field.Format = c[4];
    field.Länge = std::stoi(c[5]);
    field.Name = c[6];
    FieldFormatter formatter;
    std::string line = "vorher;";
    formatter.Append(field, def, c[7], line);
    return line.substr(7);
}

// The cases of cases/functions.tsv: raw values turned into qualified text, numbers read, record
// criteria and the statements of runs.
TEST(FieldFormatter, GivesWhatTheTableSays) {
    for (const test::CaseRow& c : test::ReadCases("engine/cases/functions.tsv")) {
        if (c[0] == "NormalizeNumber")
            EXPECT_DOUBLE_EQ(NormalizeNumber(std::string_view(c[1])), std::stod(c[2])) << c.where;
        else
            EXPECT_EQ(Result(c), c.fields.back()) << c.where << " " << c[1];
    }
}

// Values a field writes as they are skip the steps of Finish; they must come out as Finish writes
// them, with the same form.
TEST(FieldFormatter, DirectValuesAreWrittenAsFinishWritesThem) {
    std::vector<Value> values;
    std::vector<test::CaseRow> settings;
    for (const test::CaseRow& c : test::ReadCases("engine/cases/direct_values.tsv")) {
        if (c[0] == "settings")
            settings.push_back(c);
        else
            values.push_back(test::CaseValue(c[0], c[1]));
    }
    int direct = 0;
    for (const test::CaseRow& s : settings) {
        TQExportDef def;
        def.Feldtrenner = ";";
        def.Texterkenner = s[1];
        def.Datumserkenner = s[2];
        def.Datumstrenner = s[3];
        def.Zeittrenner = s[4];
        def.Dezimaltrenner = s[5];
        def.Ersatzzeichen = "'";
        def.Dateiformat = "ANSI";
        def.FeldLänge = "Variabel";
        for (const char* typ : {"N", "T", "V", "D"}) {
            TQField field;
            field.FeldArt = "Field";
            field.FeldTyp = typ;
            // A data medium's foreign key writes no value as nothing.
            for (const bool key : {false, true})
                for (const Value& value : values) {
                    if (key && *typ != 'N') continue;
                    FieldFormatter formatter;
                    formatter.Prepare(def);
                    FieldFormatter::FieldPlan plan = formatter.Plan(field);
                    plan.emptyStaysEmpty = key;
                    EncodedBuffer line;
                    line.SetUtf8(true);
                    line.AppendText("vorher;");
                    WrittenField form;
                    if (!formatter.AppendDirect(plan, value, line, form)) continue;
                    std::string viaFinish = "vorher;";
                    // As a run hands a double to a number field: without an exponent.
                    if (const double* number = std::get_if<double>(&value); number && *typ == 'N')
                        AppendPlainDouble(formatter.Raw(), *number);
                    else
                        AppendText(formatter.Raw(), value);
                    formatter.Finish(plan, field, viaFinish);
                    ++direct;
                    SCOPED_TRACE(s.where + " " + typ + (key ? " key " : " ") + ToText(value));
                    EXPECT_EQ(line.View(), viaFinish);
                    EXPECT_EQ(form.decimals, formatter.LastForm().decimals);
                    EXPECT_EQ(form.withTime, formatter.LastForm().withTime);
                }
        }
    }
    EXPECT_GE(direct, 200);
}

// A number text keeps every digit and gets no exponent; up to 15 digits it is what the way through
// a double writes. Between 1E-4 and 1E15 a double has no exponent anyway: its plain text is its
// text.
TEST(FieldText, PlainNumbersKeepTheirDigits) {
    std::vector<std::pair<std::string, std::string>> texts;
    for (const test::CaseRow& c : test::ReadCases("engine/cases/plain_numbers.tsv"))
        texts.emplace_back(c[1], c.fields.size() > 2 ? c[2] : "");
    EXPECT_DOUBLE_EQ(NormalizeNumber(Value(Null{})), 0);
    std::string written;  // a text's letters go, its digits all stay
    AppendNormalizedNumber(std::string(70, '9') + "E+3", written);
    EXPECT_EQ(written, std::string(70, '9') + "3");
    uint64_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double random = static_cast<double>(state >> 11) / static_cast<double>(1ULL << 53) *
                              std::pow(10.0, static_cast<int>(state % 19) - 4) *
                              ((state >> 7) & 1 ? -1 : 1);
        // Whole hundredths, as amounts are, take a quicker way to the same text.
        const double cents = static_cast<double>(static_cast<int64_t>(state >> 17) % 200000000000 *
                                                 ((state >> 7) & 1 ? -1 : 1)) /
                             100;
        for (const double number : {random, cents}) {
            std::string plain;
            AppendPlainDouble(plain, number);
            if (DoubleToText(number).find('E') == std::string::npos) {
                EXPECT_EQ(plain, DoubleToText(number)) << number;
            }
        }
        const int digits = static_cast<int>(state >> 60) + 1;
        std::string text = (state >> 59) & 1 ? "-" : "";
        for (int d = 0; d < digits; ++d)
            text.push_back(static_cast<char>('0' + ((state >> (d * 3)) % 10)));
        const int comma = static_cast<int>((state >> 40) % static_cast<uint64_t>(digits + 2));
        if (comma < digits) text.insert(text.size() - static_cast<size_t>(comma), ",");
        texts.emplace_back(text, "");
    }
    for (const auto& [text, expected] : texts) {
        std::string fast;
        AppendNormalizedNumber(text, fast);
        const double value = NormalizeNumber(std::string_view(text));
        EXPECT_EQ(fast.find('E'), std::string::npos) << text;
        EXPECT_DOUBLE_EQ(NormalizeNumber(std::string_view(fast)), value) << text;
        std::string viaDouble;
        AppendPlainDouble(viaDouble, value);
        if (!expected.empty()) {
            EXPECT_EQ(fast, expected) << text;
        } else if (std::count_if(text.begin(), text.end(), IsAsciiDigit) <= 15) {
            EXPECT_EQ(fast, viaDouble) << text;
        }
    }
}

}  // namespace
}  // namespace norvik
