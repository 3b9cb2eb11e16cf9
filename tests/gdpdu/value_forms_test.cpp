#include "gdpdu/value_forms.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

TEST(ValueForms, FormatsThatFixTheirDecimals) {
    const std::vector<std::pair<std::string, std::optional<int32_t>>> cases = {
        {"0.00", 2},
        {"#,##0.00", 2},
        {"0", 0},
        {"#,##0", 0},
        {"Standard", 2},
        {"Fixed", 2},
        {"0.00;0.00", 2},
        {"0.00;-0.00;", 2},       // an empty zero section leaves zero to the first
        {"0.0##", std::nullopt},  // one to three
        {"0.00;0.0", std::nullopt},
        {"0.00;-0.00;0", std::nullopt},
        {"0.00E+00", std::nullopt},
        {"General Number", std::nullopt},
        {"Yes/No", std::nullopt},
        {"dd.mm.yyyy", std::nullopt},
        {"@@@", std::nullopt},
    };
    for (const auto& [format, decimals] : cases)
        EXPECT_EQ(FixedDecimals(CompiledFormat::Parse(format)), decimals) << format;
}

TEST(ValueForms, AccuracyIsTheFormatsOrTheMostWritten) {
    struct Case {
        std::string format;
        int32_t written;
        int32_t accuracy;
    };
    const std::vector<Case> cases = {
        {"", 0, 0}, {"", 3, 3}, {"0.00", 0, 2}, {"0.00", 2, 2}, {"0.0##", 1, 1}, {"0.0##", 3, 3},
    };
    for (const Case& c : cases) {
        TQField field;
        field.FeldTyp = "N";
        field.Format = c.format;
        EXPECT_EQ(NumberAccuracy(field, WrittenField{c.written, false}), c.accuracy)
            << c.format << " " << c.written;
    }
}

TEST(ValueForms, DateFormatsAsTheRunWritesThem) {
    struct Case {
        std::string format;       // the field's Format
        std::string separators;   // Datumstrenner, Zeittrenner, Datumserkenner, Texterkenner
        bool withTime;            // values with a time were written
        bool variableLength;      // the file is split by separators
        std::string indexFormat;  // empty: the standard's DD.MM.YYYY
    };
    const std::vector<Case> cases = {
        {"", ".:\x01\"", false, true, ""},
        {"", ".:\x01\"", true, true, "DD.MM.YYYY hh:mm:ss"},
        {"", "-.#\"", false, true, "#DD-MM-YYYY#"},
        {"", "-.#\"", true, true, "#DD-MM-YYYY hh.mm.ss#"},
        {"", ".:\"\"", false, true, ""},                 // taken off as the text encapsulator
        {"", ".:\"\"", false, false, "\"DD.MM.YYYY\""},  // fixed places keep it
        {"", "/:\x01\"", false, true, "DD/MM/YYYY"},
        {"yyyymmdd", ".:\x01\"", false, true, "YYYYMMDD"},
        {"yyyy-mm-dd", ".:\x01\"", false, true, "YYYY-MM-DD"},
        {"dd.mm.yy hh:nn", "-.\x01\"", false, true, "DD-MM-YY hh.mm"},
        {"dd/mm/yyyy", ".:\x01\"", false, true, ""},
        {"ddddd ttttt", ".:\x01\"", false, true, "DD.MM.YYYY hh:mm:ss"},
        {"c", ".:\x01\"", true, true, "DD.MM.YYYY hh:mm:ss"},
        {"\"Tag \"dd", ".:\x01\"", false, true, "Tag DD"},
        // Codes the index has no placeholder for come back as written, for the check to name.
        {"d.m.yyyy", ".:\x01\"", false, true, "d.m.yyyy"},
        {"dd. mmmm yyyy", ".:\x01\"", false, true, "dd. mmmm yyyy"},
        {"hh:nn AM/PM", ".:\x01\"", false, true, "hh:nn AM/PM"},
        {"0.00", ".:\x01\"", false, true, "0.00"},
    };
    for (const Case& c : cases) {
        TQExportDef def;
        def.Datumstrenner = c.separators.substr(0, 1);
        def.Zeittrenner = c.separators.substr(1, 1);
        def.Datumserkenner = c.separators[2] == '\x01' ? "" : c.separators.substr(2, 1);
        def.Texterkenner = c.separators.substr(3, 1);
        TQField field;
        field.FeldTyp = "D";
        field.Format = c.format;
        EXPECT_EQ(DateFormatOf(field, def, WrittenField{0, c.withTime}, c.variableLength),
                  c.indexFormat)
            << c.format << " " << c.separators;
    }
}

}  // namespace
}  // namespace norvik
