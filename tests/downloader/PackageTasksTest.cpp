// Package and icon tasks on the engine: the icon queue's rules, an icon that
// lands in its row, a row removed while its icon downloads, and a package
// task taking its record.
#include "tasks/PackageTasks.h"

#include "EngineTestSupport.h"
#include "TestPaths.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <regex>
#include <vector>

using namespace enginetest;

namespace {

struct FakeRow : IIconRow {
    void ShowIcon(const std::wstring& path) override {
        std::lock_guard<std::mutex> hold(lock);
        icons.push_back(path);
    }
    void NotifyIconDone(CIconsTask&) override { ++notifications; }
    std::mutex lock;
    std::vector<std::wstring> icons;
    std::atomic<int> notifications{0};
};

TEST(IconQueue, SkipsReferencesThatAreNotDownloads) {
    ScratchDir dir;
    WriteFileBytes(dir.File(L"local.png"), "png");
    CQueueMutex lock;
    TaskQueue queue;
    IconTaskRegistry registry;
    FakeRow row;
    const std::string local = ToAnsi(dir.File(L"local.png"));
    for (const char* url : {static_cast<const char*>(nullptr), "", "http", "{0A-1B}.png", local.c_str()})
        QueueIconDownload(lock, queue, &row, url, nullptr, registry, "icons\\");
    QueueIconDownload(lock, queue, nullptr, "http://h/a.png", nullptr, registry, "icons\\");
    EXPECT_TRUE(queue.empty());

    QueueIconDownload(lock, queue, &row, "http://h/a.png", nullptr, registry, "icons\\");
    QueueIconDownload(lock, queue, &row, "http://h/b.png", nullptr, registry, "icons\\");
    ASSERT_EQ(2u, queue.size());
    EXPECT_EQ(registry.owned[1].get(), registry.byRow[&row]) << "the later task replaces the row's entry";
    const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
    EXPECT_TRUE(std::regex_match(registry.owned[0]->name, guid)) << registry.owned[0]->name;
    EXPECT_STRNE(registry.owned[0]->name, registry.owned[1]->name);
}

TEST(IconTask, FinishedIconLandsInItsRowUnlessTheRowIsGone) {
    UseShortTimings();
    WebServicePeer peer;
    ScratchDir dir;
    peer.SetJson("img/icon.png", "png bytes");
    WebServicePeer::Reply slow;
    slow.body = "png bytes";
    slow.stallAfterHeadersMs = 800;
    peer.SetReply("img/slow.png", slow);
    CurlTransferLimits().lowSpeedSeconds = 10;

    DownloadPool pool(1, false);
    IconTaskRegistry registry;
    FakeRow kept, removed;
    HANDLE wake = pool.WakeEvent();
    const std::string folder = ToAnsi(dir.File(L"icons\\"));
    QueueIconDownload(pool.Lock(), pool.Queue(), &removed, Url(peer, "img/slow.png").c_str(), &wake, registry, folder);
    QueueIconDownload(pool.Lock(), pool.Queue(), &kept, Url(peer, "img/icon.png").c_str(), &wake, registry, folder);
    ASSERT_TRUE(WaitUntil([&] { return GetCount(peer, "img/slow.png") == 1; }, 20000));
    registry.ForgetRow(&removed);  // the row is deleted while its icon downloads

    ASSERT_TRUE(WaitUntil([&] { return kept.notifications.load() == 1; }, 20000));
    ASSERT_EQ(3, WaitForEnd(*registry.owned[0], 20000));
    EXPECT_EQ(0, removed.notifications.load());
    EXPECT_TRUE(removed.icons.empty());
    ASSERT_EQ(1u, kept.icons.size());
    const std::wstring expected = AnsiToWide(folder) + L"\\" + AnsiToWide(registry.owned[1]->name) + L".png";
    EXPECT_EQ(expected, kept.icons[0]);
    EXPECT_EQ("png bytes", testsupport::ReadFileBytes(expected));
    UseShortTimings();
}

TEST(IconTask, AnIconUrlWithStreamSyntaxLandsInAPlainFileItsRowShows) {
    UseShortTimings();
    WebServicePeer peer;
    ScratchDir dir;
    peer.SetJson("img/icon.png:hidden", "png bytes");
    DownloadPool pool(1, false);
    IconTaskRegistry registry;
    FakeRow row;
    HANDLE wake = pool.WakeEvent();
    const std::string folder = ToAnsi(dir.File(L"icons\\"));
    QueueIconDownload(pool.Lock(), pool.Queue(), &row, Url(peer, "img/icon.png:hidden").c_str(), &wake, registry,
                      folder);
    ASSERT_TRUE(WaitUntil([&] { return row.notifications.load() == 1; }, 20000));
    ASSERT_EQ(1u, row.icons.size());
    const std::wstring expected = AnsiToWide(folder) + L"\\" + AnsiToWide(registry.owned[0]->name) + L".png_hidden";
    EXPECT_EQ(expected, row.icons[0]);
    EXPECT_EQ("png bytes", testsupport::ReadFileBytes(expected));
}

TEST(PackageTask, TakesUrlNameAndChecksumFromItsRecord) {
    struct Observer : IPackageTaskObserver {
        void OnPackageProgress(CPackagesTask& task) override { seen.push_back(task.status.load()); }
        std::vector<int> seen;
    } observer;
    PackageRecord record{};
    std::strcpy(record.Name, "MIUI 6");
    std::strcpy(record.ObjectUrl, "http://h/rom.zip");
    std::strcpy(record.Hash, "0123456789ABCDEF0123456789abcdef");
    CPackagesTask task(&observer);
    task.SetRecord(record);
    EXPECT_EQ("http://h/rom.zip", task.url);
    EXPECT_STREQ("MIUI 6", task.name);
    EXPECT_EQ("0123456789abcdef0123456789abcdef", task.expectedMd5);
    EXPECT_EQ(-1, task.status.load());
    task.OnProgress();
    EXPECT_EQ(std::vector<int>{-1}, observer.seen);

    for (const char* notMd5 : {"", "abc", "0123456789abcdef0123456789abcdeg", "stored only"}) {
        std::strcpy(record.Hash, notMd5);
        task.SetRecord(record);
        EXPECT_EQ("", task.expectedMd5) << notMd5;
    }
}

}  // namespace
