#include <gtest/gtest.h>

#include <vector>

#include "gdpdu/date_format.h"
#include "gdpdu/medium_totals.h"
#include "gdpdu/number_check.h"

namespace norvik {
namespace {

TEST(DateFormat, PlaceholdersAndSeparatorsAreParsedOthersNamed) {
    struct Case {
        const char* format;
        bool usable;
        const char* unknown;
    };
    const Case cases[] = {
        {"DD.MM.YYYY", true, ""},        {"YYYYMMDD", true, ""},
        {"DD/MM/YY hh:mm:ss", true, ""}, {"YYYY-MM-DDThh:mm", false, "T"},
        {"TT.MM.JJJJ", false, "TT"},     {"dd.mm.yyyy", false, "dd"},
        {"D.M.YYYY", false, "D"},        {"HH:MM", false, "HH"},
        {"DD.MM.YYYY ä", false, "\xC3"},
    };
    for (const Case& c : cases) {
        std::string unknown;
        EXPECT_EQ(ParseDateFormat(c.format, &unknown).has_value(), c.usable) << c.format;
        EXPECT_EQ(unknown, c.unknown) << c.format;
    }
}

TEST(DateFormat, ValuesMatchTheirFormatExactly) {
    struct Case {
        const char* format;
        const char* value;
        DateCheck check;
        const char* key;  // given on Ok only
    };
    const Case cases[] = {
        {"DD.MM.YYYY", "31.12.2026", DateCheck::Ok, "20261231000000"},
        {"DD.MM.YYYY", "1.1.2026", DateCheck::WrongForm, ""},
        {"DD.MM.YYYY", "31-12-2026", DateCheck::WrongForm, ""},
        {"DD.MM.YYYY", "31.12.2026 ", DateCheck::WrongForm, ""},
        {"DD.MM.YYYY", "31.12.26", DateCheck::WrongForm, ""},
        {"DD.MM.YYYY", "32.01.2026", DateCheck::Impossible, ""},
        {"DD.MM.YYYY", "00.01.2026", DateCheck::Impossible, ""},
        {"DD.MM.YYYY", "31.04.2026", DateCheck::Impossible, ""},
        {"DD.MM.YYYY", "29.02.2000", DateCheck::Ok, "20000229000000"},
        {"DD.MM.YYYY", "29.02.1900", DateCheck::Impossible, ""},
        {"DD.MM.YYYY", "15.13.2026", DateCheck::Impossible, ""},
        {"YYYYMMDD hh:mm:ss", "20260101 23:59:59", DateCheck::Ok, "20260101235959"},
        {"YYYYMMDD hh:mm:ss", "20260101 24:00:00", DateCheck::Impossible, ""},
        {"YYYYMMDD hh:mm:ss", "20260101 12:60:00", DateCheck::Impossible, ""},
        // Two-digit years below the Epoch (30 here) are 20xx, the others 19xx.
        {"DD.MM.YY", "01.01.29", DateCheck::Ok, "20290101000000"},
        {"DD.MM.YY", "01.01.30", DateCheck::Ok, "19300101000000"},
        // Without a year, 29 February may be any year's.
        {"DD.MM", "29.02", DateCheck::Ok, "00000229000000"},
        {"hh:mm", "07:05", DateCheck::Ok, "00000000070500"},
    };
    for (const Case& c : cases) {
        std::string key;
        EXPECT_EQ(CheckDate(c.value, *ParseDateFormat(c.format), 30, &key), c.check)
            << c.format << " " << c.value;
        EXPECT_EQ(key, c.key) << c.value;
    }
}

TEST(NumberCheck, SymbolsGroupingAndDecimalsAsDeclared) {
    struct Case {
        const char* decimal;
        const char* grouping;
        int accuracy;
        const char* value;
        NumberCheck check;
        const char* key;  // given on Ok only
    };
    // Odd symbols as well, so that a swapped symbol cannot pass by accident.
    const Case cases[] = {
        {",", ".", 0, "1234", NumberCheck::Ok, "1234"},
        {",", ".", 0, "-0", NumberCheck::Ok, "0"},
        {",", ".", 0, "+007", NumberCheck::Ok, "7"},
        {",", ".", 2, "1.234.567,80", NumberCheck::Ok, "1234567.8"},
        {",", ".", 2, "-,5", NumberCheck::Ok, "-0.5"},
        {",", ".", 2, "12,345", NumberCheck::TooManyDecimals, ""},
        {",", ".", 0, "12,0", NumberCheck::TooManyDecimals, ""},
        {",", ".", 2, "12.34", NumberCheck::Grouping, ""},
        {",", ".", 2, "1234.567", NumberCheck::Grouping, ""},
        {",", ".", 2, ".123", NumberCheck::Grouping, ""},
        {",", ".", 2, "1,23.4", NumberCheck::Grouping, ""},
        {",", ".", 2, "12,", NumberCheck::NotANumber, ""},
        {",", ".", 2, "-", NumberCheck::NotANumber, ""},
        {",", ".", 2, "1 234", NumberCheck::NotANumber, ""},
        {",", ".", 2, "12-", NumberCheck::NotANumber, ""},
        {",", ".", 2, "1e5", NumberCheck::NotANumber, ""},
        {".", ",", 2, "1,234.50", NumberCheck::Ok, "1234.5"},
        {".", ",", 2, "1.234,50", NumberCheck::Grouping, ""},
        {"~", "?", 3, "1?000~125", NumberCheck::Ok, "1000.125"},
        {"~", "?", 3, "1,000.125", NumberCheck::NotANumber, ""},
        {",", "", 2, "1.000,00", NumberCheck::NotANumber, ""},
    };
    for (const Case& c : cases) {
        NumberFormat format;
        format.decimalSymbol = c.decimal;
        format.groupingSymbol = c.grouping;
        format.accuracy = c.accuracy;
        std::string key;
        EXPECT_EQ(CheckNumber(c.value, format, nullptr, &key), c.check) << c.value;
        EXPECT_EQ(key, c.key) << c.value;
    }
}

TEST(NumberCheck, ImpliedDecimalsStandWithoutSymbol) {
    NumberFormat format;
    format.accuracy = 2;
    format.implied = true;
    struct Case {
        const char* value;
        NumberCheck check;
        const char* key;
    };
    const Case cases[] = {
        {"12345", NumberCheck::Ok, "123.45"},
        {"5", NumberCheck::Ok, "0.05"},
        {"-100", NumberCheck::Ok, "-1"},
        {"123,45", NumberCheck::TooManyDecimals, ""},
    };
    for (const Case& c : cases) {
        std::string key;
        EXPECT_EQ(CheckNumber(c.value, format, nullptr, &key), c.check) << c.value;
        EXPECT_EQ(key, c.key) << c.value;
    }
}

TEST(DecimalSum, SumsExactlyWithCarriesSignsAndGrouping) {
    struct Case {
        int scale;
        std::vector<const char*> values;  // in the check's comparable form
        const char* text;                 // with "," and "."
    };
    const Case cases[] = {
        {2, {}, "0,00"},
        {2, {"1234.5", "0.99", "10"}, "1.245,49"},
        {2, {"-12.5", "12.5"}, "0,00"},
        {2, {"0.01", "-0.02"}, "-0,01"},
        {3, {"0.125", "0.5"}, "0,625"},
        {0, {"999", "1"}, "1.000"},
        {0, {"-1", "-999999"}, "-1.000.000"},
        // Beyond a double's 15 digits and a 64-bit integer.
        {2, {"99999999999999999999.99", "0.01"}, "100.000.000.000.000.000.000,00"},
        {1, {"0.1", "0.1", "0.1"}, "0,3"},
    };
    for (const Case& c : cases) {
        DecimalSum sum(c.scale);
        for (const char* value : c.values) sum.Add(value);
        EXPECT_EQ(sum.Text(",", "."), c.text) << c.text;
    }
    DecimalSum plain(2);
    plain.Add("-1234567.8");
    EXPECT_EQ(plain.Text(".", ""), "-1234567.80");
}

}  // namespace
}  // namespace norvik
