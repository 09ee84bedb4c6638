// The downloader program's side of tools/bench/downloader-throughput.sh:
//   downloader_program_bench <folder> <url> [<url> ...]
// Copies Pellarine_u.exe into <folder>, starts it beside a stand-in main
// window, sends one package request per URL at once (as the main program
// does) and waits for every "done" report. Prints the seconds from the
// first request to the last file in place (the program's start excluded),
// and the program's peak working set. The files land in <folder>\downloads.
#include "MainWindowStandIn.h"
#include "ProgramCopy.h"
#include "UiHarness.h"

#include "win32/TextConvert.h"

#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace downloadertest;

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    std::wstring folder = argv[1];
    if (folder.back() != L'\\') folder += L'\\';
    MainWindowStandIn mainWindow;
    if (!CopyDownloaderProgram(folder)) return 3;
    ScopedHandle program = StartDownloader(folder);
    ProcessGuard guard{program};
    HWND window = WaitForDownloaderWindow(program);
    if (window == nullptr) return 4;
    uiharness::PumpFor(300);  // the list has loaded its (empty) database

    std::vector<std::string> names;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 2; i < argc; ++i) {
        names.push_back("file" + std::to_string(i - 2));
        if (!SendRecord(window, MakeRecord(std::to_string(i).c_str(), names.back().c_str(), WideToAnsi(argv[i]), "1")))
            return 5;
    }
    int failed = 0;
    uiharness::PumpUntil(
        [&] {
            failed = 0;
            int done = 0;
            for (const std::string& name : names) {
                done += mainWindow.Report(name, "3") != nullptr;
                failed += mainWindow.Report(name, "4") != nullptr;
            }
            return done + failed == static_cast<int>(names.size());
        },
        3600 * 1000);
    QueryPerformanceCounter(&end);

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(program.Get(), &memory, sizeof memory);
    std::printf("seconds %.3f\npeak_working_set_mib %.1f\nfailed %d\n",
                static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
                memory.PeakWorkingSetSize / 1048576.0, failed);
    std::fflush(stdout);
    mainWindow.Destroy();  // the program follows the main window out
    WaitForSingleObject(program.Get(), 10000);
    return failed == 0 ? 0 : 1;
}
