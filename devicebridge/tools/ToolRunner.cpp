#include "tools/ToolRunner.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "win32/ProcessLauncher.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

namespace {

void MessageBoxAlert(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"提示", MB_ICONWARNING);
}

std::atomic<ToolRunnerAlert> g_alert{&MessageBoxAlert};

enum class OnFailure { Alert, Silent };

void Report(OnFailure onFailure, const wchar_t* text) {
    if (onFailure == OnFailure::Alert) g_alert.load()(text);
}

ProgramRun RunCaptured(std::wstring commandLine, bool readOutput, OnFailure onFailure) {
    ProgramRun run;
    if (commandLine.size() > kMaxProcessCommandLine) {
        run.launchError = ERROR_FILENAME_EXCED_RANGE;
        Report(onFailure, L"CreateProcess Failed!");
        return run;
    }
    ScopedHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), nullptr, 0)) {
        run.launchError = GetLastError();
        Report(onFailure, L"CreatePipe Failed!");
        return run;
    }
    ProcessLaunch launch;
    launch.commandLine = std::move(commandLine);
    launch.output = launch.error = writeEnd.Get();
    launch.hideWindow = true;
    ScopedHandle child = LaunchProcess(launch);
    run.launchError = child ? 0 : GetLastError();
    writeEnd.Close();  // the child holds the only write end now
    if (!child) {
        Report(onFailure, L"CreateProcess Failed!");
        return run;
    }

    if (!readOutput) return run;
    // Read until the pipe closes, or until the child has ended and the pipe
    // is drained: a process the tool left running in the background may hold
    // the pipe open for ever, and must not hang the caller.
    char block[4096];
    for (bool childEnded = false;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr)) break;  // all writers gone
        if (available == 0) {
            if (childEnded) break;
            childEnded = WaitForSingleObject(child.Get(), 20) == WAIT_OBJECT_0;
            continue;
        }
        DWORD got = 0;
        if (!ReadFile(readEnd.Get(), block, std::min<DWORD>(available, sizeof block - 1), &got, nullptr)) break;
        run.output.append(block, got);
        if (!childEnded) Sleep(100);
    }
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(child.Get(), &exitCode);
    run.exitCode = exitCode;
    return run;
}

}  // namespace

std::string RunToolCommand(const std::wstring& commandLine, bool readOutput) {
    return RunCaptured(L"cmd /C " + commandLine, readOutput, OnFailure::Alert).output;
}

ProgramRun RunProgram(const std::string& commandLine) {
    return RunCaptured(AnsiToWide(commandLine), true, OnFailure::Silent);
}

std::wstring ToolLineInFolder(const std::wstring& folder, const std::wstring& command) {
    // On a command line cmd replaces %NAME% by a defined variable's value.
    // Closing and reopening the quotes after each "%" leaves no name that can
    // be defined; cd drops the quotes again.
    std::wstring quoted = L"\"";
    for (wchar_t c : folder) {
        quoted += c;
        if (c == L'%') quoted += L"\"\"";
    }
    quoted += L"\"";
    return L"cd /d " + quoted + L" && " + command;
}

ToolRunnerAlert SetToolRunnerAlert(ToolRunnerAlert alert) {
    return g_alert.exchange(alert ? alert : &MessageBoxAlert);
}
