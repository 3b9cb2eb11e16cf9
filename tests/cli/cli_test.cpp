#include <gtest/gtest.h>

#include "cli/cli_fixture.h"
#include "common/vb_convert.h"

namespace norvik {
namespace {

class CallTable : public test::CliFixture, public ::testing::WithParamInterface<const char*> {};

// The calls of cases/NAME.tsv, one after the other, on a home of their own.
TEST_P(CallTable, EachCallGivesItsExitCodeAndOutput) {
    RunCallTable("cli/cases/" + std::string(GetParam()) + ".tsv");
}

INSTANTIATE_TEST_SUITE_P(Cli, CallTable,
                         ::testing::Values("calls", "first_calls", "demo_calls", "gdpdu_calls",
                                           "check_calls"),
                         [](const auto& info) { return std::string(info.param); });

using CliTest = test::CliFixture;

// Written back byte for byte in the writer's form (golden/kontenplan_saved.EXP, the date filled
// in); the output file as the definition names it, not as a run remembered it.
TEST_F(CliTest, SaveWritesTheDefinitionInTheWritersForm) {
    ASSERT_EQ(Run({"demo"}).code, 0);
    ASSERT_EQ(Run({"run", "Kontenplan", "--out", dir.file("k.txt"), "--where", "1=1"}).code, 0);
    ASSERT_EQ(Run({"save", "Kontenplan", dir.file("k.EXP"), "--author", "Prüfer"}).code, 0);
    std::string golden =
        test::ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/cli/golden/kontenplan_saved.EXP");
    golden.replace(golden.find("{DATE}    "), 10, TodayText());
    EXPECT_EQ(test::ReadBytes(dir.file("k.EXP")), test::DefinitionBytes(golden));
}

}  // namespace
}  // namespace norvik
