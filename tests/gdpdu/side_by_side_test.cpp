// Checks of handover packages side by side: each unpacks into a private folder below $TMPDIR and
// removes the folders that killed checks left, and none may take another's. An "old-style" cleaner
// stands in for a check that cannot tell whether a folder's process lives (one in another PID
// namespace sharing the temporary folder): it takes every folder it can lock the moment inotify
// shows it, before its owner can have locked it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/private_folder.h"
#include "gdpdu/handover_zip.h"
#include "medium/medium_names.h"
#include "support/test_support.h"

extern char** environ;

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

constexpr int kChecksAtOnce = 32;

// Runs a cleaner that takes "norvik-check-…" folders in dir as they appear, whenever it can lock
// them, until the object ends.
class GreedyCleaner {
  public:
    explicit GreedyCleaner(const std::string& dir) {
        int ready[2];
        if (pipe(ready) != 0) throw std::runtime_error("no pipe");
        pid_ = fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int watch = inotify_init1(IN_CLOEXEC);
            const bool watching =
                watch >= 0 && inotify_add_watch(watch, dir.c_str(), IN_CREATE) >= 0;
            (void)!write(ready[1], watching ? "1" : "0", 1);
            if (!watching) _exit(1);
            alignas(inotify_event) char buffer[65536];
            for (;;) {
                const ssize_t n = read(watch, buffer, sizeof buffer);
                for (ssize_t at = 0; at < n;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                    if (event->len == 0 || std::string(event->name).rfind("norvik-check-", 0) != 0)
                        continue;
                    const std::string path = dir + "/" + event->name;
                    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
                    if (fd < 0) continue;
                    std::error_code ec;
                    if (flock(fd, LOCK_EX | LOCK_NB) == 0) fs::remove_all(path, ec);
                    close(fd);
                }
            }
        }
        close(ready[1]);
        char answer = '0';
        if (read(ready[0], &answer, 1) != 1 || answer != '1') ADD_FAILURE() << "no inotify";
        close(ready[0]);
    }
    ~GreedyCleaner() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    GreedyCleaner(const GreedyCleaner&) = delete;
    GreedyCleaner& operator=(const GreedyCleaner&) = delete;

  private:
    pid_t pid_ = -1;
};

// Sets $TMPDIR for the test's process, as it was afterwards.
class TemporaryFolderSet {
  public:
    explicit TemporaryFolderSet(const std::string& dir) {
        if (const char* old = std::getenv("TMPDIR")) old_ = old;
        had_ = std::getenv("TMPDIR") != nullptr;
        setenv("TMPDIR", dir.c_str(), 1);
    }
    ~TemporaryFolderSet() {
        if (had_)
            setenv("TMPDIR", old_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    TemporaryFolderSet(const TemporaryFolderSet&) = delete;
    TemporaryFolderSet& operator=(const TemporaryFolderSet&) = delete;

  private:
    std::string old_;
    bool had_ = false;
};

// The names in dir that start with "norvik-check-".
std::vector<std::string> CheckFolders(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename().string().starts_with("norvik-check-"))
            names.push_back(entry.path().filename().string());
    return names;
}

// A good package of the medium Konten.
std::string GoodPackage(const TempDir& dir) {
    const std::string folder = dir.file("Medium");
    fs::copy(fs::path(NORVIK_SOURCE_DIR) / "tests/gdpdu/cases/check/G404", folder);
    WriteBytes(folder + "/konten.txt", "1000;\"Kasse\"\r\n");
    fs::copy_file(PublishedDtd(), folder + "/" + kGdpduDtdName);
    WriteHandoverZip(folder, HashMediumFiles(folder, PackageOrder({"konten.txt"})), "Protokoll",
                     folder + ".zip");
    return folder + ".zip";
}

// Runs count checks of the package at once with $TMPDIR at tmp; the output of each that did not
// find the package clean, with its exit code.
std::vector<std::string> ChecksAtOnce(const std::string& zip, const std::string& tmp,
                                      const std::string& outputs, int count) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (!std::string(*e).starts_with("TMPDIR=")) env.emplace_back(*e);
    env.push_back("TMPDIR=" + tmp);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = NORVIK_CLI, check = "check", target = zip;
    char* argv[] = {program.data(), check.data(), target.data(), nullptr};
    fs::create_directories(outputs);
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = outputs + "/" + std::to_string(i) + ".txt";
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        pids.push_back(pid);
    }
    std::vector<std::string> failed;
    for (size_t i = 0; i < pids.size(); ++i) {
        int status = 0;
        waitpid(pids[i], &status, 0);
        const std::string out = ReadBytes(outputs + "/" + std::to_string(i) + ".txt");
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            out != "Datenträger geprüft: keine Befunde.\n")
            failed.push_back("status " + std::to_string(status) + ": " + out);
    }
    return failed;
}

// Many checks of one valid package at once all find it clean; the folders of checks that died
// go, the one of a live process stays, and nothing of the checks is left.
TEST(HandoverCheckSideBySide, ManyChecksOfOnePackageAtOnceAllFindItClean) {
    TempDir dir;
    const std::string zip = GoodPackage(dir);
    const std::string tmp = dir.file("tmp");
    fs::create_directories(tmp);
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    const std::string deadOwners = "norvik-check-" + std::to_string(dead) + "-Ab12Cd";
    const std::string oldStyle = "norvik-check-Xy34Zw";
    const std::string liveOwners = "norvik-check-" + std::to_string(getpid()) + "-Ef56Gh";
    for (const std::string& name : {deadOwners, oldStyle, liveOwners})
        WriteBytes(tmp + "/" + name + "/konten.txt", "1000;\"Kasse\"\r\n");

    for (const std::string& failure : ChecksAtOnce(zip, tmp, dir.file("out-1"), kChecksAtOnce))
        ADD_FAILURE() << failure;
    EXPECT_EQ(CheckFolders(tmp), std::vector<std::string>{liveOwners});

    {
        const GreedyCleaner cleaner(tmp);
        for (const std::string& failure : ChecksAtOnce(zip, tmp, dir.file("out-2"), kChecksAtOnce))
            ADD_FAILURE() << failure;
    }
    // The cleaner saw only the folders made after it started.
    for (const std::string& name : CheckFolders(tmp)) EXPECT_EQ(name, liveOwners);
}

}  // namespace
}  // namespace norvik::test
