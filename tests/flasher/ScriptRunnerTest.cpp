// The script and push runners under the real command interpreter: output
// arrives in chunks, awkward paths reach the script intact, and neither a
// missing script, a lingering grandchild nor a hung tool holds the caller.
#include "ScriptRunner.h"
#include "TestPaths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Collect(int& result, const std::wstring& batch, const std::wstring& argument, DWORD limit = INFINITE) {
    std::string output;
    result = scriptrunner::RunBatch(batch, argument, [&](std::string_view chunk) { output.append(chunk); }, limit);
    return output;
}

TEST(ScriptRunner, OutputOfTheScriptArrives) {
    testsupport::ScratchDir dir;
    testsupport::WriteFileBytes(dir.File(L"hello.bat"), "@echo off\r\necho rec-bat-begin---\r\necho rec-bat-end===\r\n");
    int result = 1;
    const std::string output = Collect(result, dir.File(L"hello.bat"), L"");
    EXPECT_EQ(scriptrunner::kRunOk, result);
    EXPECT_NE(std::string::npos, output.find("rec-bat-begin---"));
    EXPECT_NE(std::string::npos, output.find("rec-bat-end==="));
}

TEST(ScriptRunner, LongOutputComesInChunksOfAtMost4KiB) {
    testsupport::ScratchDir dir;
    std::string script = "@echo off\r\n";
    for (int i = 0; i < 300; ++i) script += "echo line " + std::to_string(i) + " of the flashing script output\r\n";
    testsupport::WriteFileBytes(dir.File(L"long.bat"), script);
    size_t largest = 0, total = 0;
    const int result = scriptrunner::RunBatch(dir.File(L"long.bat"), L"", [&](std::string_view chunk) {
        largest = std::max(largest, chunk.size());
        total += chunk.size();
    });
    EXPECT_EQ(scriptrunner::kRunOk, result);
    EXPECT_LE(largest, scriptrunner::kChunkBytes);
    EXPECT_GT(total, 10000u);
}

TEST(ScriptRunner, AwkwardRomPathsReachTheScriptIntact) {
    testsupport::ScratchDir dir;
    // The script writes its first argument, quotes and all, into a file.
    testsupport::WriteFileBytes(dir.File(L"arg.bat"), "@echo off\r\necho %1> \"%~dp0arg.txt\"\r\n");
    const std::wstring paths[] = {
        L"C:\\my roms\\update.zip",
        L"C:\\刷机包\\小米 4.zip",
        L"C:\\roms\\100%.zip",
        L"C:\\roms\\a%b%c%d.zip",
        L"C:\\roms\\this&that.zip",
    };
    for (const std::wstring& path : paths) {
        DeleteFileW(dir.File(L"arg.txt").c_str());
        int result = 1;
        Collect(result, dir.File(L"arg.bat"), path);
        EXPECT_EQ(scriptrunner::kRunOk, result);
        std::string written = testsupport::ReadFileBytes(dir.File(L"arg.txt"));
        while (!written.empty() && (written.back() == '\n' || written.back() == '\r' || written.back() == ' '))
            written.pop_back();
        EXPECT_EQ("\"" + testsupport::ToAnsi(path) + "\"", written);
    }
}

TEST(ScriptRunner, MissingProgramIsAStartFailure) {
    testsupport::ScratchDir dir;
    EXPECT_EQ(scriptrunner::kStartFailed,
              scriptrunner::RunCaptured(nullptr, L"\"" + dir.File(L"nothing.exe") + L"\"", [](std::string_view) {}));
}

TEST(ScriptRunner, LingeringGrandchildDoesNotHoldTheReader) {
    testsupport::ScratchDir dir;
    const std::wstring linger = testsupport::ProgramFolder() + L"standin-tools\\linger.exe";
    const std::string script = "@echo off\r\necho started\r\nstart \"\" /b \"" + testsupport::ToAnsi(linger) +
                               "\" 20000\r\necho done\r\n";
    testsupport::WriteFileBytes(dir.File(L"spawn.bat"), script);
    const ULONGLONG begun = GetTickCount64();
    int result = 1;
    const std::string output = Collect(result, dir.File(L"spawn.bat"), L"");
    EXPECT_EQ(scriptrunner::kRunOk, result);
    EXPECT_NE(std::string::npos, output.find("done"));
    EXPECT_LT(GetTickCount64() - begun, 15000u);
}

TEST(ScriptRunner, HungToolIsEndedAtItsLimit) {
    const std::wstring linger = testsupport::ProgramFolder() + L"standin-tools\\linger.exe";
    const ULONGLONG begun = GetTickCount64();
    const int result =
        scriptrunner::RunCaptured(linger.c_str(), L"\"" + linger + L"\" 30000", [](std::string_view) {}, 500);
    EXPECT_EQ(scriptrunner::kTimedOut, result);
    EXPECT_LT(GetTickCount64() - begun, 10000u);
}

}  // namespace
