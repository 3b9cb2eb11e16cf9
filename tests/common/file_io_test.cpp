#include "common/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "support/test_support.h"

namespace norvik {
namespace {

TEST(WriteAll, WritesEveryByte) {
    test::TempDir dir;
    const std::string path = dir.file("out.bin");
    std::string bytes(256 * 1024 + 7, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    WriteAll(fd, bytes, path);
    ::close(fd);
    EXPECT_EQ(test::ReadBytes(path), bytes);
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
        try {
            WriteAll(fd, "data", c.path);
            ADD_FAILURE() << "no error for " << c.path;
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), c.number);
            EXPECT_EQ(e.Description(), VbError::DescriptionOf(c.number) + ": " + c.path);
        }
        ::close(fd);
    }
}

}  // namespace
}  // namespace norvik
