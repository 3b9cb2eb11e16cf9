// The medium's text functions and the check's readers on the cases of cases/functions.tsv: the
// function, its arguments and what it must give.

#include <gtest/gtest.h>

#include <sstream>

#include "check/contained_file.h"
#include "check/date_format.h"
#include "check/field_splitter.h"
#include "check/key_set.h"
#include "check/medium_finding.h"
#include "check/medium_totals.h"
#include "check/number_check.h"
#include "check/record_reader.h"
#include "gdpdu/gdpdu_text.h"
#include "gdpdu/value_forms.h"
#include "gdpdu/xml_text.h"
#include "medium/windows_file_name.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

const char* const kDateChecks[] = {"Ok", "WrongForm", "Impossible"};
const char* const kNumberChecks[] = {"Ok", "NotANumber", "TooManyDecimals", "Grouping"};
const DateTime kVon{2020, 1, 1, 0, 0, 0}, kBis{2020, 12, 31, 0, 0, 0};

// Every record of the bytes as "text|end", the end as CRLF, LF, CR, D (delimiter) or EOF; an
// overlong record by its length.
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
        out += (reader.Overlong() ? "<" + std::to_string(reader.Overlong()) + ">"
                                  : std::string(record)) +
               "|" + names[static_cast<int>(end)] + "\n";
    }
    EXPECT_FALSE(reader.Failed());
    return out;
}

std::string Split(const std::string& delimiter, const std::string& encapsulator,
                  const std::string& record) {
    VariableSplitter splitter(delimiter, encapsulator);
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

// What the function of a case gives, as the table writes it.
std::string Result(const test::CaseRow& c) {
    const std::string& f = c[0];
    if (f == "WindowsFileNameProblem") return WindowsFileNameProblem(c[1]);
    if (f == "FixedDecimals") {
        const auto decimals = FixedDecimals(CompiledFormat::Parse(c[1]));
        return decimals ? std::to_string(*decimals) : "-";
    }
    TQField field;
    field.Format = c[1];
    if (f == "NumberAccuracy")
        return std::to_string(NumberAccuracy(field, WrittenField{std::stoi(c[2]), false}));
    if (f == "DateFormatOf") {
        // Datumstrenner, Zeittrenner, Datumserkenner (\x01 for none) and Texterkenner.
        TQExportDef def;
        def.Datumstrenner = c[2].substr(0, 1);
        def.Zeittrenner = c[2].substr(1, 1);
        def.Datumserkenner = c[2][2] == '\x01' ? "" : c[2].substr(2, 1);
        def.Texterkenner = c[2].substr(3, 1);
        field.FeldTyp = "D";
        return DateFormatOf(field, def, WrittenField{0, c[3] == "1"}, c[4] == "1");
    }
    if (f == "ParseDateFormat") {
        std::string unknown;
        const bool usable = ParseDateFormat(c[1], &unknown).has_value();
        return (usable ? "1|" : "0|") + unknown;
    }
    if (f == "CheckDate") {
        std::string key;
        const DateCheck check = CheckDate(c[2], *ParseDateFormat(c[1]), 30, &key);
        return kDateChecks[static_cast<int>(check)] + ("|" + key);
    }
    if (f == "CheckNumber") {
        // The accuracy with "i" when the decimals stand without a symbol.
        NumberFormat format;
        format.decimalSymbol = c[1];
        format.groupingSymbol = c[2];
        format.accuracy = std::stoi(c[3]);
        format.implied = c[3].ends_with('i');
        std::string key;
        const NumberCheck check = CheckNumber(c[4], format, nullptr, &key);
        return kNumberChecks[static_cast<int>(check)] + ("|" + key);
    }
    if (f == "CaptionFromFileName") return CaptionFromFileName(c[1]);
    if (f == "FileNameOnly") return FileNameOnly(c[1]);
    // The period's dates from cases of YYYY-MM-DD HH:MM:SS, "-" the zero date.
    const auto date = [](const std::string& t) {
        return t == "-" ? DateTime{} : std::get<DateTime>(test::CaseValue("date", t));
    };
    if (f == "SQLDate") return SQLDate(date(c[1]));
    if (f == "ReplaceSQLVars") return ReplaceSQLVars(c[1], date(c[2]), kBis);
    if (f == "ReplaceDescVars" && c.fields.size() > 4)
        return ReplaceDescVars(c[1], c[2], date(c[3]), kBis);
    if (f == "ReplaceDescVars") return ReplaceDescVars(c[1], c[2], kVon, kBis);
    if (f == "AppendXmlValue") {
        std::string out = "<";
        AppendXmlValue(out, c[1]);
        return out.substr(1);
    }
    if (f == "Latin1Bytes") return Latin1Bytes(c[1]);
    if (f == "Records")
        return Records(test::Repeated(c[1]), c[2], std::stoul(c[3]), std::stoull(c[4]));
    if (f == "Split") return Split(c[1], c[2], c[3]);
    if (f == "SummaryLine") {
        std::vector<MediumFinding> findings;
        std::istringstream words(c[1]);
        for (std::string w; words >> w;) {
            findings.emplace_back().count = std::stoull(w.substr(1));
            findings.back().severity =
                w[0] == 'E' ? FindingSeverity::Error : FindingSeverity::Warning;
        }
        return SummaryLine(findings) + (HasErrors(findings) ? "|errors" : "");
    }
    if (f == "Cut") {
        // Columns as "FROM,LENGTH …", in characters when the third field is 1.
        std::vector<std::pair<size_t, size_t>> columns;
        std::istringstream spec(c[1]);
        for (size_t from, length; spec >> from && spec.ignore() && spec >> length;)
            columns.emplace_back(from, length);
        std::vector<std::string_view> fields;
        const size_t used = FixedCutter(columns, c[2] == "1").Cut(c[3], fields);
        std::string out;
        for (std::string_view field : fields) out += "[" + std::string(field) + "]";
        return out + std::to_string(used);
    }
    if (f == "CompositeKey") {
        // Two keys of parts separated by "|": whether their hashes are the same.
        const auto hash = [](const std::string& parts) {
            CompositeKey key;
            std::istringstream in(parts);
            for (std::string part; std::getline(in, part, '|');) key.Add(part);
            if (parts.ends_with('|')) key.Add("");
            return key.Hash();
        };
        return hash(c[1]) == hash(c[2]) ? "same" : "other";
    }
    if (f == "DecimalSum") {
        DecimalSum sum(std::stoi(c[1])), second(std::stoi(c[1]));
        DecimalSum* to = &sum;
        std::istringstream numbers(test::Repeated(c[2]));
        for (std::string n; numbers >> n;) {
            if (n == "|")
                to = &second;
            else
                to->Add(n);
        }
        sum.Add(second);
        return sum.Text(c[3], c[4]);
    }
    ADD_FAILURE() << c.where << ": no function " << f;
    return "";
}

TEST(GdpduFunctions, GiveWhatTheTableSays) {
    for (const test::CaseRow& c : test::ReadCases("gdpdu/cases/functions.tsv"))
        EXPECT_TRUE(Result(c) == test::Repeated(c.fields.back())) << c.where;
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
// Zero marks a free slot, yet a key whose hash is zero is kept; growth to 256 Ki slots is the
// case medium keys-after-growth.
TEST(KeyHashSet, KeepsAKeyOfHashZero) {
    KeyHashSet keys;
    EXPECT_TRUE(keys.Insert(0));
    EXPECT_TRUE(keys.Contains(0));
    EXPECT_FALSE(keys.Insert(0));
    EXPECT_EQ(keys.Size(), 1u);
}

}  // namespace
}  // namespace norvik
