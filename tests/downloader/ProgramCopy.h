// The real Pellarine_u.exe copied with its DLL and skin into a scratch
// folder (its database and downloads land beside it), started and found.
#pragma once

#include "win32/ScopedHandle.h"

#include <windows.h>

#include <string>

namespace downloadertest {

// Copies the program, UiLib_u.dll and skins\Pellarine from the test's own
// folder into `folder` (with a trailing backslash).
bool CopyDownloaderProgram(const std::wstring& folder);

// Starts "<folder>Pellarine_u.exe"; an empty handle when it cannot.
ScopedHandle StartDownloader(const std::wstring& folder);

// Ends a downloader left behind by a failed assertion.
struct ProcessGuard {
    const ScopedHandle& process;
    ~ProcessGuard() {
        if (process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) TerminateProcess(process.Get(), 1);
    }
};

inline bool Exited(const ScopedHandle& process) { return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }

// The downloader's window ("CPellarinesFrame", "Downloader") of the given
// process once it exists, pumping this thread's messages while it waits; null
// after the time-out. A window of any other process (one from an earlier start
// that is still ending) is never taken.
HWND WaitForDownloaderWindow(const ScopedHandle& process, DWORD timeoutMs = 20000);

}  // namespace downloadertest
