// Runs its arguments through the in-process adb client as one command line
// and prints the captured output.
#include "adb/AdbCommandLine.h"
#include "adb/sysdeps_win32.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>

int main() {
    AdbInitHandleTable();
    // Tests shorten the bound on the server's answers so a phone that is
    // slower than it shows in seconds, not minutes.
    wchar_t bound[16] = {};
    if (GetEnvironmentVariableW(L"HEMLAR_ADB_REPLY_TIMEOUT_MS", bound, 16) > 0) AdbSetSocketTimeout(wcstoul(bound, nullptr, 10));
    // Everything after the program's own name is the adb command line.
    const wchar_t* line = GetCommandLineW();
    bool quoted = *line == L'"';
    for (++line; *line && (quoted ? *line != L'"' : *line != L' '); ++line) {}
    if (*line == L'"') ++line;
    while (*line == L' ') ++line;
    std::string output;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    AdbRunCommandLine(line, output);
    QueryPerformanceCounter(&end);
    fwrite(output.data(), 1, output.size(), stdout);
    // The benchmark times the command itself: in the suite the client runs
    // inside an already started program, so Wine's program start is not its cost.
    if (GetEnvironmentVariableW(L"HEMLAR_ADB_TIME", nullptr, 0) > 0)
        fprintf(stderr, "command seconds: %.6f\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    // The benchmark asks for the peak working set to show memory stays flat.
    if (GetEnvironmentVariableW(L"HEMLAR_ADB_PEAK", nullptr, 0) > 0) {
        PROCESS_MEMORY_COUNTERS counters = {};
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        fprintf(stderr, "peak working set: %.1f MiB\n", counters.PeakWorkingSetSize / 1048576.0);
    }
    return 0;
}
