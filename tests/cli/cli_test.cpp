#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_fixture.h"
#include "common/vb_convert.h"

namespace norvik {
namespace {

class CliTest : public test::CliFixture {
  protected:
    void Demo() {
        const test::CliOutcome r = Run({"demo"});
        ASSERT_EQ(r.code, 0) << r.err;
    }
};

// The calls of cases/calls.tsv on a demo home, one after the other.
TEST_F(CliTest, EachCallGivesItsExitCodeAndOutput) {
    Demo();
    std::filesystem::create_directories(dir.file("ordner.EXP"));
    RunCallTable("cli/cases/calls.tsv");
}

TEST_F(CliTest, AnEmptyMachineWorksFromTheFirstCommand) {
    RunCallTable("cli/cases/first_calls.tsv");
}

TEST_F(CliTest, DemoDestroysNothingAndNoCommandShowsAPassword) {
    RunCallTable("cli/cases/demo_calls.tsv");
}

TEST_F(CliTest, GdpduBuildsChecksAndRemembers) {
    Demo();
    RunCallTable("cli/cases/gdpdu_calls.tsv");
}

TEST_F(CliTest, CheckSaysWhetherTheMediumImportsCleanly) {
    RunCallTable("cli/cases/check_calls.tsv");
}

// Written back byte for byte in the writer's form (golden/kontenplan_saved.EXP, the date filled
// in); the output file as the definition names it, not as a run remembered it.
TEST_F(CliTest, SaveWritesTheDefinitionInTheWritersForm) {
    Demo();
    ASSERT_EQ(Run({"run", "Kontenplan", "--out", dir.file("k.txt"), "--where", "1=1"}).code, 0);
    ASSERT_EQ(Run({"save", "Kontenplan", dir.file("k.EXP"), "--author", "Prüfer"}).code, 0);
    std::string golden =
        test::ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/cli/golden/kontenplan_saved.EXP");
    golden.replace(golden.find("{DATE}    "), 10, TodayText());
    EXPECT_EQ(test::ReadBytes(dir.file("k.EXP")), test::DefinitionBytes(golden));
}

}  // namespace
}  // namespace norvik
