#include "engine/field_formatter.h"

#include <gtest/gtest.h>

#include "common/vb_convert.h"
#include "engine/export_sql.h"
#include "engine/field_text.h"

namespace norvik {
namespace {

struct FormatCase {
    const char* name;
    const char* art;
    const char* typ;
    const char* format;
    int32_t length;
    const char* raw;
    const char* expected;
    // Definition values that differ from the reader's defaults.
    const char* feldLaenge = "Variabel";
    const char* dezimal = ",";
    const char* dateiformat = "ANSI";
    const char* texterkenner = "\"";
    const char* datumstrenner = ".";
    const char* zeittrenner = ":";
};

TEST(FieldFormatter, TurnsRawValuesIntoQualifiedText) {
    const FormatCase cases[] = {
        {"thousands point dropped", "Field", "N", "", 0, "1.234,56", "1234.56", "Variabel", "."},
        {"format then decimal point", "Field", "N", "#,##0.00", 0, "1234,5", "1,234.50", "Variabel",
         "."},
        {"German separator kept", "Field", "N", "#,##0.00", 0, "1234,5", "1.234,50"},
        {"empty number", "Field", "N", "", 0, "", "0"},
        {"point-written number", "Field", "N", "", 0, "1234.56", "123456"},
        {"fixed number padded", "Field", "N", "", 6, "42", "    42", "Fix"},
        {"fixed number cut left", "Field", "N", "", 6, "1234567", "234567", "Fix"},
        {"fixed text cut", "Field", "T", "", 5, "Müller", "\"Mülle\"", "Fix"},
        {"fixed text DOS", "Field", "T", "", 5, "Müller", "\"M\xC2\x81lle\"", "Fix", ",", "ASCII"},
        // Characters the DOS code page lacks never pass as other letters.
        {"DOS lacks them", "Field", "T", "", 0, "„Premium“ 5 € é", "\"?Premium? 5 ? ?\"",
         "Variabel", ",", "ASCII"},
        {"all DOS letters", "Const", "V", "", 0, "",
         "\"\xE2\x80\x9E\xE2\x80\x9D\xC2\x81\xC5\xBD\xE2\x84\xA2\xC5\xA1\xC3\xA1\"", "Variabel",
         ",", "ASCII"},
        {"qualifier replaced", "Field", "T", "", 0, "Sag \"Hallo\"", "\"Sag 'Hallo'\""},
        {"blank V unqualified", "Field", "V", "", 0, "  ", "  "},
        {"blank T qualified", "Field", "T", "", 0, "", "\"\""},
        {"date separators", "Field", "D", "", 0, "31.12.2004 13:45:00", "#31/12/2004 13-45-00#",
         "Variabel", ",", "ANSI", "\"", "/", "-"},
        {"date dash", "Field", "D", "", 0, "31.12.2004", "#31-12-2004#", "Variabel", ",", "ANSI",
         "\"", "-"},
        {"constant", "Const", "", "", 0, "ignored", "EUR"},
        {"typed constant", "Const", "T", "", 0, "", "\"EUR\""},
        {"lower-case fix is no Fix", "Field", "T", "", 2, "Müller", "\"Müller\"", "fix"},
        {"max cuts text right", "Field", "T", "", 3, "Müller", "\"Mül\"", "Max"},
        {"max cuts number left", "Field", "N", "", 3, "12345", "345", "Max"},
        {"negative length ignored", "Field", "T", "", -1, "abc", "\"abc\"", "Fix"},
        {"unknown kind is empty", "Feld", "T", "", 0, "abc", "\"\""},
        {"format on a date text", "Field", "D", "yyyymmdd", 0, "31.12.2004", "#20041231#"},
        {"format on plain text", "Field", "T", ">", 0, "müller", "\"MÜLLER\""},
        {"no Texterkenner: separator replaced", "Field", "T", "", 0, "a;b", "a'b", "Variabel", ",",
         "ANSI", ""},
        {"date separator @ with time :", "Field", "D", "", 0, "31.12.2004 13:45:00",
         "#31:12:2004 13:45:00#", "Variabel", ",", "ANSI", "\"", "@"},
        {"line break in a fixed field", "Field", "T", "", 8, "a\r\nb", "\"a  b    \"", "Fix"},
        {"line break without qualifier", "Field", "T", "", 0, "a\nb\rc", "a b c", "Variabel", ",",
         "ANSI", ""},
        {"line break in an untyped field", "Field", "X", "", 0, "a\nb", "a b"},
        {"line break inside qualifiers", "Field", "T", "", 0, "a\r\nb", "\"a\r\nb\""},
        {"line break in a date", "Field", "D", "", 0, "a\nb", "#a\nb#"},
    };
    for (const FormatCase& c : cases) {
        TQExportDef def;
        def.Feldtrenner = ";";
        def.Texterkenner = c.texterkenner;
        def.Ersatzzeichen = "'";
        def.Datumserkenner = "#";
        def.Dezimaltrenner = c.dezimal;
        def.Datumstrenner = c.datumstrenner;
        def.Zeittrenner = c.zeittrenner;
        def.Dateiformat = c.dateiformat;
        def.FeldLänge = c.feldLaenge;
        TQField field;
        field.FeldArt = c.art;
        field.FeldTyp = c.typ;
        field.Format = c.format;
        field.Länge = c.length;
        field.Name = std::string(c.name) == "all DOS letters" ? "äöüÄÖÜß" : "EUR";
        FieldFormatter formatter;
        std::string line = "vorher;";
        formatter.Append(field, def, c.raw, line);
        EXPECT_EQ(line, std::string("vorher;") + c.expected) << c.name;
    }
}

// Values a field writes as they are skip the steps of Finish; they must come out as Finish writes
// them, with the same form.
TEST(FieldFormatter, DirectValuesAreWrittenAsFinishWritesThem) {
    DateTime midnight;
    midnight.year = 2004;
    midnight.month = 12;
    midnight.day = 31;
    DateTime withTime = midnight;
    withTime.hour = 13;
    withTime.minute = 45;
    const DateTime timeOnly = [] {
        DateTime t;
        t.hour = 7;
        t.second = 5;
        return t;
    }();
    const std::vector<Value> values = {int64_t{0},
                                       int64_t{-42},
                                       int64_t{999'999'999'999'999},
                                       int64_t{-999'999'999'999'999},
                                       int64_t{1'000'000'000'000'000},
                                       std::string(),
                                       std::string("  "),
                                       std::string("Müller"),
                                       std::string("Sag \"Hallo\""),
                                       std::string("a;b"),
                                       std::string("a\r\nb"),
                                       std::string(" x "),
                                       std::string("Müllerstraße 12;x"),
                                       std::string("0123456789abcdef\n"),
                                       std::string("        "),
                                       std::string("                x"),
                                       std::string("Gutschein \"50 €\" für Köln"),
                                       midnight,
                                       withTime,
                                       timeOnly,
                                       Value{},
                                       2.5,
                                       Decimal{"12.50"},
                                       Decimal{"-0.00"},
                                       Decimal{"007.10"},
                                       Decimal{"-12345.678"},
                                       Decimal{"0.000012"},
                                       Decimal{"0.00012"},
                                       Decimal{"123456789012345.6"},
                                       Decimal{"12345678901234.5"},
                                       Decimal{"1000"},
                                       Decimal{"-0.5"},
                                       true};
    struct Settings {
        const char* texterkenner;
        const char* datumserkenner;
        const char* datumstrenner;
        const char* zeittrenner;
        const char* dezimaltrenner = ",";
    };
    int direct = 0;
    for (const Settings& settings :
         {Settings{"\"", "#", ".", ":"}, Settings{"", "", "/", ":"}, Settings{"'", "", "-", "."},
          Settings{"\"", "#", "@", ":"}, Settings{"\"", "", "", ":"},
          Settings{"\"", "#", ".", ":", "."}, Settings{"", "", ".", ":", ""},
          Settings{"", "", ".", ":", "5"}, Settings{"", "", ".", ":", "DM"}}) {
        TQExportDef def;
        def.Feldtrenner = ";";
        def.Texterkenner = settings.texterkenner;
        def.Ersatzzeichen = "'";
        def.Datumserkenner = settings.datumserkenner;
        def.Dezimaltrenner = settings.dezimaltrenner;
        def.Datumstrenner = settings.datumstrenner;
        def.Zeittrenner = settings.zeittrenner;
        def.Dateiformat = "ANSI";
        def.FeldLänge = "Variabel";
        for (const char* typ : {"N", "T", "V", "D"}) {
            TQField field;
            field.FeldArt = "Field";
            field.FeldTyp = typ;
            for (const Value& value : values) {
                FieldFormatter formatter;
                formatter.Prepare(def);
                const FieldFormatter::FieldPlan plan = formatter.Plan(field);
                EncodedBuffer line;
                line.SetUtf8(true);
                line.AppendText("vorher;");
                WrittenField form;
                if (!formatter.AppendDirect(plan, value, line, form)) continue;
                std::string viaFinish = "vorher;";
                AppendText(formatter.Raw(), value);
                formatter.Finish(plan, field, viaFinish);
                ++direct;
                SCOPED_TRACE(std::string(typ) + " " + ToText(value) + " Datumstrenner " +
                             settings.datumstrenner + " Texterkenner " + settings.texterkenner +
                             " Dezimaltrenner " + settings.dezimaltrenner);
                EXPECT_EQ(line.View(), viaFinish);
                EXPECT_EQ(form.decimals, formatter.LastForm().decimals);
                EXPECT_EQ(form.withTime, formatter.LastForm().withTime);
            }
        }
    }
    EXPECT_GE(direct, 40);
}

TEST(FieldText, NormalisesNumbers) {
    const std::pair<const char*, double> cases[] = {
        {"1.234,56", 1234.56}, {"-12,5", -12.5}, {"1234.56", 123456}, {"", 0},     {"abc", 0},
        {"12 €", 12},          {"--5", 0},       {"1-2", 1},          {",5", 0.5}, {"-", 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_DOUBLE_EQ(NormalizeNumber(std::string_view(text)), expected) << text;
    // Every character counts, however long the text.
    EXPECT_DOUBLE_EQ(
        NormalizeNumber(std::string_view(
            "1.234.567.890.123.456.789.012.345.678.901.234.567.890.123.456.789.012,5")),
        1234567890123456789012345678901234567890123456789012.5);
    EXPECT_DOUBLE_EQ(NormalizeNumber(std::string_view(std::string(200, '0') + "42,25")), 42.25);
    std::string written;
    AppendNormalizedNumber(std::string(70, '9'), written);
    EXPECT_EQ(written, DoubleToText(1e70));
    EXPECT_DOUBLE_EQ(NormalizeNumber(Value(Null{})), 0);
}

TEST(SqlText, BuildsTheStatement) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"KUNDEN", "Ort = 'Bonn'", "SELECT * FROM KUNDEN WHERE Ort = 'Bonn'"},
        {"KUNDEN", "Ort = \"Bonn\"", "SELECT * FROM KUNDEN WHERE Ort = 'Bonn'"},
        {"select * from KUNDEN;", "", "SELECT * FROM select * from KUNDEN "},
        {"SELECT a FROM t", "", "SELECT a FROM t"},
        {"SELECT a FROM t", "n = 'O\"Neil; Ltd' AND m = \"x;y\"",
         "SELECT a FROM t WHERE n = 'O\"Neil; Ltd' AND m = 'x y'"},
        {"SELECT a FROM t", "n = 'it''s; fine'", "SELECT a FROM t WHERE n = 'it''s; fine'"},
    };
    for (const auto& [source, where, expected] : cases)
        EXPECT_EQ(BuildExportSql(source, where), expected);
}

}  // namespace
}  // namespace norvik

