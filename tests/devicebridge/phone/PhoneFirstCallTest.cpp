// The adb client inside Hemlar.dll works from the very first call after
// loading: here that call is AdbRunCommand, on a fresh process.
#include "PhoneExportsFixture.h"

namespace {

TEST_F(PhoneExportsTest, AdbRunCommandAsTheFirstCallAfterLoading) {
    testsupport::ScratchDir pc;
    testsupport::WriteFileBytes(pc.File(L"first.txt"), "first call");
    auto runCommand = Export<int(__cdecl*)(const wchar_t*)>("AdbRunCommand");
    EXPECT_EQ(runCommand((L"push \"" + pc.File(L"first.txt") + L"\" /sdcard/first.txt").c_str()), 1);
    EXPECT_EQ(ReadFileBytes(peer_.PhoneFile(L"/sdcard/first.txt")), "first call");
}

}  // namespace
