// Text formats: @ & < > ! with one or two sections, on texts and on other values.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/vb_convert.h"
#include "common/vb_format.h"
#include "format_cases.h"

namespace norvik {
namespace {

using test::Check;
using test::Text;

TEST(VbFormatText, Placeholders) {
    Check({
        {Text("ab"), "@@@@", "  ab"},
        {Text("ab"), "!@@@@", "ab  "},
        {Text("ab"), "&&&&", "ab"},
        {Text("ab"), "!&&&&", "ab"},
        {Text("abc"), "@@@@@@", "   abc"},
        {Text("abc"), "!@@@@@@", "abc   "},
        {Text("abc"), "!@\\-@@@", "a-bc "},
        {Text("abc"), "@\\-@@@", " -abc"},
        {Text("8888888"), "(@@@)&&&-&&&&", "(   )888-8888"},
        {Text("8888888"), "(&&&)&&&-&&&&", "()888-8888"},
        {Text("1234567890abc"), "(@@@) @@@-@@@@ ext. @@@", "(123) 456-7890 ext. abc"},
        {Text("abc"), R"("["@@@@"]")", "[ abc]"},
        {Text("abcd"), "@@-@@", "ab-cd"},
        {Text("a"), "@@-@@", "  - a"},
        {Text("a"), "&&-&&", "-a"},
        {Text(""), "@@", "  "},
        {Text("M\xC3\xBCller"), "@@@@@@@@", "  M\xC3\xBCller"},  // characters, not bytes
        {Text("a\xFF"
              "b"),
         "@@@@",
         " a\xFF"
         "b"},
        {Text("ab"), "\t@@", "\tab"},
    });
}

TEST(VbFormatText, MoreCharactersThanPlaceholders) {
    Check({
        {Text("Microsoft"), "@-@", "M-icrosoft"},
        {Text("example text"), R"(\[@\])", "[e]xample text"},
        {Text("abc"), R"(@"x")", "axbc"},
        {Text("abcdef"), "!@@@", "abcdef"},
        {Text("abcdef"), "&&", "abcdef"},
        {Text("ab"), "@;@@@@", "ab"},
    });
}

TEST(VbFormatText, LetterCase) {
    Check({
        {Text("Hello"), ">", "HELLO"},
        {Text("Hello"), "<", "hello"},
        {Text("Hello"), ">@@@@@", "HELLO"},
        {Text("Hello"), "<@@@@@@", " hello"},
        {Text("M\xC3\xBCller"), ">", "M\xC3\x9CLLER"},
        {Text("STRA\xC3\x9F"
              "E"),
         "<",
         "stra\xC3\x9F"
         "e"},
        {Text("stra\xC3\x9F"
              "e"),
         ">",
         "STRA\xC3\x9F"
         "E"},  // sharp s has no capital here
        {Text("\xC5\x93uvre \xC3\xBF \xC5\xA1 \xC5\xBE"), ">",
         "\xC5\x92UVRE \xC5\xB8 \xC5\xA0 \xC5\xBD"},
        {Text("\xC3\x84\xC3\x96\xC3\x9C \xC3\x97"), "<", "\xC3\xA4\xC3\xB6\xC3\xBC \xC3\x97"},
        {Text("M\xC3\xBCller"), "!>@@@@@@@@", "M\xC3\x9CLLER  "},
        {Text("abc"), R"(>"x"@@@)", "xABC"},  // literals keep their case
        {Text("a\xFF"), ">", "A\xFF"},
        {Text("\xE2\x82\xAC"), ">", "\xE2\x82\xAC"},
    });
}

TEST(VbFormatText, SecondSectionForNullAndEmpty) {
    Check({
        {Text("6666666"), R"((@@@)&&&-&&&&;"No Phone")", "(   )666-6666"},
        {Text(""), R"((@@@)&&&-&&&&;"No Phone")", "No Phone"},
        {Null{}, R"(@;"leer")", "leer"},
        {Null{}, "@@", ""},
        {Null{}, "@;", ""},
        {Text(""), R"(@;\-\-)", "--"},
        {Text(" "), R"(@;\-\-)", " "},
        {Null{}, "@;@@@", "   "},
    });
}

TEST(VbFormatText, OtherValues) {
    Check({
        {int64_t{1234}, "@@@@@@", "  1234"},
        {-12.5, "@@@@@@", " -12,5"},
        {true, ">@", "WAHR"},
        {false, "<", "falsch"},
        {DateTime{2004, 12, 31, 0, 0, 0}, "@", "31.12.2004"},
        {DateTime{2004, 12, 31, 13, 45, 0}, "!@@@@@@@@@@@@@@@@@@@@@", "31.12.2004 13:45:00  "},
        {Decimal{"1.50"}, "@@@@", " 1,5"},
        {Text("1234,5"), "@@@@@@@", " 1234,5"},  // a number text stays as written
        {Text("31.12.2004"), ">", "31.12.2004"},
    });
}

}  // namespace
}  // namespace norvik
