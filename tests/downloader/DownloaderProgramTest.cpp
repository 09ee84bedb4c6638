// The real Pellarine_u.exe under Wine, driven as the main program drives
// it: package records by WM_COPYDATA from a stand-in main window, packages
// from the web-service peer, reports and the install request back, a hard
// kill in the middle of a download and the finish after the restart.
#include "EngineTestSupport.h"
#include "MainWindowStandIn.h"
#include "UiHarness.h"
#include "ProgramCopy.h"
#include "SkinLayout.h"

#include "database/DownloadDatabase.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace enginetest;
using namespace downloadertest;

namespace {

const PackageRecord* InstallRequest(const MainWindowStandIn& main) {
    for (const PackageRecord& record : main.records)
        if (HasInstallMarker(record)) return &record;
    return nullptr;
}

TEST(DownloaderProgramTest, ASecondInstanceReturnsAtOnceAndTheFirstEndsSoonAfterTheMainWindow) {
    MainWindowStandIn mainWindow;
    ScratchDir dir;
    const std::wstring folder = dir.Path() + L"DownModule\\";
    ASSERT_TRUE(CopyDownloaderProgram(folder));
    ScopedHandle first = StartDownloader(folder);
    ProcessGuard firstGuard{first};
    ASSERT_NE(nullptr, WaitForDownloaderWindow(first));

    ScopedHandle second = StartDownloader(folder);
    ProcessGuard secondGuard{second};
    ASSERT_TRUE(uiharness::PumpUntil([&] { return Exited(second); }, 10000));
    DWORD code = 99;
    GetExitCodeProcess(second.Get(), &code);
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(Exited(first));

    mainWindow.Destroy();
    const DWORD gone = GetTickCount();
    ASSERT_TRUE(uiharness::PumpUntil([&] { return Exited(first); }, 5000));
    EXPECT_LT(GetTickCount() - gone, 1500u) << "the watch looks every 200 ms";
    GetExitCodeProcess(first.Get(), &code);
    EXPECT_EQ(0u, code);
}

TEST(DownloaderProgramTest, DownloadsReportsInstallsAndFinishesAfterAHardKill) {
    MainWindowStandIn mainWindow;
    ScratchDir dir;
    const std::wstring folder = dir.Path() + L"DownModule\\";
    ASSERT_TRUE(CopyDownloaderProgram(folder));
    WebServicePeer peer;
    struct Package {
        const char* id;
        const char* name;
        const char* path;
        const char* type;
        size_t size;
        std::string bytes;
    } packages[] = {{"101", "Kovi ROM 7.1", "rom.zip", "0", 1536 * 1024, {}},
                    {"102", "相册", "gallery.apk", "1", 512 * 1024, {}},
                    {"103", "消消乐", "match.apk", "2", 768 * 1024, {}}};
    unsigned seed = 7;
    for (Package& p : packages) {
        p.bytes = SourceBytes(p.size, seed++);
        const std::wstring source = dir.File(AnsiToWide(p.path));
        WriteFileBytes(source, p.bytes);
        peer.ServeFile(p.path, source);
    }

    ScopedHandle downloader = StartDownloader(folder);
    ProcessGuard guard{downloader};
    HWND window = WaitForDownloaderWindow(downloader);
    ASSERT_NE(nullptr, window);
    for (const Package& p : packages)
        ASSERT_TRUE(SendRecord(window, MakeRecord(p.id, p.name, Url(peer, p.path), p.type, "", Md5Hex(p.bytes))));
    ASSERT_TRUE(uiharness::PumpUntil(
        [&] {
            for (const Package& p : packages)
                if (mainWindow.Report(p.name, "3") == nullptr) return false;
            return true;
        },
        60000));
    const std::string downloads = ToAnsi(folder) + "downloads\\";
    for (const Package& p : packages) {
        const PackageRecord* report = mainWindow.Report(p.name, "3");
        const std::string extension = std::string(p.path).substr(std::string(p.path).rfind('.'));
        EXPECT_EQ(downloads + Ansi(p.name) + extension, std::string(report->ObjectUrl)) << p.name;
        EXPECT_EQ(Md5Hex(p.bytes), Md5Hex(ReadFileBytes(AnsiToWide(report->ObjectUrl)))) << p.name;
        EXPECT_STREQ(p.type, report->Type);
    }
    const std::wstring programFolder = folder.substr(0, folder.size() - 1);
    EXPECT_EQ(3u, DownloadDatabase(programFolder).LoadTasks().size());

    // The ROM's row leads the list of finished packages: install it.
    uiharness::PumpFor(300);
    const LPARAM at = MAKELPARAM(kFirstRowInstallX, kFirstRowInstallY);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(uiharness::PumpUntil([&] { return InstallRequest(mainWindow) != nullptr; }, 5000));
    const PackageRecord* install = InstallRequest(mainWindow);
    EXPECT_STREQ("0", install->Type);
    EXPECT_EQ(downloads + "Kovi ROM 7.1.zip", std::string(install->ObjectUrl));
    EXPECT_STREQ("1.50M", install->Size);
    EXPECT_STREQ("", install->Name);

    // A large package, killed in the middle.
    const size_t bigSize = 6 * 1024 * 1024;
    const std::string big = SourceBytes(bigSize, 99);
    WriteFileBytes(dir.File(L"big.bin"), big);
    WebServicePeer::Reply slow;
    slow.contentType = "application/octet-stream";
    slow.file = dir.File(L"big.bin");
    slow.pausePerBlockMs = 60;
    peer.SetReply("big.bin", slow);
    const PackageRecord bigRecord = MakeRecord("104", "大型游戏", Url(peer, "big.bin"), "2", "", Md5Hex(big));
    ASSERT_TRUE(SendRecord(window, bigRecord));
    const std::wstring partial = AnsiToWide(downloads + Ansi("大型游戏") + ".bin.tmp");
    ASSERT_TRUE(uiharness::PumpUntil([&] { return ReadFileBytes(partial).size() >= 1024 * 1024; }, 30000));
    ASSERT_TRUE(TerminateProcess(downloader.Get(), 9));
    WaitForSingleObject(downloader.Get(), 10000);
    EXPECT_LT(ReadFileBytes(partial).size(), bigSize);

    ScopedHandle again = StartDownloader(folder);
    ProcessGuard againGuard{again};
    window = WaitForDownloaderWindow(again);
    ASSERT_NE(nullptr, window);
    // Restored paused; the main program's request for it resumes it.
    uiharness::PumpFor(500);
    ASSERT_TRUE(SendRecord(window, bigRecord));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return mainWindow.Report("大型游戏", "3") != nullptr; }, 60000));
    EXPECT_EQ(Md5Hex(big), Md5Hex(ReadFileBytes(AnsiToWide(downloads + Ansi("大型游戏") + ".bin"))));
    EXPECT_EQ(2, GetCount(peer, "big.bin"));
    const std::string range = RangeOfGet(peer, "big.bin", 1);
    EXPECT_EQ(0u, range.rfind("bytes=", 0)) << "resumed with a range";
    EXPECT_GE(std::atoll(range.c_str() + 6), 1024 * 1024);
    for (const Package& p : packages) EXPECT_EQ(1, GetCount(peer, p.path)) << "finished packages stay finished";
    const auto saved = DownloadDatabase(programFolder).LoadTasks();
    EXPECT_EQ(4u, saved.size());
    for (const PackageRecord& record : saved) EXPECT_STREQ("3", record.Err) << record.Name;

    mainWindow.Destroy();
    EXPECT_TRUE(uiharness::PumpUntil([&] { return Exited(again); }, 5000)) << "ends with the main program";
}

}  // namespace
