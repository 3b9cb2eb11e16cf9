// Checks of handover packages side by side: each unpacks into a private folder below $TMPDIR and
// removes the folders that killed checks left, and none may take another's. An "old-style" cleaner
// stands in for a check that cannot tell whether a folder's process lives (one in another PID
// namespace sharing the temporary folder): it takes every folder it can lock the moment inotify
// shows it under its name, made or renamed there.

#include <fcntl.h>
#include <gtest/gtest.h>
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

#include "packages.h"

namespace norvik::test {
namespace {

namespace fs = std::filesystem;

constexpr int kChecksAtOnce = 32;

// Runs a cleaner that takes "norvik-check-…" folders in dir as they appear, whenever it can lock
// them, until the object ends.
class GreedyCleaner {
  public:
    explicit GreedyCleaner(const std::string& dir) {
        // Watching before the checks start, so that it sees every folder they make.
        const int watch = inotify_init1(IN_CLOEXEC);
        if (watch < 0 || inotify_add_watch(watch, dir.c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
            ADD_FAILURE() << "no inotify";
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
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
        close(watch);
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

// The names in dir that start with "norvik-check-", hidden ones too.
std::vector<std::string> CheckFolders(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        if (const std::string name = entry.path().filename().string();
            name.starts_with("norvik-check-") || name.starts_with(".norvik-check-"))
            names.push_back(name);
    return names;
}

// Runs count checks of the package at once with $TMPDIR at tmp; the output of each that did not
// find the package clean, with its exit status.
std::vector<std::string> ChecksAtOnce(const std::string& zip, const std::string& tmp,
                                      const std::string& outputs, int count) {
    fs::create_directories(outputs);
    const std::string command = "cd '" + outputs + "' && for i in $(seq " + std::to_string(count) +
                                "); do (TMPDIR='" + tmp + "' '" + NORVIK_CLI + "' check '" + zip +
                                "' >$i.txt 2>&1; echo \"exit $?\" >>$i.txt) & done; wait";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::vector<std::string> failed;
    for (int i = 1; i <= count; ++i) {
        const std::string out = ReadBytes(outputs + "/" + std::to_string(i) + ".txt");
        if (out != "Datenträger geprüft: keine Befunde.\nexit 0\n") failed.push_back(out);
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
    // A check killed before its folder was renamed into place leaves it hidden.
    const std::string deadHidden = ".norvik-check-" + std::to_string(dead) + "-Ij78Kl";
    for (const std::string& name : {deadOwners, oldStyle, liveOwners, deadHidden})
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
