// Benchmark of the downloader's window (run by tools/bench/pellarine-list.sh):
// 1. 200 tasks restored from Downloader.db: time from creating the window
//    to the list loaded and painted.
// 2. UI-thread responsiveness while 11 workers download at full speed from
//    a loopback server: round trips of a message sent from another thread.
//   downloader_list_bench <base url> <file count>   (files part0.bin ...)
#include "MainWindowStandIn.h"
#include "TestPaths.h"
#include "UiHarness.h"

#include "database/DownloadDatabase.h"
#include "ui/DownloadersFrame.h"
#include "win32/TextConvert.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace downloadertest;
using testsupport::ScratchDir;
using testsupport::ToAnsi;

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

HWND Open(CDownloadersFrame& frame) {
    return frame.Create(nullptr, L"Downloader", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, CW_USEDEFAULT,
                        CW_USEDEFAULT);
}

double LoadAndPaint() {
    ScratchDir dir;
    const std::wstring folder = dir.Path().substr(0, dir.Path().size() - 1);
    testsupport::WriteFileBytes(dir.File(L"flagnofollowdeath"), "");
    {
        DownloadDatabase db(folder);
        db.LoadTasks();  // creates the table
        for (int i = 0; i < 200; ++i) {
            const std::string name = "应用 " + std::to_string(i);
            PackageRecord record = MakeRecord(std::to_string(i).c_str(), name.c_str(),
                                              "http://127.0.0.1:9/app" + std::to_string(i) + ".apk",
                                              i % 3 == 0 ? "0" : "1", i % 2 == 0 ? "3" : "1");
            db.SaveTask(record);
        }
    }
    CDownloadersFrame frame(ToAnsi(folder));
    const LARGE_INTEGER start = Now();
    HWND window = Open(frame);
    uiharness::PumpUntil([&] { return frame.Initialised(); }, 60000);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    uiharness::PumpUntil([&] { return !frame.m_PaintManager.IsUpdateNeeded(); }, 10000);
    const double elapsed = Milliseconds(start, Now());
    if (frame.List()->Tasks().size() != 200) std::printf("(only %u tasks restored)\n", unsigned(frame.List()->Tasks().size()));
    DestroyWindow(window);
    return elapsed;
}

void Responsiveness(const std::string& base, int files) {
    ScratchDir dir;
    const std::wstring folder = dir.Path().substr(0, dir.Path().size() - 1);
    testsupport::WriteFileBytes(dir.File(L"flagnofollowdeath"), "");
    CDownloadersFrame frame(ToAnsi(folder));
    HWND window = Open(frame);
    uiharness::PumpUntil([&] { return frame.Initialised(); }, 60000);

    std::atomic<bool> done{false};
    std::vector<double> trips;
    std::thread prober([&] {
        while (!done.load()) {
            const LARGE_INTEGER sent = Now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            trips.push_back(Milliseconds(sent, Now()));
            Sleep(5);
        }
    });
    const LARGE_INTEGER start = Now();
    for (int i = 0; i < files; ++i) {
        const std::string name = "part" + std::to_string(i);
        SendRecord(window, MakeRecord(std::to_string(i).c_str(), name.c_str(), base + "/" + name + ".bin", "1"));
    }
    uiharness::PumpUntil(
        [&] {
            const auto tasks = frame.List()->Tasks();
            if (static_cast<int>(tasks.size()) < files) return false;
            for (ListedTask* task : tasks)
                if (task->status.load() != 3 && task->status.load() != 4) return false;
            return true;
        },
        600000);
    const double seconds = Milliseconds(start, Now()) / 1000.0;
    done = true;
    prober.join();
    double bytes = 0;
    int failed = 0;
    for (ListedTask* task : frame.List()->Tasks()) {
        bytes += task->total.load();
        failed += task->status.load() == 4;
    }
    std::sort(trips.begin(), trips.end());
    auto at = [&](double q) { return trips.empty() ? 0.0 : trips[static_cast<size_t>(q * (trips.size() - 1))]; };
    std::printf("11 workers: %.0f MiB in %.2f s = %.0f MiB/s, %d failed\n", bytes / 1048576, seconds,
                bytes / 1048576 / seconds, failed);
    std::printf("UI round trip while downloading: %u samples, median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                static_cast<unsigned>(trips.size()), at(0.5), at(0.95), at(1.0));
    DestroyWindow(window);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    std::vector<double> rounds;
    for (int i = 0; i < 3; ++i) rounds.push_back(LoadAndPaint());
    std::sort(rounds.begin(), rounds.end());
    std::printf("200 tasks loaded from the database and painted: median %.0f ms (best %.0f, worst %.0f)\n",
                rounds[1], rounds[0], rounds[2]);
    std::fflush(stdout);
    Responsiveness(WideToAnsi(argv[1]), _wtoi(argv[2]));
    return 0;
}
