// Date and time formats: every code, German names, the week rules, named date formats, and
// numbers and texts formatted as dates.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/vb_convert.h"
#include "common/vb_format.h"
#include "format_cases.h"

namespace norvik {
namespace {

using test::Check;
using test::Dt;
using test::Text;

// Friday, 31.12.2004 13:45:07 and Tuesday, 1.3.2005 08:05:09.
const Value kFri = Dt(2004, 12, 31, 13, 45, 7);
const Value kTue = Dt(2005, 3, 1, 8, 5, 9);

TEST(VbFormatDate, DayCodes) {
    Check({
        {kFri, "d", "31"},
        {kTue, "d", "1"},
        {kTue, "dd", "01"},
        {kFri, "ddd", "Fr"},
        {kFri, "dddd", "Freitag"},
        {kTue, "DDDD", "Dienstag"},
        {kFri, "ddddd", "31.12.2004"},
        {kTue, "ddddd", "01.03.2005"},
        {kFri, "dddddd", "Freitag, 31. Dezember 2004"},
        {kTue, "dddddd", "Dienstag, 1. M\xC3\xA4rz 2005"},
        {kFri, "ddddddd", "Freitag, 31. Dezember 200431"},
        {Dt(2004, 12, 27), "ddd dddd w", "Mo Montag 1"},
        {Dt(2004, 12, 28), "ddd dddd w", "Di Dienstag 2"},
        {Dt(2004, 12, 29), "ddd dddd w", "Mi Mittwoch 3"},
        {Dt(2004, 12, 30), "ddd dddd w", "Do Donnerstag 4"},
        {Dt(2004, 12, 31), "ddd dddd w", "Fr Freitag 5"},
        {Dt(2005, 1, 1), "ddd dddd w", "Sa Samstag 6"},
        {Dt(2005, 1, 2), "ddd dddd w", "So Sonntag 7"},
        {Dt(1899, 12, 30), "dddd", "Samstag"},
        {Dt(100, 1, 1), "dddd", "Freitag"},
    });
}

TEST(VbFormatDate, MonthCodes) {
    Check({
        {Dt(2004, 1, 15), "m mm mmm mmmm", "1 01 Jan Januar"},
        {Dt(2004, 2, 15), "m mm mmm mmmm", "2 02 Feb Februar"},
        {Dt(2004, 3, 15), "m mm mmm mmmm", "3 03 Mrz M\xC3\xA4rz"},
        {Dt(2004, 4, 15), "m mm mmm mmmm", "4 04 Apr April"},
        {Dt(2004, 5, 15), "m mm mmm mmmm", "5 05 Mai Mai"},
        {Dt(2004, 6, 15), "m mm mmm mmmm", "6 06 Jun Juni"},
        {Dt(2004, 7, 15), "m mm mmm mmmm", "7 07 Jul Juli"},
        {Dt(2004, 8, 15), "m mm mmm mmmm", "8 08 Aug August"},
        {Dt(2004, 9, 15), "m mm mmm mmmm", "9 09 Sep September"},
        {Dt(2004, 10, 15), "m mm mmm mmmm", "10 10 Okt Oktober"},
        {Dt(2004, 11, 15), "m mm mmm mmmm", "11 11 Nov November"},
        {Dt(2004, 12, 15), "m mm mmm mmmm", "12 12 Dez Dezember"},
        {kFri, "MMMM", "Dezember"},
        {kFri, "mmmmm", "Dezember12"},
    });
}

TEST(VbFormatDate, YearQuarterAndDayOfYear) {
    Check({
        {kFri, "yyyy", "2004"},
        {kFri, "yy", "04"},
        {Dt(2000, 6, 1), "yy", "00"},
        {Dt(1905, 6, 1), "yy", "05"},
        {Dt(100, 1, 1), "yyyy", "0100"},
        {kFri, "y", "366"},
        {Dt(2005, 1, 1), "y", "1"},
        {kTue, "y", "60"},
        {Dt(2004, 3, 1), "y", "61"},
        {Dt(2004, 1, 31), "q", "1"},
        {Dt(2004, 3, 31), "q", "1"},
        {Dt(2004, 4, 1), "q", "2"},
        {Dt(2004, 9, 30), "q", "3"},
        {kFri, "q", "4"},
        {kFri, "\"Q\"q/yyyy", "Q4.2004"},
        {kFri, "YYYY", "2004"},
    });
}

TEST(VbFormatDate, TimeCodes) {
    Check({
        {kTue, "h", "8"},
        {kTue, "hh", "08"},
        {kTue, "n", "5"},
        {kTue, "nn", "05"},
        {kTue, "s", "9"},
        {kTue, "ss", "09"},
        {kTue, "hh:nn:ss", "08:05:09"},
        {kTue, "hh:mm:ss", "08:05:09"},  // m after h is the minute
        {kTue, "h:m", "8:5"},
        {kTue, "mm", "03"},
        {kTue, "dd.mm.yyyy hh:mm", "01.03.2005 08:05"},
        {kFri, "HH:NN:SS", "13:45:07"},
        {kFri, "ttttt", "13:45:07"},
        {kTue, "ttttt", "08:05:09"},
        {kFri, "tt", "tt"},
        {kFri, "hh\"h\"nn", "13h45"},
        {Dt(2004, 12, 31), "hh:nn:ss", "00:00:00"},
        {Dt(2004, 12, 31, 23, 59, 59), "h:nn:ss", "23:59:59"},
    });
}

TEST(VbFormatDate, AmPm) {
    Check({
        {kFri, "h:nn AM/PM", "1:45 PM"},
        {kTue, "h:nn AM/PM", "8:05 AM"},
        {kFri, "hh:nn am/pm", "01:45 pm"},
        {kFri, "h A/P", "1 P"},
        {kTue, "h a/p", "8 a"},
        {Dt(2004, 12, 31, 0, 30, 0), "h:nn AM/PM", "12:30 AM"},
        {Dt(2004, 12, 31, 12, 0, 0), "h:nn AM/PM", "12:00 PM"},
        {Dt(2004, 12, 31, 11, 59, 59), "hh:nn:ss AM/PM", "11:59:59 AM"},
        {kFri, "hh:nn AMPM", "01:45 "},  // the German locale has empty designators
        {kFri, "hh:nn", "13:45"},
        {kFri, "Am/Pm", "Pm"},
        {kFri, "ttttt AM/PM", "13:45:07 PM"},
    });
}

TEST(VbFormatDate, GeneralDateAndSeparators) {
    Check({
        {kFri, "c", "31.12.2004 13:45:07"},
        {Dt(2004, 12, 31), "c", "31.12.2004"},
        {Dt(1899, 12, 30, 13, 45, 0), "c", "13:45:00"},
        {kFri, "dd/mm/yyyy", "31.12.2004"},
        {kFri, "yyyy-mm-dd", "2004-12-31"},
        {kFri, "dd.mm.yy", "31.12.04"},
        {kFri, "d. mmmm yyyy", "31. Dezember 2004"},
        {kFri, "\"Datum: \"dd.mm.yyyy", "Datum: 31.12.2004"},
        {kFri, "dd\\d", "31d"},
        {kFri, "\"KW\" ww", "KW 53"},
        {kFri, "dd.mm.yyyy 0#", "31.12.2004 0#"},
        {kFri, ">mmmm", "DEZEMBER"},
        {kTue, ">mmmm", "M\xC3\x84RZ"},
        {kFri, "<dddd", "freitag"},
        {kFri, "yyyymmddhhnnss", "20041231134507"},
    });
}

TEST(VbFormatDate, WeekOfYear) {
    Check({
        {Dt(2005, 1, 1), "ww", "53"},
        {Dt(2005, 1, 2), "ww", "53"},
        {Dt(2005, 1, 3), "ww", "1"},
        {Dt(2004, 12, 31), "ww", "53"},
        {Dt(2003, 12, 28), "ww", "52"},
        {Dt(2003, 12, 29), "ww", "53"},  // the classic slip: Monday before a leap year
        {Dt(2003, 12, 30), "ww", "1"},
        {Dt(2007, 12, 31), "ww", "53"},
        {Dt(2019, 12, 30), "ww", "53"},
        {Dt(2019, 12, 31), "ww", "1"},
        {Dt(2014, 12, 29), "ww", "1"},
        {Dt(2008, 12, 29), "ww", "1"},
        {Dt(2024, 12, 30), "ww", "1"},
        {Dt(2025, 12, 29), "ww", "1"},
        {Dt(2010, 1, 1), "ww", "53"},
        {Dt(2010, 1, 4), "ww", "1"},
        {Dt(2009, 1, 1), "ww", "1"},
        {Dt(2009, 12, 31), "ww", "53"},
        {Dt(2016, 1, 1), "ww", "53"},
        {Dt(2004, 6, 15), "ww", "25"},
        {Dt(2004, 1, 1), "ww", "1"},
        {Dt(2021, 1, 1), "ww", "53"},
        {Dt(2022, 1, 1), "ww", "52"},
        {Dt(2023, 1, 1), "ww", "52"},
        {Dt(2023, 1, 2), "ww", "1"},
        {Dt(2024, 1, 1), "ww", "1"},
        {Dt(1851, 12, 29), "ww", "53"},
        {Dt(1850, 12, 30), "ww", "1"},
    });
}

TEST(VbFormatDate, NamedDateFormats) {
    Check({
        {kFri, "General Date", "31.12.2004 13:45:07"},
        {Dt(2004, 12, 31), "general date", "31.12.2004"},
        {Dt(1899, 12, 30, 13, 45, 0), "General Date", "13:45:00"},
        {38352.5, "General Date", "31.12.2004 12:00:00"},
        {Text("31.12.2004 13:45"), "General Date", "31.12.2004 13:45:00"},
        {kFri, "Long Date", "Freitag, 31. Dezember 2004"},
        {kTue, "LONG DATE", "Dienstag, 1. M\xC3\xA4rz 2005"},
        {kFri, "Medium Date", "31. Dez 04"},
        {kTue, "Medium Date", "01. Mrz 05"},
        {kFri, "Short Date", "31.12.2004"},
        {Text("1.2.2003"), "Short Date", "01.02.2003"},
        {kFri, "Long Time", "13:45:07"},
        {Dt(2004, 12, 31), "Long Time", "00:00:00"},
        {kFri, "Medium Time", "01:45 "},
        {kTue, "Medium Time", "08:05 "},
        {kFri, "Short Time", "13:45"},
        {kTue, "short time", "08:05"},
        {Text("abc"), "Short Date", "abc"},
        {Null{}, "Long Date", ""},
        {1e10, "Short Date", "10000000000"},
    });
}

TEST(VbFormatDate, NumbersAsDates) {
    Check({
        {38352.0, "dd.mm.yyyy", "31.12.2004"},
        {38352.75, "hh:nn", "18:00"},
        {0.0, "dd.mm.yyyy hh:nn", "30.12.1899 00:00"},
        {-1.25, "dd.mm.yyyy hh:nn", "29.12.1899 06:00"},
        {int64_t{2}, "dddd", "Montag"},
        {true, "dd.mm.yyyy", "29.12.1899"},
        {false, "dd.mm.yyyy", "30.12.1899"},
        {1e10, "dd.mm.yyyy", "10000000000"},  // outside the date range: the number's text
        {-700000.0, "dd.mm.yyyy", "-700000"},
        {2958465.0, "dd.mm.yyyy", "31.12.9999"},
        {2958466.0, "dd.mm.yyyy", "2958466"},
        {-657434.0, "dd.mm.yyyy", "01.01.0100"},
        {Decimal{"38352.5"}, "hh:nn", "12:00"},
        {0.999999999, "hh:nn:ss", "00:00:00"},
        {38352.5, "dd.mm.yyyy;;\"null\"", "31.12.2004"},
        {0.0, "dd.mm.yyyy;;\"null\"", "null"},
        {Null{}, "dd.mm.yyyy;;;\"kein Datum\"", "kein Datum"},
        {Null{}, "dd.mm.yyyy", ""},
        {Dt(1899, 12, 30), "dd.mm.yyyy;;\"-\"", "-"},
        {Dt(1899, 12, 29), "dd.mm.yyyy;\"vorher\"", "vorher"},
    });
}

TEST(VbFormatDate, TextsAsDates) {
    Check({
        {Text("31.12.2004"), "dddd, d. mmmm yyyy", "Freitag, 31. Dezember 2004"},
        {Text("31.12.04"), "yyyy-mm-dd", "2004-12-31"},
        {Text("1.1.29"), "yyyy", "2029"},
        {Text("1.1.30"), "yyyy", "1930"},
        {Text("2004-12-31"), "dd.mm.yyyy", "31.12.2004"},
        {Text("31/12/2004"), "dd.mm.yyyy", "31.12.2004"},
        {Text("31.12.2004 13:45"), "hh:nn:ss", "13:45:00"},
        {Text("13:45:07"), "dd.mm.yyyy hh:nn:ss", "30.12.1899 13:45:07"},
        {Text("31. Dezember 2004"), "ddddd", "31.12.2004"},
        {Text("1. M\xC3\xA4rz 2005"), "ddddd", "01.03.2005"},
        {Text("31.1.97"), "m.d.yyyy", "1.31.1997"},
        {Text("38352"), "dd.mm.yyyy", "31.12.2004"},
        {Text("1,5"), "dd.mm.yyyy hh:nn", "31.12.1899 12:00"},
        {Text("abc"), "dd.mm.yyyy", "abc"},
        {Text("31.02.2004"), "dd.mm.yyyy", "31.02.2004"},
        {Text(""), "dd.mm.yyyy", ""},
        {Text("1:45 PM"), "hh:nn", "13:45"},
        {Text(" 31.12.2004 "), "ddd", "Fr"},
        {Text("Freitag, 31. Dezember 2004"), "yyyymmdd", "20041231"},
    });
}

}  // namespace
}  // namespace norvik
