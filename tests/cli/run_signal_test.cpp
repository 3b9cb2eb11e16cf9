#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "db/connection.h"
#include "host/db_protocol.h"
#include "support/test_support.h"

extern char** environ;

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

// Enough rows that a run is still busy when the test acts on it.
const char* const kManyRows =
    "SELECT * FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
    "1000000) SELECT i FROM n)";

class RunProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
        fs::create_directories(dir.path() / "home" / "Drivers" / "Export");
        fs::create_directories(dir.path() / "ausgabe");
        Definition("VIELE.EXP", "Viele", kManyRows);
        Definition("WENIGE.EXP", "Wenige", "SELECT 1 AS i");
    }

    void Definition(const std::string& file, const std::string& name, const std::string& source) {
        WriteBytes(dir.file("home/Drivers/Export/" + file),
                   test::DefinitionBytes("[Allgemein]\nName=" + name + "\nDatenquelle=" + source +
                                         "\nDateiname=" + output +
                                         "\nAnfuegenAenderbar=J\n[DATENSATZ]\nFIELD i,N,,0\n"));
    }

    // Starts norvik-export with the test's home; its output goes to files named after tag. The
    // child gets the default actions for SIGINT and SIGTERM, or SIGINT ignored as a shell starts a
    // background job, which the run would rightly keep.
    pid_t Start(const std::vector<std::string>& args, const std::string& tag,
                bool sigintIgnored = false) {
        std::vector<std::string> all = {NORVIK_CLI, "--home", dir.file("home")};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, dir.file(tag + ".out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, dir.file(tag + ".err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        struct sigaction ignore {
        }, before{};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGINT, sigintIgnored ? &ignore : nullptr, &before);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t stops;
        sigemptyset(&stops);
        if (!sigintIgnored) sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        posix_spawnattr_setsigdefault(&attributes, &stops);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, NORVIK_CLI, &actions, &attributes, argv.data(), environ), 0);
        ::sigaction(SIGINT, &before, nullptr);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // Starts as Start does and returns once the folder shows that the run has begun writing name.
    pid_t StartWriting(const std::vector<std::string>& args, const std::string& folder,
                       const std::string& name, bool sigintIgnored = false) {
        const int watch = Watch(folder);
        const pid_t pid = Start(args, args[0], sigintIgnored);
        AwaitWriting(watch, name);
        ::close(watch);
        return pid;
    }

    static int Wait(pid_t pid) {
        int status = 0;
        EXPECT_EQ(::waitpid(pid, &status, 0), pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    // Returns once the output folder shows that a run has begun writing (its file created or
    // changed).
    void AwaitWriting(int watch, const std::string& name = "out.txt") {
        char buffer[4096];
        for (;;) {
            pollfd p{watch, POLLIN, 0};
            ASSERT_EQ(::poll(&p, 1, 60000), 1) << "the run did not begin writing within a minute";
            const ssize_t n = ::read(watch, buffer, sizeof buffer);
            ASSERT_GT(n, 0);
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::string(event->name).find(name) != std::string::npos)
                    return;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    int Watch(const std::string& folder = "ausgabe") {
        const int watch = ::inotify_init1(IN_CLOEXEC);
        EXPECT_GE(watch, 0);
        EXPECT_GE(::inotify_add_watch(watch, dir.file(folder).c_str(), IN_CREATE | IN_MODIFY), 0);
        return watch;
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path() / "ausgabe"))
            names.push_back(e.path().filename().string());
        return names;
    }

    test::TempDir dir;
    std::string output = dir.file("ausgabe/out.txt");
};

TEST_F(RunProcessTest, ASignalStopsTheRunAndLeavesTheOutputAsItWas) {
    struct Case {
        int signal;
        const char* option;
        const char* before;  // nullptr: no file before
    };
    const Case cases[] = {
        {SIGINT, "--no-append", "gute alte Datei\r\n"},
        {SIGTERM, "--append", "gute alte Datei\r\n"},
        {SIGINT, "--no-append", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + " " + c.option);
        fs::remove(output);
        if (c.before) WriteBytes(output, c.before);
        const pid_t run = StartWriting({"run", "Viele", c.option}, "ausgabe", "out.txt");
        ASSERT_EQ(::kill(run, c.signal), 0);
        EXPECT_EQ(Wait(run), 128 + c.signal);
        if (c.before) {
            EXPECT_TRUE(ReadBytes(output) == c.before);
            EXPECT_EQ(Names(), std::vector<std::string>{"out.txt"});
        } else {
            EXPECT_TRUE(Names().empty());
        }
        const std::string err = ReadBytes(dir.file("run.err"));
        const size_t said =
            err.find("Der Export wurde abgebrochen; die Ausgabedatei ist unverändert.");
        EXPECT_NE(said, std::string::npos) << err;
        EXPECT_EQ(err.find("abgebrochen", said + 30), std::string::npos) << err;
        EXPECT_EQ(ReadBytes(dir.file("run.out")).find("abgebrochen"), std::string::npos);
        const auto entries =
            ReadProtocolEntries(*db::Connection::Open("sqlite:" + dir.file("home/host.sqlite")), 1);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(
            entries[0].lines,
            (std::vector<std::string>{
                "Fehler: 18 Der Export wurde abgebrochen; die Ausgabedatei ist unverändert."}));
    }
}

