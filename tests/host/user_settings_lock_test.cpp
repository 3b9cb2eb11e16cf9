#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "host/user_settings.h"
#include "support/test_support.h"

namespace norvik {
namespace {

constexpr int kWriters = 8;
constexpr int kKeysEach = 20;

std::string KeyOf(int writer, int key) {
    return "Prozess " + std::to_string(writer) + " Definition " + std::to_string(key);
}

std::string ValueOf(int writer, int key) {
    return "/srv/daten/p" + std::to_string(writer) + "/datei" + std::to_string(key) + ".txt";
}

TEST(UserSettingsLock, ConcurrentWritersKeepEveryKey) {
    test::TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            // A writer stuck on the lock ends by the signal instead of holding up the test; all
            // wait at the gate so that they start together.
            ::alarm(60);
            ::close(gate[1]);
            char c;
            while (::read(gate[0], &c, 1) < 0 && errno == EINTR) {
            }
            try {
                for (int k = 0; k < kKeysEach; ++k)
                    SaveSetting("TQBExport", "Schnittstelle", KeyOf(w, k), ValueOf(w, k));
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        if (pid < 0) break;
        writers.push_back(pid);
    }
    // Closing the write end lets every waiting writer's read return at once.
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    ASSERT_EQ(writers.size(), size_t{kWriters});

    int lost = 0;
    for (int w = 0; w < kWriters; ++w)
        for (int k = 0; k < kKeysEach; ++k)
            lost += GetSetting("TQBExport", "Schnittstelle", KeyOf(w, k)) != ValueOf(w, k);
    EXPECT_EQ(lost, 0) << "of " << kWriters * kKeysEach << " keys";

    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "norvik-export"))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace norvik
