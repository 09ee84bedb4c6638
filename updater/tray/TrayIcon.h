// The notification-area icon the check mode shows while it downloads: it
// cycles through three pictures, a click shows a balloon, and its menu's one
// command, "退出", ends the updater. It lives on a thread of its own with a
// hidden window and its own message loop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <thread>

class TrayIcon {
public:
    explicit TrayIcon(HINSTANCE instance);
    ~TrayIcon();  // Stop()
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Removes the icon and ends the tray thread's loop; waits for it.
    void Stop();

    // Takes the icon away; the thread goes on (the watchdog's last act).
    void RemoveIcon();

    // The hidden window, once the thread made it (tests talk to it).
    HWND Window() const { return window_.load(); }

    static constexpr UINT kCallbackMessage = WM_USER + 0x64;
    static constexpr UINT kIconId = 101;
    static constexpr UINT kExitCommand = 40002;
    static constexpr UINT_PTR kAnimationTimer = 3;

private:
    void Run(HINSTANCE instance);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void ShowBalloon();
    void NextIcon();

    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> threadId_{0};
    std::atomic<bool> stop_{false};
    HANDLE ready_;
    NOTIFYICONDATAW record_ = {};
    HICON icons_[3] = {};
    HMENU menu_ = nullptr;
    unsigned ticks_ = 0;
    UINT taskbarCreated_ = 0;
};