TEST_F(RunProcessTest, ARunStartedWithSigintIgnoredKeepsIgnoringIt) {
    const pid_t run = StartWriting({"run", "Viele"}, "ausgabe", "out.txt", true);
    ASSERT_EQ(::kill(run, SIGINT), 0);
    EXPECT_EQ(Wait(run), 0) << ReadBytes(dir.file("run.err"));
    const std::string written = ReadBytes(output);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1000000);
}

TEST_F(RunProcessTest, ASignalStopsAGdpduBuildAndLeavesTheEarlierMedium) {
    const std::string exports = dir.file("home/Drivers/Export/");
    fs::create_directories(dir.path() / "medium");
    fs::copy_file(test::PublishedDtd(), exports + "gdpdu-01-08-2002.dtd");
    std::string files;
    for (const auto& [name, source] :
         {std::pair<std::string, std::string>{"wenige", "SELECT 1 AS i"}, {"viele", kManyRows}}) {
        WriteBytes(
            exports + name + ".exp",
            test::DefinitionBytes("[Allgemein]\nName=" + name + "\nDatenquelle=" + source +
                                  "\nDateiname=" + name + ".txt\n[DATENSATZ]\nFIELD i,N,,0\n"));
        files += "File0" + std::to_string(files.empty() ? 1 : 2) + "=" + exports + name + ".exp;;" +
                 name + ";" + name + ";" + name + "\n";
    }
    WriteBytes(exports + "GROSS.GDU",
               test::DefinitionBytes("[Allgemein]\nName=Gross\nPfad=" + dir.file("medium") +
                                     "\n[Dateien]\n" + files));
    const std::vector<std::string> build = {"gdpdu",      "Gross", "--from",
                                            "01.01.2026", "--to",  "31.12.2026"};
    auto earlier = build;
    earlier.insert(earlier.end(), {"--table", "wenige"});
    ASSERT_EQ(Wait(Start(earlier, "earlier")), 0) << ReadBytes(dir.file("earlier.err"));
    const auto snapshot = [this] {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::directory_iterator(dir.path() / "medium"))
            files[e.path().filename().string()] = ReadBytes(e.path().string());
        return files;
    };
    const auto before = snapshot();
    ASSERT_TRUE(before.contains("Index.xml"));

    // The build writes into a staging folder of its own; the signal comes while it writes the
    // large table there.
    const int watch = Watch("medium");
    auto all = build;
    all.push_back("--all-tables");
    const pid_t run = Start(all, "build");
    AwaitWriting(watch, ".norvik-medium-");
    for (const auto& e : fs::directory_iterator(dir.path() / "medium"))
        if (e.path().filename().string().starts_with(".norvik-medium-")) {
            ASSERT_GE(::inotify_add_watch(watch, e.path().c_str(), IN_CREATE | IN_MODIFY), 0);
        }
    AwaitWriting(watch, "viele.txt");
    ::close(watch);
    ASSERT_EQ(::kill(run, SIGTERM), 0);
    EXPECT_EQ(Wait(run), 128 + SIGTERM) << ReadBytes(dir.file("build.err"));
    EXPECT_EQ(snapshot(), before);
    const std::string err = ReadBytes(dir.file("build.err"));
    EXPECT_NE(err.find("Die Datenausgabe wurde abgebrochen; der Ordner und ein früherer "
                       "Datenträger darin sind unverändert."),
              std::string::npos)
        << err;
    EXPECT_EQ(ReadBytes(dir.file("build.out")).find("erfolgreich"), std::string::npos);
}

TEST_F(RunProcessTest, LeftoversOfAKilledRunGoUnlessARunHoldsThem) {
    const std::string left = dir.file("ausgabe/.out.txt.norvik-99999-1");
    const std::string held = dir.file("ausgabe/.out.txt.norvik-99999-2");
    WriteBytes(left, "halb");
    WriteBytes(held, "in Arbeit");
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_SH), 0);
    EXPECT_EQ(Wait(Start({"run", "Wenige"}, "run")), 0) << ReadBytes(dir.file("run.err"));
    EXPECT_EQ(ReadBytes(output), "1\r\n");
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::exists(held));
    ::close(holder);
}

// The runs in the dialogs are the X11 tests' (x11/signal_stops_dialog_run.sh); here the exit
// status, which a shell cannot tell from a death by the signal. The database is created once the
// handlers are in place; the dialogs' event loop then ends at its start.
TEST_F(RunProcessTest, ASignalEndsTheDialogsWithoutARun) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Leak reports of the window system's libraries are not this test's concern.
    const char* asan = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS",
             (asan && *asan ? std::string(asan) + ":" : "").append("detect_leaks=0").c_str(), 1);
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove(dir.file("home/host.sqlite"));
        const pid_t gui = StartWriting({"gui"}, "home", "host.sqlite");
        ASSERT_EQ(::kill(gui, signal), 0);
        EXPECT_EQ(Wait(gui), 128 + signal) << ReadBytes(dir.file("gui.err"));
    }
    // Started with SIGINT ignored it stays so: SIGTERM alone ends the program.
    fs::remove(dir.file("home/host.sqlite"));
    const pid_t gui = StartWriting({"gui"}, "home", "host.sqlite", true);
    ASSERT_EQ(::kill(gui, SIGINT), 0);
    ASSERT_EQ(::kill(gui, SIGTERM), 0);
    EXPECT_EQ(Wait(gui), 128 + SIGTERM) << ReadBytes(dir.file("gui.err"));
}

}  // namespace
}  // namespace norvik
