// The command lines that README and man page print, run by a shell as printed on the demo's data:
// on SQLite as `demo` makes it, on PostgreSQL with the same data and the README's PostgreSQL form
// of the profile's period condition. /srv becomes a folder of the test.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "cli/cli_fixture.h"
#include "db/connection.h"
#include "standalone/demo_database.h"
#include "support/backends/backends.h"
#include "support/datev_batch.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;

const std::string kSource = NORVIK_SOURCE_DIR;

// The commands of the README's shell blocks and of the man page's examples, each once, in the
// order printed (the man page's first).
std::vector<std::string> DocumentedCommands() {
    std::vector<std::string> commands;
    // The man page's lines of [EXAMPLES], unescaped, and the README's of ```sh blocks.
    for (const auto& [file, marks, wanted] :
         {std::tuple{"/packaging/norvik-export.h2m", "[", "[EXAMPLES]"},
          std::tuple{"/README.md", "```", "```sh"}}) {
        bool inside = false;
        std::istringstream in(test::ReadBytes(kSource + file));
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with(marks)) inside = line == wanted;
            for (size_t p; (p = line.find("\\-")) != std::string::npos;) line.erase(p, 1);
            if (inside && line.starts_with("norvik-export ") &&
                std::find(commands.begin(), commands.end(), line) == commands.end())
                commands.push_back(line);
        }
    }
    return commands;
}

class DocumentedExamplesTest : public test::CliFixture,
                               public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override {
        NORVIK_REQUIRE_BACKEND(GetParam());
        CliFixture::SetUp();
        // The folders a reader of the examples has made for them.
        fs::create_directories(dir.file("srv/export"));
        fs::create_directories(dir.file("srv/gdpdu"));
        ::setenv("NORVIK_EXPORT_HOME", home().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("NORVIK_EXPORT_HOME"); }

    // A PostgreSQL home as `demo` would make it if it made one there: its data, its definitions,
    // its lookups; the profile's period condition in the README's PostgreSQL form.
    void MakeServerDemo() {
        const CliOutcome made = Run({"demo"});
        ASSERT_EQ(made.code, 0) << made.err;
        fs::remove(home() + "/host.sqlite");
        const std::string url = database_.Create(GetParam(), dir.path().string());
        standalone::CreateDemoData(*db::Connection::Open(url));
        std::string ini = test::ReadBytes(home() + "/norvik-export.ini");
        const size_t at = ini.find("URL=");
        ASSERT_NE(at, std::string::npos) << ini;
        test::WriteBytes(home() + "/norvik-export.ini",
                         ini.replace(at, ini.find('\n', at) - at, "URL=" + url));

        std::string profile = test::ReadBytes(exports() + "FINANZBUCHHALTUNG.GDU");
        const std::string readme = test::ReadBytes(kSource + "/README.md");
        const size_t printed = readme.find("; File01=", readme.find("### `.GDU`"));
        ASSERT_NE(printed, std::string::npos);
        std::string condition = readme.substr(printed, readme.find('\n', printed) - printed);
        condition = condition.substr(condition.find(';', 2) + 1);
        condition = condition.substr(0, condition.find(';'));
        const size_t line = profile.find("File03="), from = profile.find(';', line) + 1;
        profile.replace(from, profile.find(';', from) - from, condition);
        test::WriteBytes(exports() + "FINANZBUCHHALTUNG.GDU", profile);
    }

    // Runs one command line with bash as a user types it, in the test's folder, with the built
    // program first on the PATH.
    CliOutcome Shell(std::string line) const {
        for (size_t p = 0; (p = line.find(" /srv", p)) != std::string::npos; p += 5)
            line.replace(p + 1, 4, dir.file("srv"));
        test::WriteBytes(dir.file("example.sh"),
                         "set -o pipefail\nPATH=" + fs::path(NORVIK_CLI).parent_path().string() +
                             ":$PATH\ncd " + dir.path().string() + "\n" + line + "\n");
        const int status = std::system(("timeout 300 bash " + dir.file("example.sh") + " >" +
                                        dir.file("example.out") + " 2>" + dir.file("example.err"))
                                           .c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                test::ReadBytes(dir.file("example.out")), test::ReadBytes(dir.file("example.err"))};
    }

    test::TestDatabase database_;
};

TEST_P(DocumentedExamplesTest, RunAsPrinted) {
    const std::vector<std::string> commands = DocumentedCommands();
    ASSERT_GE(commands.size(), 12u);
    ASSERT_EQ(commands.front(), "norvik-export demo");
    // The README's printed profile is the demo's: its line of Buchungen is the demo's File03.
    const std::string readme = test::ReadBytes(kSource + "/README.md");
    const std::string demo = test::ReadBytes(kSource + "/demo/definitions/FINANZBUCHHALTUNG.GDU");
    const size_t printed = readme.find("\nFile01=", readme.find("### `.GDU`")) + 8;
    const size_t line = demo.find("\nFile03=") + 8;
    EXPECT_EQ(readme.substr(printed, readme.find('\n', printed) - printed),
              demo.substr(line, demo.find_first_of("\r\n", line) - line));
    if (GetParam() != "sqlite") MakeServerDemo();
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        // demo makes SQLite homes only; the server's home stands in for it.
        if (command == "norvik-export demo" && GetParam() != "sqlite") continue;
        const CliOutcome r = Shell(command);
        EXPECT_EQ(r.code, 0) << r.err << r.out;
        // A quiet command that succeeds on clean data prints nothing at all.
        EXPECT_TRUE(!command.starts_with("norvik-export -q ") || r.err.empty()) << r.err;
    }
    const std::string csv = test::ReadBytes(dir.file("kunden.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 241);
    EXPECT_EQ(test::ReadBytes(dir.file("srv/export/kunden.csv")), csv);
    EXPECT_EQ(Shell("gzip -dc kunden.csv.gz").out, csv);
    const std::string findings = test::ReadBytes(dir.file("befunde.jsonl"));
    EXPECT_EQ(std::count(findings.begin(), findings.end(), '\n'), 1) << findings;
    EXPECT_NE(findings.find("\"errors\":0,\"warnings\":0"), std::string::npos) << findings;
    // The DATEV batch of the README reads as DATEV's description says, on every back end.
    for (const std::string& finding : test::DatevBatchFindings(
             test::ReadBytes(dir.file("srv/export/EXTF_Buchungsstapel_2026_03.csv"))))
        ADD_FAILURE() << finding;
    const std::string data = test::ReadBytes(dir.file("srv/gdpdu/buchungen.txt"));
    EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 2200);
    // The template points to the reference that comes with the package.
    EXPECT_NE(
        test::ReadBytes(dir.file("NEU.EXP")).find("/usr/share/doc/norvik-export/README.md.gz"),
        std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Backends, DocumentedExamplesTest,
                         ::testing::Values(std::string("sqlite"), std::string("postgresql")),
                         test::BackendName);

}  // namespace
}  // namespace norvik
