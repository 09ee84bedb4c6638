#include "tools/ToolRunner.h"

#include <windows.h>

#include <atomic>
#include <algorithm>
#include <mutex>
#include <vector>

#include "base/BridgeUtil.h"

namespace {

void MessageBoxAlert(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"提示", MB_ICONWARNING);
}

std::atomic<ToolRunnerAlert> g_alert{&MessageBoxAlert};

// Children are started with handle inheritance on, so a pipe end is made
// inheritable only while its own child is created: a tool started by another
// thread at the same moment must not keep this pipe open.
std::mutex g_inheritLock;

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* Out() { return &handle_; }
    HANDLE Get() const { return handle_; }
    void Close() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

enum class OnFailure { Alert, Silent };

void Report(OnFailure onFailure, const wchar_t* text) {
    if (onFailure == OnFailure::Alert) g_alert.load()(text);
}

// The longest command line CreateProcess accepts, without its NUL.
constexpr size_t kMaxCommandLine = 32766;

std::string RunCaptured(std::wstring commandLine, bool readOutput, OnFailure onFailure) {
    if (commandLine.size() > kMaxCommandLine) {
        Report(onFailure, L"CreateProcess Failed!");
        return {};
    }
    Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), nullptr, 0)) {
        Report(onFailure, L"CreatePipe Failed!");
        return {};
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    startup.cbReserved2 = 0;  // the caller's C runtime hand-over data means nothing to the child
    startup.lpReserved2 = nullptr;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    startup.wShowWindow = SW_HIDE;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;

    PROCESS_INFORMATION process = {};
    BOOL started;
    {
        std::lock_guard<std::mutex> lock(g_inheritLock);
        SetHandleInformation(writeEnd.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &process);
        writeEnd.Close();
    }
    if (!started) {
        Report(onFailure, L"CreateProcess Failed!");
        return {};
    }
    CloseHandle(process.hThread);
    Handle child(process.hProcess);

    std::string output;
    if (!readOutput) return output;
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
        output.append(block, got);
        if (!childEnded) Sleep(100);
    }
    return output;
}

}  // namespace

std::string RunToolCommand(const std::wstring& commandLine, bool readOutput) {
    return RunCaptured(L"cmd /C " + commandLine, readOutput, OnFailure::Alert);
}

std::string RunProgramCapture(const std::string& commandLine) {
    return RunCaptured(WidenAnsi(commandLine), true, OnFailure::Silent);
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
