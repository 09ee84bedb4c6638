// Reliability: the engine running in its own process is killed hard in the
// middle of its downloads (TerminateProcess, as a crash would), then started
// again on the same folder and database. Every task must come back once,
// resume with a Range request, and finish with the source's MD5.
#include "database/DownloadDatabase.h"
#include "sql/CppSQLite3.h"

#include "EngineTestSupport.h"
#include "TestPaths.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace enginetest;
using testsupport::ProgramFolder;

namespace {

constexpr size_t kFileSize = 6 * 1024 * 1024;

ScopedHandle StartRunner(const std::wstring& arguments) {
    // Detached: a console child under Wine can stall on its console at start.
    std::wstring command = L"\"" + ProgramFolder() + L"engine_runner.exe\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &startup, &process))
        return ScopedHandle();
    CloseHandle(process.hThread);
    return ScopedHandle(process.hProcess);
}

long long FileSize(const std::wstring& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(std::filesystem::path(path), error);
    return error ? -1 : static_cast<long long>(size);
}

// Ends a runner left behind by a failed assertion, so it cannot outlive the
// test and its peer.
struct RunnerGuard {
    const ScopedHandle& process;
    ~RunnerGuard() {
        if (process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(process.Get(), 1);
    }
};

int RowCount(const std::wstring& folder) {
    CppSQLite3DB db;
    db.Open(WideToUtf8(folder + L"\\Downloader.db").c_str());
    return db.ExecScalar("SELECT count(*) FROM Packages");
}

class KillResumeTest : public ::testing::TestWithParam<int> {};

TEST_P(KillResumeTest, KilledDownloadsComeBackAndFinishWithTheRightBytes) {
    const int count = GetParam();
    WebServicePeer peer;
    ScratchDir dir;
    std::wstring arguments = L"\"" + dir.Path().substr(0, dir.Path().size() - 1) + L"\"";
    std::vector<std::string> sources;
    for (int i = 0; i < count; ++i) {
        sources.push_back(SourceBytes(kFileSize, 100 + i));
        const std::wstring source = dir.File(L"source" + std::to_wstring(i) + L".bin");
        WriteFileBytes(source, sources.back());
        WebServicePeer::Reply reply;
        reply.contentType = "application/octet-stream";
        reply.file = source;
        reply.pausePerBlockMs = 60;  // about 4 MiB/s per file: the kill lands mid-way
        peer.SetReply("pkg" + std::to_string(i) + ".bin", reply);
        arguments += L" " + AnsiToWide(Url(peer, "pkg" + std::to_string(i) + ".bin")) + L" " +
                     AnsiToWide(Md5Hex(sources.back()));
    }
    auto partial = [&](int i) { return dir.File(L"downloads\\pkg" + std::to_wstring(i) + L".bin.tmp"); };

    ScopedHandle first = StartRunner(arguments);
    RunnerGuard firstGuard{first};
    ASSERT_TRUE(first);
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (int i = 0; i < count; ++i)
                if (FileSize(partial(i)) < 1024 * 1024) return false;
            return true;
        },
        60000))
        << "every download got going";
    ASSERT_TRUE(TerminateProcess(first.Get(), 9));
    WaitForSingleObject(first.Get(), 10000);
    for (int i = 0; i < count; ++i) {
        EXPECT_LT(FileSize(partial(i)), static_cast<long long>(kFileSize)) << "killed in the middle";
        EXPECT_FALSE(std::filesystem::exists(dir.File(L"downloads\\pkg" + std::to_wstring(i) + L".bin")));
    }
    EXPECT_EQ(count, RowCount(dir.Path().substr(0, dir.Path().size() - 1)));

    ScopedHandle second = StartRunner(arguments);
    RunnerGuard secondGuard{second};
    ASSERT_TRUE(second);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.Get(), 120000));
    DWORD exitCode = 99;
    GetExitCodeProcess(second.Get(), &exitCode);
    EXPECT_EQ(0u, exitCode);

    for (int i = 0; i < count; ++i) {
        const std::string path = "pkg" + std::to_string(i) + ".bin";
        EXPECT_EQ(2, GetCount(peer, path));
        const std::string range = RangeOfGet(peer, path, 1);
        EXPECT_EQ(0u, range.rfind("bytes=", 0)) << path << " resumed with a range";
        EXPECT_GE(std::atoll(range.c_str() + 6), 1024 * 1024) << path;
        EXPECT_EQ(Md5Hex(sources[i]),
                  Md5Hex(ReadFileBytes(dir.File(L"downloads\\pkg" + std::to_wstring(i) + L".bin"))))
            << path;
    }
    const std::wstring folder = dir.Path().substr(0, dir.Path().size() - 1);
    EXPECT_EQ(count, RowCount(folder)) << "no duplicate rows";
    DownloadDatabase db(folder);
    for (const PackageRecord& record : db.LoadTasks()) EXPECT_STREQ("3", record.Err);
}

INSTANTIATE_TEST_SUITE_P(OneAndEleven, KillResumeTest, ::testing::Values(1, 11));

}  // namespace
