// Not a test: the driver of tools/bench/torvanik-start.sh. Starts Torvanik.exe
// from the installation again and again and measures the time from process
// creation to the first painted main window (its caption bar's colour on the
// screen), then ends it with the updater's close request. Wine's own cost of
// starting a windowed program is measured the same way with a minimal
// program and subtracted. Prints each run, the medians and the peak working set.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "TorvanikProcess.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Started {
    HANDLE process = nullptr;
    HANDLE job = nullptr;  // closing it ends whatever the run started and left behind
    double ms = 0;
};

// A job that ends its processes when its last handle closes, so the updater
// and the tools a run starts do not linger and load the runs after it.
HANDLE NewKillOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

Started StartAndWait(const std::wstring& program, const std::wstring& arguments, bool (*ready)(DWORD pid)) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    HANDLE job = NewKillOnCloseJob();
    const double start = Now();
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, folder.c_str(),
                        &startup, &info)) {
        if (job) CloseHandle(job);
        return {};
    }
    if (job) AssignProcessToJobObject(job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    while (!ready(info.dwProcessId) && Now() - start < 30000) Sleep(1);
    return {info.hProcess, job, Now() - start};
}

bool TorvanikReady(DWORD pid) {
    HWND frame = apptest::FrameOf(pid);
    return frame && apptest::CaptionPainted(frame);
}

struct WindowSearch {
    DWORD pid;
    bool found;
};

BOOL CALLBACK MatchWindowOwner(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->pid) search->found = true;
    return !search->found;
}

bool ChildWindowShown(DWORD pid) {
    WindowSearch search{pid, false};
    EnumWindows(&MatchWindowOwner, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const std::wstring torvanik = apptest::InstallationFolder() + L"Torvanik.exe";
    const std::wstring child = testsupport::ProgramFolder() + L"app_ready_child.exe";
    std::vector<double> starts, baselines;
    SIZE_T peak = 0;
    for (int i = 0; i < runs; ++i) {
        Started base = StartAndWait(child, L"NUL 2000", &ChildWindowShown);
        if (!base.process) return 1;
        baselines.push_back(base.ms);
        TerminateProcess(base.process, 0);
        WaitForSingleObject(base.process, 5000);
        CloseHandle(base.process);
        if (base.job) CloseHandle(base.job);

        Started run = StartAndWait(torvanik, L"", &TorvanikReady);
        if (!run.process) return 1;
        starts.push_back(run.ms);
        std::printf("run %d: start to first paint %.0f ms, Wine's own start %.0f ms, own share %.0f ms\n", i + 1,
                    run.ms, base.ms, run.ms - base.ms);
        std::fflush(stdout);
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(run.process, &memory, sizeof memory)) peak = std::max(peak, memory.PeakWorkingSetSize);
        HWND frame = apptest::FrameOf(GetProcessId(run.process));
        static const wchar_t kClose[] = L"UpdateClose";
        COPYDATASTRUCT data = {0, sizeof kClose - sizeof(wchar_t), const_cast<wchar_t*>(kClose)};
        if (frame) SendMessageW(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        if (WaitForSingleObject(run.process, 10000) != WAIT_OBJECT_0) TerminateProcess(run.process, 0);
        CloseHandle(run.process);
        if (run.job) CloseHandle(run.job);
    }
    const double start = Median(starts), baseline = Median(baselines);
    std::printf("start to first painted main window: median %.0f ms over %d runs\n", start, runs);
    std::printf("Wine's own start of a windowed program: median %.0f ms\n", baseline);
    std::printf("Torvanik's own share: %.0f ms (target < 300 ms)\n", start - baseline);
    std::printf("peak working set: %.1f MiB\n", peak / (1024.0 * 1024.0));
    return 0;
}
