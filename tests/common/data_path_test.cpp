#include "common/data_path.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

TEST(DataPath, TheFolderEndsWithItsSeparator) {
    const struct {
        const char* folder;
        const char* expected;
    } cases[] = {
        {"/srv/daten", "/srv/daten/"},
        {"/srv/daten/", "/srv/daten/"},
        {"C:\\Daten", "C:\\Daten\\"},
        {"C:\\Daten\\", "C:\\Daten\\"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DataFolder(c.folder), c.expected) << c.folder;
}

TEST(DataPath, ANameDirectlyBehindThePlaceholderLiesInsideTheFolder) {
    const struct {
        const char* text;
        const char* folder;
        const char* expected;
    } cases[] = {
        {"%DataPath%GDPdU", "/srv/daten/", "/srv/daten/GDPdU"},
        {"%DataPath%GDPdU", "C:\\Daten\\", "C:\\Daten\\GDPdU"},
        // A separator of the text is kept as written and not doubled.
        {"%DataPath%\\kunden.txt", "/srv/daten/", "/srv/daten\\kunden.txt"},
        {"%DataPath%/kunden.txt", "/srv/daten/", "/srv/daten/kunden.txt"},
        {"%DataPath%\\kunden.txt", "C:\\Daten\\", "C:\\Daten\\kunden.txt"},
        {"%DataPath%\\..\\Export\\A.EXP", "/d/", "/d\\..\\Export\\A.EXP"},
        {"%DataPath%", "/srv/daten/", "/srv/daten/"},
        {"%DataPath%a;%DataPath%\\b", "/d/", "/d/a;/d\\b"},
        // Only the exact placeholder is replaced.
        {"%datapath%a", "/d/", "%datapath%a"},
        {"kunden.txt", "/d/", "kunden.txt"},
        {"%DataPath%a", "", "a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceDataPath(c.text, c.folder), c.expected) << c.text << " in " << c.folder;
}

}  // namespace
}  // namespace norvik
