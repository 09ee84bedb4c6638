// The handle layer: numbering, bad numbers and the open errors.
#include "adb/sysdeps_win32.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>
#include <vector>

namespace {

TEST(AdbHandles, NumbersStartAt100AndAreReusedLowestFirstOnceAllWereTaken) {
    AdbInitHandleTable();
    testsupport::ScratchDir dir;
    std::wstring file = dir.File(L"f.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "abc"));
    std::vector<int> open;
    for (int i = 0; i < kAdbHandleCount; ++i) open.push_back(OpenFileRead(file.c_str()));
    EXPECT_EQ(open.front(), 100);
    EXPECT_EQ(open.back(), 100 + kAdbHandleCount - 1);
    EXPECT_EQ(OpenFileRead(file.c_str()), -1);
    EXPECT_EQ(errno, ENOMEM);
    ASSERT_EQ(HandleClose(105), 0);
    ASSERT_EQ(HandleClose(103), 0);
    EXPECT_EQ(OpenFileRead(file.c_str()), 103);
    EXPECT_EQ(OpenFileRead(file.c_str()), 105);
    for (int fd : open) HandleClose(fd);
}

TEST(AdbHandles, BadNumbersFailWithEbadf) {
    char byte;
    for (int fd : {-1, 0, 99, 100 + kAdbHandleCount, 100000}) {
        errno = 0;
        EXPECT_EQ(HandleRead(fd, &byte, 1), -1) << fd;
        EXPECT_EQ(errno, EBADF) << fd;
        errno = 0;
        EXPECT_EQ(HandleClose(fd), -1) << fd;
        EXPECT_EQ(errno, EBADF) << fd;
    }
    testsupport::ScratchDir dir;
    std::wstring file = dir.File(L"f.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "abc"));
    int fd = OpenFileRead(file.c_str());
    ASSERT_GE(fd, 100);
    ASSERT_EQ(HandleClose(fd), 0);
    EXPECT_EQ(HandleRead(fd, &byte, 1), -1);
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(HandleClose(fd), -1);
}

// The calls that only mean something for a connection refuse a file with
// ENOTSOCK and a number that is not open with EBADF, leaving the file usable.
TEST(AdbHandles, SocketOnlyCallsRefuseFilesAndBadNumbers) {
    testsupport::ScratchDir dir;
    std::wstring file = dir.File(L"f.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "abc"));
    int fd = OpenFileRead(file.c_str());
    ASSERT_GE(fd, 100);
    const std::pair<const char*, int (*)(int)> calls[] = {
        {"HandleShutdown", HandleShutdown},
        {"HandleWaitWithoutBound", HandleWaitWithoutBound},
        {"HandleUseBulkSendBuffer", HandleUseBulkSendBuffer},
    };
    for (const auto& [name, call] : calls) {
        errno = 0;
        EXPECT_EQ(call(fd), -1) << name;
        EXPECT_EQ(errno, ENOTSOCK) << name;
        errno = 0;
        EXPECT_EQ(call(99), -1) << name;
        EXPECT_EQ(errno, EBADF) << name;
    }
    char text[4] = {};
    EXPECT_EQ(ReadExactly(fd, text, 3), 0);
    EXPECT_STREQ(text, "abc");
    HandleClose(fd);
}

TEST(AdbHandles, OpenErrorsAndFileRoundTrip) {
    testsupport::ScratchDir dir;
    EXPECT_EQ(OpenFileRead(dir.File(L"missing-folder\\f.txt").c_str()), -1);
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_EQ(OpenFileRead(dir.File(L"missing.txt").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);

    std::wstring file = dir.File(L"\xD55C\xAE00.bin");  // not in the ANSI code page
    int out = CreateFileWrite(file.c_str());
    ASSERT_GE(out, 100);
    EXPECT_EQ(WriteExactly(out, "hello", 5), 0);
    EXPECT_EQ(HandleSeek(out, 0, 7), -1);
    EXPECT_EQ(errno, EINVAL);
    HandleClose(out);
    int in = OpenFileRead(file.c_str());
    char text[6] = {};
    EXPECT_EQ(ReadExactly(in, text, 5), 0);
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(ReadExactly(in, text, 1), -1);  // end of file
    HandleClose(in);
}

}  // namespace
