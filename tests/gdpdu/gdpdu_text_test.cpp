#include "gdpdu/gdpdu_text.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

DateTime Day(int y, int m, int d) {
    return DateTime{y, m, d, 0, 0, 0};
}

TEST(GdpduText, SqlDateIsCompactAndEmptyForTheZeroDate) {
    EXPECT_EQ(SQLDate(Day(2020, 1, 31)), "20200131");
    EXPECT_EQ(SQLDate(Day(999, 3, 4)), "09990304");
    EXPECT_EQ(SQLDate(DateTime{}), "");
    EXPECT_EQ(SQLDate(DateTime{1899, 12, 30, 13, 0, 0}),
              "18991230");  // a time is not the zero value
}

TEST(GdpduText, CaptionFromFileName) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\Daten\\Export\\Kunden.EXP", "Kunden"},
        {"Kunden", "Kunden"},
        {"%DataPath%Kunden.EXP", "%DataPath%Kunden"},
        {"%DataPath%\\Kunden.EXP", "Kunden"},
        {"C:\\Daten.alt\\Kunden", "Daten"},  // the cut at the last point comes first
        {"/srv/export/konten.exp", "konten"},
        {"a.b.c", "a.b"},
        {"", ""},
    };
    for (const auto& [path, caption] : cases) EXPECT_EQ(CaptionFromFileName(path), caption) << path;
}

TEST(GdpduText, FileNameOnly) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\Out\\buchungen.txt", "buchungen.txt"},
        {"/tmp/medium/konten.txt", "konten.txt"},
        {"/home/x/Daten\\kunden.csv", "kunden.csv"},
        {"konten.txt", "konten.txt"},
        {"C:\\Out\\", ""},
        {"", ""},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(FileNameOnly(path), name) << path;
}

TEST(GdpduText, ReplaceSqlVars) {
    const DateTime von = Day(2020, 1, 1), bis = Day(2020, 12, 31);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"Datum >= $DatumVon AND Datum <= $DatumBis",
         "Datum >= '20200101' AND Datum <= '20201231'"},
        {"$DatumVon $DatumVon", "'20200101' '20200101'"},
        {"$datumvon", "$datumvon"},  // case-sensitive
        {"Ort = 'Bonn'", "Ort = 'Bonn'"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ReplaceSQLVars(text, von, bis), expected) << text;
    EXPECT_EQ(ReplaceSQLVars("Datum >= $DatumVon", DateTime{}, bis), "Datum >= ''");
}

TEST(GdpduText, ReplaceDescVars) {
    const DateTime von = Day(2020, 1, 1), bis = Day(2020, 12, 31);
    EXPECT_EQ(ReplaceDescVars("", "Buchungen", von, bis), "");
    EXPECT_EQ(ReplaceDescVars("Buchungen $DatumVon bis $DatumBis", "x", von, bis),
              "Buchungen 01.01.2020 bis 31.12.2020");
    EXPECT_EQ(ReplaceDescVars("$Table vom $DatumVon", "Konten", von, bis), "Konten vom 01.01.2020");
    // One pass: a table name that holds a placeholder is written as it is.
    EXPECT_EQ(ReplaceDescVars("$Table", "$Table und $DatumVon", von, bis), "$Table und $DatumVon");
    EXPECT_EQ(ReplaceDescVars("ab $DatumVon", "t", DateTime{}, bis), "ab 00:00:00");
}

}  // namespace
}  // namespace norvik
