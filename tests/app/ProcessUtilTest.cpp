// Process and path utilities: the program folder, form encoding, starting a
// program from a path with blanks, and ending the phone service processes.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "ChildProcess.h"
#include "TestPaths.h"
#include "util/ProcessUtil.h"

namespace {

std::wstring ChildProgram() { return testsupport::ProgramFolder() + L"app_ready_child.exe"; }

int CountProcesses(const wchar_t* image) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, image) == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

}  // namespace

TEST(ProcessUtil, ModuleFolderIsTheExecutablesFolderWithoutTrailingBackslash) {
    std::wstring expected = testsupport::ProgramFolder();
    expected.pop_back();
    EXPECT_EQ(expected, GetModuleFolderW());
    EXPECT_EQ(testsupport::ToAnsi(expected), GetModuleFolderA());
}

TEST(ProcessUtil, UrlEncodeFormKeepsUnreservedBytesAndEscapesTheRest) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a b", "a+b"},       {"x-y", "x-y"},     {"a/b", "a%2Fb"}, {"~._", "~._"},
        {"\xE4", "%E4"},      {"", ""},           {"A9z", "A9z"},   {"&=?%", "%26%3D%3F%25"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, UrlEncodeForm(c.in)) << c.in;
}

TEST(ProcessUtil, TranslateKeepsOnlyTheLastResult) {
    CTCharTranslate translate;
    EXPECT_STREQ("\xD6\xD0", translate.ToNarrow(L"中"));  // code page 936
    EXPECT_STREQ(L"中", translate.ToWide("\xD6\xD0"));
    EXPECT_STREQ("", translate.ToNarrow(L""));
    EXPECT_EQ(L"abc", NarrowToWideString("abc", translate));
}

TEST(ProcessUtil, StartProcessRunsAProgramWithBlanksInItsOwnFolder) {
    testsupport::ScratchDir dir;
    const std::wstring folder = dir.Path() + L"with blanks";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring program = folder + L"\\ready child.exe";
    ASSERT_TRUE(CopyFileW(ChildProgram().c_str(), program.c_str(), FALSE));
    const std::wstring report = dir.File(L"cwd.txt");

    EXPECT_TRUE(StartProcess(testsupport::ToAnsi(L"\"" + program + L"\" \"" + report + L"\" 100")));
    std::string bytes;
    for (int i = 0; i < 100 && bytes.empty(); ++i, Sleep(50)) bytes = testsupport::ReadFileBytes(report);
    const std::wstring childFolder(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(0, _wcsicmp(folder.c_str(), childFolder.c_str())) << std::string(bytes);
    Sleep(300);  // let the child end before its folder goes

    EXPECT_FALSE(StartProcess(testsupport::ToAnsi(dir.File(L"missing.exe"))));
}

TEST(ProcessUtil, KillPhoneServerProcessEndsEveryInstanceWhateverTheCase) {
    testsupport::ScratchDir dir;
    const std::wstring first = dir.File(L"AndroidServer.exe"), second = dir.Path() + L"b\\androidserver.EXE";
    CreateDirectoryW((dir.Path() + L"b").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(ChildProgram().c_str(), first.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(ChildProgram().c_str(), second.c_str(), FALSE));
    std::vector<testsupport::ChildProcess> servers;
    for (const std::wstring& program : {first, second}) {
        servers.emplace_back(L"\"" + program + L"\" \"" + dir.File(L"out.txt") + L"\" 60000");
        ASSERT_TRUE(servers.back().Started());
    }
    EXPECT_EQ(2, CountProcesses(L"androidserver.exe"));
    EXPECT_EQ(1, KillPhoneServerProcess());
    for (int i = 0; i < 100 && CountProcesses(L"androidserver.exe") > 0; ++i) Sleep(50);
    EXPECT_EQ(0, CountProcesses(L"androidserver.exe"));
}
