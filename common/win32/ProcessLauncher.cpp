#include "win32/ProcessLauncher.h"

#include <mutex>

namespace {

std::mutex g_inheritLock;

// Makes a handle inheritable and puts its earlier flag back when done.
class InheritableForNow {
public:
    explicit InheritableForNow(HANDLE handle) : handle_(handle) {
        DWORD flags = 0;
        if (!ScopedHandle::IsValid(handle_) || !GetHandleInformation(handle_, &flags)) {
            handle_ = nullptr;
            return;
        }
        wasInheritable_ = (flags & HANDLE_FLAG_INHERIT) != 0;
        if (!wasInheritable_) SetHandleInformation(handle_, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    ~InheritableForNow() {
        if (handle_ && !wasInheritable_) SetHandleInformation(handle_, HANDLE_FLAG_INHERIT, 0);
    }
    InheritableForNow(const InheritableForNow&) = delete;
    InheritableForNow& operator=(const InheritableForNow&) = delete;

private:
    HANDLE handle_;
    bool wasInheritable_ = true;
};

}  // namespace

ScopedHandle LaunchProcess(const ProcessLaunch& launch) {
    if (launch.commandLine.size() > kMaxProcessCommandLine) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return {};
    }
    std::wstring commandLine = launch.commandLine;  // CreateProcessW may write into it

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = launch.input;
    startup.hStdOutput = launch.output;
    startup.hStdError = launch.error;
    if (launch.hideWindow) {
        startup.dwFlags |= STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }

    PROCESS_INFORMATION process = {};
    BOOL started;
    {
        std::lock_guard<std::mutex> lock(g_inheritLock);
        // The same handle may serve twice (output and error); the first guard
        // remembers its flag, the second finds it already inheritable.
        InheritableForNow input(launch.input), output(launch.output), error(launch.error);
        started = CreateProcessW(launch.application, commandLine.data(), nullptr, nullptr, TRUE,
                                 launch.creationFlags, nullptr, nullptr, &startup, &process);
    }
    if (!started) return {};
    CloseHandle(process.hThread);
    return ScopedHandle(process.hProcess);
}
