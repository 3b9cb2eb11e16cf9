#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/cli_fixture.h"
#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;

// norvik-export check on case media of the check's own tests (tests/gdpdu/cases/check).
class CheckCliTest : public test::CliFixture {
  protected:
    void SetUp() override {
        CliFixture::SetUp();
        if (test::PublishedDtd().empty()) GTEST_SKIP() << test::DtdMissing();
    }
    // A copy of the case medium with the published DTD beside it.
    std::string Medium(const std::string& name) {
        fs::copy(Cases() / name, dir.file(name));
        fs::copy_file(test::PublishedDtd(), dir.file(name + "/gdpdu-01-08-2002.dtd"));
        return dir.file(name);
    }
    static fs::path Cases() { return fs::path(NORVIK_SOURCE_DIR) / "tests/gdpdu/cases/check"; }
};

TEST_F(CheckCliTest, ExitCodesSayWhetherTheMediumImportsCleanly) {
    const struct {
        std::string medium;
        int code;
        const char* summary;
    } cases[] = {
        {"layouts-in-ranges-of-their-own", 0, "Datenträger geprüft: keine Befunde.\n"},
        {"G601-1", 1, "Datenträger geprüft: 1 Fehler.\n"},
        {"G307", 3, "Datenträger geprüft: 1 Warnung.\n"},
    };
    for (const auto& c : cases) {
        const CliOutcome r = Run({"check", Medium(c.medium)});
        EXPECT_EQ(r.code, c.code) << c.medium;
        EXPECT_EQ(r.out, test::ReadBytes((Cases() / (c.medium + ".txt")).string()) + c.summary);
        EXPECT_EQ(r.err, "") << c.medium;
    }
    // The check needs no home: it reads the folder only.
    EXPECT_FALSE(fs::exists(home()));
}

TEST_F(CheckCliTest, WithoutThePublishedDtdTheCopyIsNotComparedAndThatIsSaid) {
    const std::string medium = Medium("layouts-in-ranges-of-their-own");
    // Neither $NORVIK_SHARED_DIR nor ../shared seen from the working folder holds it.
    const char* shared = std::getenv("NORVIK_SHARED_DIR");
    const std::string before = shared ? shared : "";
    const fs::path cwd = fs::current_path();
    fs::create_directories(dir.file("leer/arbeit"));
    ::setenv("NORVIK_SHARED_DIR", dir.file("leer").c_str(), 1);
    fs::current_path(dir.file("leer/arbeit"));
    const CliOutcome r = Run({"check", medium});
    fs::current_path(cwd);
    if (shared)
        ::setenv("NORVIK_SHARED_DIR", before.c_str(), 1);
    else
        ::unsetenv("NORVIK_SHARED_DIR");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "Hinweis: die veröffentlichte gdpdu-01-08-2002.dtd wurde nicht gefunden "
              "($NORVIK_SHARED_DIR/gdpdu/ oder ../shared/gdpdu/); die Kopie auf dem Datenträger "
              "wurde nicht mit ihr verglichen.\n"
              "Datenträger geprüft: keine Befunde.\n");
}

}  // namespace
}  // namespace norvik
