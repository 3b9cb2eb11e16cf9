// The command line on each back end's real settings and protocol tables: what a run remembers is
// stored once and replaced by the next choice, and every run with a protocol leaves one entry.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_fixture.h"
#include "support/backends/backends.h"
#include "support/cases.h"

namespace norvik {
namespace {

class DatabaseCliTest : public test::CliFixture, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        NORVIK_REQUIRE_BACKEND(GetParam());
        CliFixture::SetUp();
        url_ = database_.Create(GetParam(), dir.path().string());
    }

    test::TestDatabase database_;
    std::string url_;
};

// The calls of cases/settings_calls.tsv: what a run remembers is stored once and replaced by the
// next choice, and every run with a protocol leaves one entry.
TEST_P(DatabaseCliTest, RunsRememberTheirChoicesOnceAndWriteTheirProtocol) {
    RunCallTable("cli/cases/settings_calls.tsv", {{"{URL}", url_}});
}

// The calls of cases/backend_calls.tsv on the back end's own data (the definitions of
// cases/backend/, also KASSE.EXP in the working folder): runs without rows, changes of data and
// mistakes say the same on each back end.
TEST_P(DatabaseCliTest, EachCallSaysTheSameOnEveryBackEnd) {
    if (GetParam() != "sqlite" && GetParam() != "postgresql") GTEST_SKIP() << "native back ends";
    const std::string cases = std::string(NORVIK_SOURCE_DIR) + "/tests/cli/cases/";
    for (const auto& file : std::filesystem::directory_iterator(cases + "backend")) {
        const std::string text =
            test::Filled(test::ReadBytes(file.path().string()), {{"{DIR}", dir.path().string()}});
        test::WriteBytes(exports() + file.path().filename().string(), test::DefinitionBytes(text));
    }
    RunCallTable("cli/cases/backend_calls.tsv", {{"{URL}", url_}});
}

// The calls of cases/password_calls.tsv.
TEST_P(DatabaseCliTest, APasswordBeyondAsciiLogsIn) {
    if (GetParam() != "postgresql") GTEST_SKIP() << "a server that checks passwords";
    const size_t user = url_.find("norvik@");
    RunCallTable("cli/cases/password_calls.tsv",
                 {{"{URL}", url_},
                  {"{SCHEMA}", url_.substr(url_.find("search_path%3D") + 14)},
                  {"{ROLE}", url_.substr(0, user) + "norvik_kennwort:"},
                  {"{SERVER}", url_.substr(user + 6)}});
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseCliTest, ::testing::ValuesIn(test::AllBackends()),
                         test::BackendName);

}  // namespace
}  // namespace norvik
