// A program a test starts, held in a job object with everything it starts in
// turn (servers, tools, helper programs). Ending the object, or the test
// program dying, ends them all, so nothing a test started lives on to hold a
// port, a mutex or a window that the next test expects to be its own.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

class ChildProcess {
public:
    ChildProcess() = default;
    // Starts `commandLine` (the program first, quoted where needed) with
    // `folder` as its current folder (empty: the test's own) and the given
    // creation flags; Started() tells whether it ran.
    explicit ChildProcess(const std::wstring& commandLine, const std::wstring& folder = L"", DWORD flags = 0);
    ~ChildProcess();  // ends the whole tree if it still runs
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    HANDLE Handle() const { return process_; }
    bool Running() const;
    // The program's exit code once it ends within `timeoutMs`, else -1.
    int WaitForExit(DWORD timeoutMs) const;
    // Ends the program and everything it started, and waits (up to a few
    // seconds) until they are gone.
    void KillTree();

private:
    void Release();
    HANDLE job_ = nullptr;
    HANDLE process_ = nullptr;
};

}  // namespace testsupport
