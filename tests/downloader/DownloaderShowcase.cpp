// Shows the real downloader with three packages in different states, for
// the screenshot script (tools/pellarine-screenshot.sh); not a test.
// One package downloads slowly from the web-service peer, one waits paused
// with part of it on disk, one fails. Prints "ready" once the rows show
// that, then keeps the peer and the stand-in main window up for `seconds`.
// With "done" the three packages finish instead and the finished tab shows.
//   downloader_showcase <seconds> [done]
#include "EngineTestSupport.h"
#include "MainWindowStandIn.h"
#include "UiHarness.h"
#include "PngWriter.h"
#include "ProgramCopy.h"

#include "win32/TextConvert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace enginetest;
using namespace downloadertest;

namespace {

// A 44 x 44 app icon: a rounded square in `colour` with a white ring.
std::string Icon(uint32_t colour) {
    std::vector<uint32_t> pixels(44 * 44, 0);
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 44; ++x) {
            const int dx = x < 9 ? 9 - x : x > 34 ? x - 34 : 0;
            const int dy = y < 9 ? 9 - y : y > 34 ? y - 34 : 0;
            if (dx * dx + dy * dy > 81) continue;
            const double ring = std::hypot(x - 21.5, y - 21.5);
            pixels[y * 44 + x] = ring > 8 && ring < 12 ? 0xFFFFFFFF : colour;
        }
    return testsupport::EncodePng(44, 44, pixels);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int seconds = argc > 1 ? _wtoi(argv[1]) : 20;
    const bool finished = argc > 2 && std::wstring(argv[2]) == L"done";
    MainWindowStandIn mainWindow;
    ScratchDir dir;
    const std::wstring folder = dir.Path() + L"DownModule\\";
    if (!CopyDownloaderProgram(folder)) return 1;
    WriteFileBytes(folder + L"flagnofollowdeath", "");  // stays up whatever has the focus

    WebServicePeer peer;
    const size_t size = 48 * 1024 * 1024;
    WriteFileBytes(dir.File(L"rom.zip"), SourceBytes(size, 3));
    WebServicePeer::Reply slow;
    slow.contentType = "application/octet-stream";
    slow.file = dir.File(L"rom.zip");
    slow.pausePerBlockMs = finished ? 0 : 180;
    peer.SetReply("rom.zip", slow);
    WebServicePeer::Reply missing;
    missing.status = 404;
    if (finished) {
        WriteFileBytes(dir.File(L"game.apk"), SourceBytes(3 * 1024 * 1024, 5));
        WriteFileBytes(dir.File(L"weather.apk"), SourceBytes(2 * 1024 * 1024, 6));
        peer.ServeFile("game.apk", dir.File(L"game.apk"));
        peer.ServeFile("weather.apk", dir.File(L"weather.apk"));
    } else {
        peer.SetReply("weather.apk", missing);
    }
    const uint32_t colours[3] = {0xFF2F80ED, 0xFF27AE60, 0xFFEB5757};
    const char* icons[3] = {"icon-rom.png", "icon-game.png", "icon-weather.png"};
    for (int i = 0; i < 3; ++i) {
        WriteFileBytes(dir.File(AnsiToWide(icons[i])), Icon(colours[i]));
        peer.ServeFile(icons[i], dir.File(AnsiToWide(icons[i])));
    }
    // The paused game has a third of its bytes on disk already.
    CreateDirectoryW((folder + L"downloads").c_str(), nullptr);
    WriteFileBytes(AnsiToWide(ToAnsi(folder) + "downloads\\" + Ansi("天天酷跑") + ".apk.tmp"),
                   SourceBytes(12 * 1024 * 1024, 4));

    ScopedHandle downloader = StartDownloader(folder);
    HWND window = WaitForDownloaderWindow(downloader);
    if (window == nullptr) return 2;
    PackageRecord rom = MakeRecord("201", "Kovi ROM 7.1 稳定版", Url(peer, "rom.zip"), "0");
    PackageRecord game = MakeRecord("202", "天天酷跑", Url(peer, "game.apk"), "2", finished ? "" : "1");
    PackageRecord weather = MakeRecord("203", "墨迹天气", Url(peer, "weather.apk"), "1");
    CopyToFixedBuffer(std::to_string(size), rom.Size, sizeof rom.Size);
    CopyToFixedBuffer(std::to_string(36 * 1024 * 1024), game.Size, sizeof game.Size);
    PackageRecord* records[3] = {&rom, &game, &weather};
    for (int i = 0; i < 3; ++i) {
        CopyToFixedBuffer(Url(peer, icons[i]), records[i]->PngUrl, sizeof records[i]->PngUrl);
        SendRecord(window, *records[i]);
    }
    // The failure is reported; or, with "done", all three finish.
    uiharness::PumpUntil([&] { return mainWindow.records.size() >= (finished ? 3u : 1u); }, 60000);
    if (finished) {
        const LPARAM tab = MAKELPARAM(155, 64);  // "已完成": every finished package
        PostMessageW(window, WM_MOUSEMOVE, 0, tab);
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, tab);
        PostMessageW(window, WM_LBUTTONUP, 0, tab);
    }
    uiharness::PumpFor(4000);  // progress and speed show
    std::printf("ready\n");
    std::fflush(stdout);
    uiharness::PumpFor(static_cast<DWORD>(seconds) * 1000);
    TerminateProcess(downloader.Get(), 0);
    return 0;
}
