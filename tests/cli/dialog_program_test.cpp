#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;

#ifdef NORVIK_WITH_GUI
// norvik-export hands its gui command to the dialog program beside it (or below libexec): the
// dialog program's own answer shows that it ran, a copy without it says what is missing.
TEST(DialogProgram, TheGuiCommandRunsInTheDialogProgram) {
    struct Case {
        bool alone;  // norvik-export copied into a folder of its own
        const char* said;
    };
    const Case cases[] = {
        {false, "Die Dialoge brauchen eine grafische Oberfläche"},
        {true, "Die Dialoge sind nicht installiert: "},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        std::string cli = NORVIK_CLI;
        if (c.alone) {
            cli = dir.file("norvik-export");
            fs::copy_file(NORVIK_CLI, cli);
        }
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 " + cli + " --home " +
            dir.file("home") + " gui 2>" + dir.file("err");
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << command;
        EXPECT_EQ(WEXITSTATUS(status), 1) << command;
        const std::string err = test::ReadBytes(dir.file("err"));
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
    }
}

// The point of the dialog program: the command line's start loads no window system.
TEST(DialogProgram, TheCommandLineLinksNoQt) {
    const std::string command = std::string("readelf -d ") + NORVIK_CLI;
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string needed;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
        if (std::strstr(line, "(NEEDED)")) needed += line;
    ASSERT_EQ(::pclose(pipe), 0) << command;
    EXPECT_NE(needed.find("libsqlite3"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("libQt"), std::string::npos) << needed;
}
#endif

}  // namespace
}  // namespace norvik
