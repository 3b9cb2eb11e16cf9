#include "medium/windows_file_name.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

TEST(WindowsFileName, NamesWindowsCanHold) {
    for (const char* name :
         {"konten.txt", "Buchungen 2026.csv", "a", ".hidden", "bücher.txt", "CONSOLE.txt",
          "COM10.txt", "LPT.txt", "xCON.txt", "con_1.txt", "nul-werte.txt", "a.b.c", "€.txt"})
        EXPECT_EQ(WindowsFileNameProblem(name), "") << name;
}

TEST(WindowsFileName, NamesWindowsRefuses) {
    const struct {
        const char* name;
        const char* problem;
    } cases[] = {
        {"", "Die Datendatei hat keinen Namen."},
        {"CON", "Der Dateiname \"CON\" ist unter Windows der Gerätename CON."},
        {"prn.txt", "Der Dateiname \"prn.txt\" ist unter Windows der Gerätename PRN."},
        {"Aux.tar.gz", "Der Dateiname \"Aux.tar.gz\" ist unter Windows der Gerätename AUX."},
        {"NUL .txt", "Der Dateiname \"NUL .txt\" ist unter Windows der Gerätename NUL."},
        {"com1", "Der Dateiname \"com1\" ist unter Windows der Gerätename COM1."},
        {"COM9.csv", "Der Dateiname \"COM9.csv\" ist unter Windows der Gerätename COM9."},
        {"lpt1.txt", "Der Dateiname \"lpt1.txt\" ist unter Windows der Gerätename LPT1."},
        {"LPT9", "Der Dateiname \"LPT9\" ist unter Windows der Gerätename LPT9."},
        {"COM¹.txt", "Der Dateiname \"COM¹.txt\" ist unter Windows der Gerätename COM¹."},
        {"a<b",
         "Der Dateiname \"a<b\" enthält das Zeichen '<', das Windows in Dateinamen nicht "
         "zulässt."},
        {"a>b",
         "Der Dateiname \"a>b\" enthält das Zeichen '>', das Windows in Dateinamen nicht "
         "zulässt."},
        {"a:b",
         "Der Dateiname \"a:b\" enthält das Zeichen ':', das Windows in Dateinamen nicht "
         "zulässt."},
        {"a\"b",
         "Der Dateiname \"a\"b\" enthält das Zeichen '\"', das Windows in Dateinamen "
         "nicht zulässt."},
        {"a/b",
         "Der Dateiname \"a/b\" enthält das Zeichen '/', das Windows in Dateinamen nicht "
         "zulässt."},
        {"a\\b",
         "Der Dateiname \"a\\b\" enthält das Zeichen '\\', das Windows in Dateinamen "
         "nicht zulässt."},
        {"a|b",
         "Der Dateiname \"a|b\" enthält das Zeichen '|', das Windows in Dateinamen nicht "
         "zulässt."},
        {"a?b",
         "Der Dateiname \"a?b\" enthält das Zeichen '?', das Windows in Dateinamen nicht "
         "zulässt."},
        {"a*b",
         "Der Dateiname \"a*b\" enthält das Zeichen '*', das Windows in Dateinamen nicht "
         "zulässt."},
        {"a\x01"
         "b",
         "Der Dateiname enthält ein Steuerzeichen (Code 1), das Windows in Dateinamen nicht "
         "zulässt."},
        {"a\nb",
         "Der Dateiname enthält ein Steuerzeichen (Code 10), das Windows in Dateinamen "
         "nicht zulässt."},
        {"x\x1f",
         "Der Dateiname enthält ein Steuerzeichen (Code 31), das Windows in Dateinamen "
         "nicht zulässt."},
        {"konten.",
         "Der Dateiname \"konten.\" endet auf einen Punkt, den Windows beim Speichern "
         "weglässt."},
        {"..",
         "Der Dateiname \"..\" endet auf einen Punkt, den Windows beim Speichern "
         "weglässt."},
        {"konten ",
         "Der Dateiname \"konten \" endet auf ein Leerzeichen, das Windows beim "
         "Speichern weglässt."},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowsFileNameProblem(c.name), c.problem) << c.name;
}

}  // namespace
}  // namespace norvik
