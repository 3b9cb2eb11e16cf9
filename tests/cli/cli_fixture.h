#pragma once
// norvik-export called in the test's process on a home of its own, its output captured.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace norvik::test {

// What one call of the command line gave back.
struct CliOutcome {
    int code;         // the exit code
    std::string out;  // what it wrote to its output
    std::string err;  // what it wrote to its error output
};

// A temporary folder with the home "home" and a private per-user settings folder; no desktop, so
// that no file manager starts; the DTD found as the demo finds it.
class CliFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the command line with --home home() before args (withHome false: args alone).
    CliOutcome Run(const std::vector<std::string>& args, bool withHome = true) const;
    // Runs the calls of a case table (cli/cases/calls.tsv says its form and the steps "@…" between
    // calls), {KEY} placeholders filled, those calls.tsv names among them.
    void RunCallTable(const std::string& table,
                      std::vector<std::pair<std::string, std::string>> fills = {});
    // The home folder, without a trailing separator.
    std::string home() const { return dir.file("home"); }
    // The export folder of the home, with a trailing separator.
    std::string exports() const { return home() + "/Drivers/Export/"; }

    TempDir dir;

  private:
    CliOutcome Step(const std::vector<std::string>& args);
    std::filesystem::path start_;                              // the working folder at SetUp
    std::vector<std::pair<std::string, std::string>> setEnv_;  // names set by @env, old values
};

}  // namespace norvik::test
