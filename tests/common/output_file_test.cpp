#include "common/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "common/file_io.h"
#include "common/vb_error.h"
#include "support/cases.h"
#include "support/test_support.h"

namespace norvik {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

class OutputFileTest : public ::testing::Test {
  protected:
    // The names in the folder, so that a left-over temporary file shows.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    std::string target = dir.file("out.txt");
};

// The cases of cases/output_ends.tsv.
TEST_F(OutputFileTest, EachEndOfARunLeavesTheFileItPromises) {
    for (const test::CaseRow& c : test::ReadCases("common/cases/output_ends.tsv")) {
        SCOPED_TRACE(c.where + " " + c[0]);
        const bool existed = c[1] == "1", append = c[2] == "1";
        fs::remove(target);
        if (existed) WriteBytes(target, "alt\r\n");
        OutputFile out;
        out.Open(target, append);
        out.WriteLine("neu");
        // Until the run ends, a replaced file still holds what it held.
        if (existed && !append) {
            EXPECT_EQ(ReadBytes(target), "alt\r\n");
        }
        if (c[3] == "Commit")
            out.Commit();
        else
            EXPECT_TRUE(out.Discard());
        EXPECT_FALSE(out.IsOpen());
        if (c[4] != "-") {
            EXPECT_EQ(ReadBytes(target), c[4]);
            EXPECT_EQ(Names(), std::vector<std::string>{"out.txt"});
        } else {
            EXPECT_FALSE(fs::exists(target));
            EXPECT_TRUE(Names().empty());
        }
    }
}

TEST_F(OutputFileTest, ASecondWriterOfTheSameFileIsRefused) {
    WriteBytes(target, "alt\r\n");
    OutputFile first;
    first.Open(target, false);
    first.WriteLine("erster");
    for (bool append : {false, true}) {
        const std::string same = dir.path().string() + "/./out.txt";
        EXPECT_EQ(test::RaisedBy([&] { OutputFile().Open(same, append); }),
                  std::to_string(kErrPermissionDenied) + ": " + kOutputBusyMessage + same);
    }
    first.Commit();
    EXPECT_EQ(ReadBytes(target), "erster\r\n");
    OutputFile third;
    third.Open(target, true);
    third.Commit();
}

TEST_F(OutputFileTest, ALockHeldByAnotherProcessRefusesTheRun) {
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OutputFile out;
        out.Open(target, false);
        out.WriteLine("vom anderen Prozess");
        char c = 'r';
        if (::write(ready[1], &c, 1) != 1 || ::read(release[0], &c, 1) != 1) ::_exit(2);
        out.Commit();
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    OutputFile mine;
    EXPECT_THROW(mine.Open(target, false), VbError);
    ASSERT_EQ(::write(release[1], &c, 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(target), "vom anderen Prozess\r\n");
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

TEST_F(OutputFileTest, AFileWhoseFolderVanishedIsNotACompletedRun) {
    for (bool append : {false, true}) {
        SCOPED_TRACE(append ? "append" : "replace");
        const std::string folder = dir.file("weg");
        fs::create_directories(folder);
        OutputFile out;
        out.Open(folder + "/out.txt", append);
        out.WriteLine("zeile");
        fs::remove_all(folder);
        EXPECT_EQ(
            test::RaisedBy([&] { out.Commit(); }),
            std::to_string(kErrFileNotFound) + ": " + kOutputVanishedMessage + folder + "/out.txt");
        out.Discard();
        EXPECT_FALSE(fs::exists(folder));
    }
}

TEST_F(OutputFileTest, LinksDevicesAndPermissionsAreRespected) {
    // A link is followed: the real file is replaced, the link stays.
    const std::string real = dir.file("real.txt");
    WriteBytes(real, "alt\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, target);
    OutputFile out;
    out.Open(target, false);
    out.WriteLine("neu");
    out.Commit();
    EXPECT_TRUE(fs::is_symlink(target));
    EXPECT_EQ(ReadBytes(real), "neu\r\n");
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A device is written as it is.
    OutputFile device;
    device.Open("/dev/null", false);
    device.WriteLine("nichts");
    device.Commit();
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // A missing folder is a path error, as before.
    const std::string missing =
        test::RaisedBy([&] { OutputFile().Open(dir.file("fehlt/out.txt"), false); });
    EXPECT_EQ(missing.rfind(std::to_string(kErrPathNotFound) + ": ", 0), 0u) << missing;
}

TEST(WriteAll, RaisesTheClassicErrorNamingThePath) {
    test::TempDir dir;
    const std::string readOnly = dir.file("read-only.txt");
    test::WriteBytes(readOnly, "x");
    struct Case {
        const char* path;
        int flags;
        int32_t number;
        int err;
    };
    const Case cases[] = {
        {"/dev/full", O_WRONLY, kErrDiskFull, ENOSPC},
        {readOnly.c_str(), O_RDONLY, kErrDeviceIo, EBADF},
    };
    for (const Case& c : cases) {
        const int fd = ::open(c.path, c.flags | O_CLOEXEC);
        ASSERT_GE(fd, 0) << c.path;
        EXPECT_EQ(TryWriteAll(fd, "data"), c.err) << c.path;
        EXPECT_EQ(
            test::RaisedBy([&] { WriteAll(fd, "data", c.path); }),
            std::to_string(c.number) + ": " + VbError::DescriptionOf(c.number) + ": " + c.path);
        ::close(fd);
    }
}

}  // namespace
}  // namespace norvik
