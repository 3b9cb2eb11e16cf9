#include "gdpdu/xml_text.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

TEST(XmlText, ValuesAreEscapedAndKeptInLatin1) {
    struct Case {
        std::string value;
        std::string xml;
    };
    const std::vector<Case> cases = {
        {"Müller & Söhne", "Müller &amp; Söhne"},
        {"a<b>c", "a&lt;b&gt;c"},
        {"\"quoted\" 'single'", "\"quoted\" 'single'"},
        {"100 €", "100 &#8364;"},
        {"„Premium“", "&#8222;Premium&#8220;"},
        {"ß ÿ ¤", "ß ÿ ¤"},
        {"\xc2\x80", "&#128;"},  // a C1 control is not a Windows-1252 letter here
        {"tab\there", "tab\there"},
        {std::string("nul\0x", 5), "nul?x"},  // XML cannot carry it at all
        {"\x01\x1f", "??"},
        {"😀", "&#128512;"},
        {"stray \xe4", "stray \xe4"},  // a lone byte stands for itself
    };
    for (const Case& c : cases) {
        std::string out = "<";
        AppendXmlValue(out, c.value);
        EXPECT_EQ(out, "<" + c.xml) << c.value;
    }
}

TEST(XmlText, Latin1Bytes) {
    EXPECT_EQ(Latin1Bytes("Datenträger ß"), "Datentr\xe4ger \xdf");
    EXPECT_EQ(Latin1Bytes("&#8364;"), "&#8364;");
    EXPECT_EQ(Latin1Bytes("€"), "?");
    EXPECT_EQ(Latin1Bytes("\xc3\xbf"), "\xff");
}

}  // namespace
}  // namespace norvik
