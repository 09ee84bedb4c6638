// Worker pools against the peer: pause and resume mid-transfer, deletion of
// a queued task, pause while the server stalls, the eleven-connection cap,
// and the icon pool's bounded retry.
#include "EngineTestSupport.h"
#include "TestPaths.h"
#include "win32/FileUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace enginetest;

namespace {

constexpr size_t kSlowSize = 4 * 1024 * 1024;

class EnginePoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseShortTimings();
        source_ = SourceBytes(kSlowSize, 7);
        WriteFileBytes(dir_.File(L"source.bin"), source_);
    }
    // A slow line: 256 KiB blocks with a pause between them.
    void ServeSlow(const std::string& path, unsigned pauseMs = 40) {
        WebServicePeer::Reply reply;
        reply.contentType = "application/octet-stream";
        reply.file = dir_.File(L"source.bin");
        reply.pausePerBlockMs = pauseMs;
        peer_.SetReply(path, reply);
    }
    std::wstring Target(const std::wstring& name) const { return dir_.File(L"out\\" + name); }

    WebServicePeer peer_;
    ScratchDir dir_;
    std::string source_;
};

TEST_F(EnginePoolTest, PauseKeepsPartialFileAndResumeContinuesFromIt) {
    ServeSlow("package.bin");
    RecordingTask task(ToAnsi(dir_.File(L"out")));
    task.url = Url(peer_, "package.bin");
    DownloadPool pool(1, true);
    pool.Hand(&task);
    ASSERT_TRUE(WaitUntil([&] { return task.now.load() > 600000; }, 30000));
    task.status = 1;  // the user pauses
    ASSERT_TRUE(WaitUntil([&] { return task.transfer.load() == nullptr; }, 10000)) << "transfer stops at the next report";
    Sleep(200);
    EXPECT_EQ(1, task.status.load());
    EXPECT_FALSE(FileExists(Target(L"package.bin")));
    const std::string partial = ReadFileBytes(Target(L"package.bin.tmp"));
    ASSERT_GT(partial.size(), 0u);
    EXPECT_TRUE(source_.compare(0, partial.size(), partial) == 0) << "the partial file holds the first bytes";

    pool.Hand(&task);  // the user resumes
    ASSERT_EQ(3, WaitForEnd(task, 60000));
    EXPECT_EQ("bytes=" + std::to_string(partial.size()) + "-", RangeOfGet(peer_, "package.bin", 1));
    EXPECT_TRUE(ReadFileBytes(Target(L"package.bin")) == source_);
}

TEST_F(EnginePoolTest, TaskDeletedWhileQueuedIsNeverFetched) {
    ServeSlow("first.bin", 20);
    ServeSlow("second.bin", 0);
    RecordingTask first(ToAnsi(dir_.File(L"out")), "first");
    RecordingTask second(ToAnsi(dir_.File(L"out")), "second");
    RecordingTask third(ToAnsi(dir_.File(L"out")), "third");
    first.url = Url(peer_, "first.bin");
    second.url = Url(peer_, "second.bin");
    third.url = Url(peer_, "second.bin");
    DownloadPool pool(1, true);
    pool.Hand(&first);
    pool.Hand(&second);
    second.status = 2;  // deleted while it waits behind the first
    pool.Hand(&third);
    ASSERT_EQ(3, WaitForEnd(first, 60000));
    ASSERT_EQ(3, WaitForEnd(third, 60000)) << "the worker goes on with the next task";
    EXPECT_EQ(2, second.status.load());
    EXPECT_EQ(0, second.reports.load());
    EXPECT_FALSE(FileExists(Target(L"second.bin")));
    EXPECT_EQ(1, GetCount(peer_, "second.bin")) << "only the third task fetched it";
}

TEST_F(EnginePoolTest, PauseWorksWhileTheServerStalls) {
    CurlTransferLimits().lowSpeedSeconds = 120;  // only the pause may end this transfer
    WebServicePeer::Reply reply;
    reply.file = dir_.File(L"source.bin");
    reply.stallAfterHeadersMs = 120000;
    peer_.SetReply("stall.bin", reply);
    RecordingTask task(ToAnsi(dir_.File(L"out")));
    task.url = Url(peer_, "stall.bin");
    DownloadPool pool(1, true);
    pool.Hand(&task);
    ASSERT_TRUE(WaitUntil([&] { return GetCount(peer_, "stall.bin") == 1; }, 30000));
    Sleep(300);
    task.status = 1;
    EXPECT_TRUE(WaitUntil([&] { return task.transfer.load() == nullptr; }, 5000));
    EXPECT_EQ(1, task.status.load());
    UseShortTimings();
}

TEST_F(EnginePoolTest, ElevenWorkersServeTwelveTasksElevenAtATime) {
    WebServicePeer::Reply reply;
    reply.contentType = "application/octet-stream";
    reply.body = "small package";
    reply.stallAfterHeadersMs = 1500;  // keeps every running transfer open together
    CurlTransferLimits().lowSpeedSeconds = 20;
    std::vector<std::unique_ptr<RecordingTask>> tasks;
    for (int i = 0; i < 12; ++i) {
        const std::string path = "pkg" + std::to_string(i) + ".bin";
        peer_.SetReply(path, reply);
        tasks.push_back(std::make_unique<RecordingTask>(ToAnsi(dir_.File(L"out")), "pkg" + std::to_string(i)));
        tasks.back()->url = Url(peer_, path);
    }
    DownloadPool pool(11, true);
    for (auto& task : tasks) pool.Hand(task.get());
    for (auto& task : tasks) ASSERT_EQ(3, WaitForEnd(*task, 60000));
    EXPECT_EQ(11, peer_.MaxConcurrentBodies());
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ("small package", ReadFileBytes(Target(L"pkg" + std::to_wstring(i) + L".bin")));
}

TEST_F(EnginePoolTest, FailedIconTasksAreRequeuedOnlyALimitedNumberOfTimes) {
    RecordingTask icon(ToAnsi(dir_.File(L"icons")), "icon");
    icon.url = Url(peer_, "missing.png");  // 404 every time
    DownloadPool pool(1, false);
    pool.Hand(&icon);
    const int rounds = EngineTimings().iconRequeueLimit;
    ASSERT_TRUE(WaitUntil([&] { return icon.failedReports.load() == rounds; }, 60000));
    Sleep(500);
    EXPECT_EQ(rounds, icon.failedReports.load()) << "given up after the limit";
    EXPECT_EQ(3 * rounds, GetCount(peer_, "missing.png"));
}

}  // namespace
