// Starts the real Torvanik.exe from the build's installation folder (or a
// copy of it) and finds its main window, for the tests of the program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ChildProcess.h"

namespace apptest {

// The installation folder the build assembles, with a trailing backslash.
std::wstring InstallationFolder();

// Copies the installation into `target` (a trailing backslash), leaving out
// the files and folders named in `omit` (relative paths, lower case).
bool CopyInstallation(const std::wstring& target, std::initializer_list<const wchar_t*> omit = {});

class TorvanikProcess {
public:
    // Ending the object ends the program and everything it started.
    explicit TorvanikProcess(const std::wstring& folder = InstallationFolder());

    bool Started() const { return process_.Started(); }
    // The main window once it is visible and its caption bar painted,
    // waiting up to `timeoutMs` for it.
    HWND WaitForFrame(DWORD timeoutMs = 20000) const;
    // The exit code once the process ends within `timeoutMs`, else -1.
    int WaitForExit(DWORD timeoutMs = 20000) const;
    bool Running() const { return process_.Running(); }

private:
    testsupport::ChildProcess process_;
};

// Writes 0x00RRGGBB pixels as bin\screenshots\<name>, for looking at.
void SaveScreenshot(const std::wstring& name, int width, int height, const std::vector<DWORD>& pixels);

// The visible main window of the process `pid`, or null: a second instance
// shows the first one's window, which must not count as its own.
HWND FrameOf(DWORD pid);

// True when the frame's blue caption bar shows on the screen (at x, y of
// its client area).
bool CaptionPainted(HWND frame, int x = 400, int y = 60);

// A window standing in for the downloader's (class "CPellarinesFrame",
// title "Downloader"), counting the WM_CLOSE messages it receives and
// keeping the copy-data blocks it is sent.
class DownloaderWindow {
public:
    DownloaderWindow();
    ~DownloaderWindow();
    DownloaderWindow(const DownloaderWindow&) = delete;
    DownloaderWindow& operator=(const DownloaderWindow&) = delete;

    HWND Hwnd() const { return hwnd_; }
    int Closes() const { return closes_; }
    struct CopyData {
        WPARAM wParam;
        std::string bytes;
    };
    const std::vector<CopyData>& Copies() const { return copies_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
    int closes_ = 0;
    std::vector<CopyData> copies_;
};

}  // namespace apptest
