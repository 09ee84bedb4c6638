// Reliability: the engine running in its own process is killed hard in the
// middle of its downloads (TerminateProcess, as a crash would), then started
// again on the same folder and database. Every task must come back once,
// resume with a Range request, and finish with the source's MD5.
#include "database/DownloadDatabase.h"
#include "sql/CppSQLite3.h"

#include "EngineTestSupport.h"
#include "ChildProcess.h"
#include "TestPaths.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace enginetest;
using testsupport::ProgramFolder;

namespace {

constexpr size_t kFileSize = 6 * 1024 * 1024;

testsupport::ChildProcess StartRunner(const std::wstring& arguments) {
    // Detached: a console child under Wine can stall on its console at start.
    return testsupport::ChildProcess(L"\"" + ProgramFolder() + L"engine_runner.exe\" " + arguments, L"",
                                     DETACHED_PROCESS);
}

long long FileSize(const std::wstring& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(std::filesystem::path(path), error);
    return error ? -1 : static_cast<long long>(size);
}

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

    testsupport::ChildProcess first = StartRunner(arguments);
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (int i = 0; i < count; ++i)
                if (FileSize(partial(i)) < 1024 * 1024) return false;
            return true;
        },
        60000))
        << "every download got going";
    first.KillTree();  // as a crash would end it
    for (int i = 0; i < count; ++i) {
        EXPECT_LT(FileSize(partial(i)), static_cast<long long>(kFileSize)) << "killed in the middle";
        EXPECT_FALSE(std::filesystem::exists(dir.File(L"downloads\\pkg" + std::to_wstring(i) + L".bin")));
    }
    EXPECT_EQ(count, RowCount(dir.Path().substr(0, dir.Path().size() - 1)));

    testsupport::ChildProcess second = StartRunner(arguments);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(0, second.WaitForExit(120000));

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