namespace norvik {
namespace {

// The direct path for plain numbers must write what the way through a double writes.
TEST(FieldText, PlainNumbersMatchTheirDoubleText) {
    std::vector<std::string> texts = {"0",
                                      "-0",
                                      "007",
                                      "-0,000",
                                      "12,50",
                                      "-12,5",
                                      "1.234,56",
                                      "0,0001",
                                      "0,00001",
                                      "123456789012345",
                                      "1234567890123456",
                                      "99999999999999,9",
                                      "0,1234567890123456",
                                      "1,5-",
                                      "--1",
                                      "1,2,3",
                                      "",
                                      "-",
                                      ",",
                                      "12 €",
                                      "0,00012"};
    uint64_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const int digits = static_cast<int>(state >> 60) + 1;
        std::string text = (state >> 59) & 1 ? "-" : "";
        for (int d = 0; d < digits; ++d)
            text.push_back(static_cast<char>('0' + ((state >> (d * 3)) % 10)));
        const int comma = static_cast<int>((state >> 40) % static_cast<uint64_t>(digits + 2));
        if (comma < digits) text.insert(text.size() - static_cast<size_t>(comma), ",");
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        std::string fast;
        AppendNormalizedNumber(text, fast);
        EXPECT_EQ(fast, DoubleToText(NormalizeNumber(std::string_view(text)))) << text;
    }
}

}  // namespace
}  // namespace norvik
