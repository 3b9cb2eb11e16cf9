#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/cli_fixture.h"
#include "db/connection.h"
#include "host/db_protocol.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

// Enough rows that a run is still busy when the test acts on it.
const char* const kManyRows =
    "SELECT * FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
    "1000000) SELECT i FROM n)";

class RunProcessTest : public test::CliFixture {
  protected:
    void SetUp() override {
        CliFixture::SetUp();
        fs::create_directories(exports());
        fs::create_directories(dir.path() / "ausgabe");
        fs::create_directories(dir.path() / "medium");
        Definition("VIELE.EXP", "Viele", kManyRows);
        Definition("WENIGE.EXP", "Wenige", "SELECT 1 AS i");
        // A profile of both, whose tables go to the medium's own files.
        fs::copy_file(test::PublishedDtd(), exports() + "gdpdu-01-08-2002.dtd");
        Definition("TABELLE1.EXP", "Tabelle 1", "SELECT 1 AS i", "wenige.txt");
        Definition("TABELLE2.EXP", "Tabelle 2", kManyRows, "viele.txt");
        WriteBytes(exports() + "GROSS.GDU",
                   test::DefinitionBytes("[Allgemein]\nName=Gross\nPfad=" + dir.file("medium") +
                                         "\n[Dateien]\nFile01=" + exports() +
                                         "TABELLE1.EXP;;wenige;wenige;wenige\nFile02=" + exports() +
                                         "TABELLE2.EXP;;viele;viele;viele\n"));
    }

    void Definition(const std::string& file, const std::string& name, const std::string& source,
                    const std::string& target = "") {
        WriteBytes(exports() + file,
                   test::DefinitionBytes("[Allgemein]\nName=" + name + "\nDatenquelle=" + source +
                                         "\nDateiname=" + (target.empty() ? output : target) +
                                         "\nAnfuegenAenderbar=J\n[DATENSATZ]\nFIELD i,N,,0\n"));
    }

    // Starts norvik-export with the test's home, its output in files named after tag; SIGINT and
    // SIGTERM at their defaults, or SIGINT ignored as a shell starts a background job.
    pid_t Start(const std::vector<std::string>& args, const std::string& tag,
                bool sigintIgnored = false) {
        std::vector<std::string> all = {NORVIK_CLI, "--home", home()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string out = dir.file(tag + ".out"), err = dir.file(tag + ".err");
        const pid_t pid = ::fork();
        if (pid == 0) {  // only calls that are safe between fork and exec
            ::signal(SIGINT, sigintIgnored ? SIG_IGN : SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            ::execv(NORVIK_CLI, argv.data());
            ::_exit(127);
        }
        EXPECT_GT(pid, 0);
        return pid;
    }

    static int Wait(pid_t pid) {
        int status = 0;
        EXPECT_EQ(::waitpid(pid, &status, 0), pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    // Returns once a watched folder shows that a file named so was created or changed.
    void AwaitWriting(int watch, const std::string& name) {
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

    std::map<std::string, std::string> Files(const std::string& folder) const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::directory_iterator(dir.path() / folder))
            files[e.path().filename().string()] =
                e.is_directory() ? "(folder)" : ReadBytes(e.path().string());
        return files;
    }

    std::string output = dir.file("ausgabe/out.txt");
};

// The cases of cases/run_signals.tsv.
TEST_F(RunProcessTest, ASignalStopsTheProgramAndLeavesTheOutputAsItWas) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    for (const test::CaseRow& c : test::ReadCases("cli/cases/run_signals.tsv")) {
        SCOPED_TRACE(c.where);
        std::vector<std::string> args;
        std::istringstream words(c[0]);
        for (std::string word; words >> word;) args.push_back(word);
        const std::string& tag = args[0];
        // Leak reports of the window system's libraries are not this test's concern.
        ::setenv(
            "ASAN_OPTIONS",
            (tag != "gui" ? asan : (asan.empty() ? "" : asan + ":") + "detect_leaks=0").c_str(), 1);
        // The dialogs create the database once the handlers are in place.
        if (tag == "gui") fs::remove(dir.file("home/host.sqlite"));
        fs::remove(output);
        if (c[6] != "-") WriteBytes(output, c[6]);
        const auto before = Files(c[1]);
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(watch, dir.file(c[1]).c_str(), IN_CREATE | IN_MODIFY), 0);
        const pid_t pid = Start(args, tag, c[3] == "1");
        std::istringstream awaited(c[2]);
        std::string name;
        awaited >> name;
        if (name != "-") AwaitWriting(watch, name);
        for (std::string next; awaited >> next; name = next) {
            for (const auto& e : fs::directory_iterator(dir.path() / c[1]))
                if (e.path().filename().string().starts_with(name)) {
                    ASSERT_GE(::inotify_add_watch(watch, e.path().c_str(), IN_CREATE | IN_MODIFY),
                              0);
                }
            AwaitWriting(watch, next);
        }
        ::close(watch);
        std::istringstream signals(c[4]);
        for (std::string s; signals >> s && s != "-";)
            ASSERT_EQ(::kill(pid, s == "INT" ? SIGINT : SIGTERM), 0);
        EXPECT_EQ(Wait(pid), std::stoi(c[5])) << ReadBytes(dir.file(tag + ".err"));
        if (tag == "run" && c[5] == "0") {
            const std::string written = ReadBytes(output);
            EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1000000);
        }
        EXPECT_TRUE(tag != "gdpdu" || c[5] != "0" || Files(c[1]).contains("Index.xml"));
        if (c[7] == "-") continue;
        EXPECT_EQ(Files(c[1]), before);
        const std::string err = ReadBytes(dir.file(tag + ".err"));
        const size_t said = err.find(c[7]);
        EXPECT_NE(said, std::string::npos) << err;
        EXPECT_EQ(err.find("abgebrochen", said + 30), std::string::npos) << err;
        const std::string out = ReadBytes(dir.file(tag + ".out"));
        EXPECT_EQ(out.find("abgebrochen"), std::string::npos) << out;
        EXPECT_EQ(out.find("erfolgreich"), std::string::npos) << out;
        if (tag != "run") continue;
        const auto entries =
            ReadProtocolEntries(*db::Connection::Open("sqlite:" + dir.file("home/host.sqlite")), 1);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].lines, std::vector<std::string>{"Fehler: 18 " + c[7]});
    }
    ::setenv("ASAN_OPTIONS", asan.c_str(), 1);
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

}  // namespace
}  // namespace norvik
