#include "host/file_list.h"

#include <gtest/gtest.h>

#include "host/module_state.h"
#include "support/cases.h"
#include "support/session/definition_text.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

using FileListTest = test::SessionFixture;

void Definition(const std::string& path, const std::string& general) {
    test::WriteBytes(path, test::DefinitionBytes("[Allgemein]\n" + general + "\n"));
}

TEST_F(FileListTest, ListsNamedDefinitionsOrProfiles) {
    const std::string dir = exportPath();
    Definition(dir + "B_KUNDEN.EXP", "Name=Kunden");
    Definition(dir + "a_artikel.exp", "Name=\nSchnittstelle=Artikel über Schnittstelle");
    Definition(dir + "OHNE.EXP", "Datenquelle=x");
    Definition(dir + "LEER.EXP", "Name=   ");
    Definition(dir + "PROFIL.GDU", "Name=Betriebsprüfung");
    Definition(dir + "TEXT.TXT", "Name=kein Export");
    std::filesystem::create_directories(dir + "ORDNER.EXP");

    ASSERT_EQ(GetFileList(State(), Messages(), cTQExport), 2);
    EXPECT_EQ(State().fileCount, 2);
    EXPECT_EQ(State().fileList[0][0], "Artikel über Schnittstelle");
    EXPECT_EQ(State().fileList[0][1], dir + "a_artikel.exp");
    EXPECT_EQ(State().fileList[1][0], "Kunden");
    ASSERT_EQ(GetFileList(State(), Messages(), cTQGDPdU), 1);
    EXPECT_EQ(State().fileList[0][0], "Betriebsprüfung");
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(FileListTest, StopsAtTheRowsItHoldsAndReportsFolderErrors) {
    for (int i = 0; i < kFileListRows + 3; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "D%04d.EXP", i);
        Definition(exportPath() + name, "Name=Definition " + std::to_string(i));
    }
    EXPECT_EQ(GetFileList(State(), Messages(), cTQExport), kFileListRows);
    EXPECT_EQ(State().fileList[kFileListRows - 1][0], "Definition 256");
    EXPECT_TRUE(
        test::Matches(test::DescribeMessages(*messages), "ReportError: basMain.GetFileList|9|*"));

    messages->calls.clear();
    State().exportPath = home.file("gibt-es-nicht") + "/";
    EXPECT_EQ(GetFileList(State(), Messages(), cTQExport), 0);
    EXPECT_EQ(State().fileCount, 0);
    ASSERT_EQ(messages->calls.size(), 1u);
    EXPECT_EQ(messages->calls[0].kind, "ReportError");
}

}  // namespace
}  // namespace norvik
