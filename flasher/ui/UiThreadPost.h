// Hands work from the plug-in's worker threads to the UI thread, the only
// thread that touches controls: a hidden message window created on the UI
// thread runs each job it receives. Once closed (the page is going away),
// jobs are dropped and calls answer their default.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>

class UiThreadPost : public std::enable_shared_from_this<UiThreadPost> {
public:
    // Create on the UI thread.
    static std::shared_ptr<UiThreadPost> Create();
    ~UiThreadPost();

    // Runs `job` on the UI thread later; false when it was dropped.
    bool Post(std::function<void()> job);
    // Runs `job` on the UI thread and waits for it (at once when called on
    // the UI thread); false when the window is gone and it did not run.
    bool Call(const std::function<void()>& job);

    // Called on the UI thread by the owner before it goes.
    void Close();

private:
    UiThreadPost() = default;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND Window();

    std::mutex lock_;
    HWND hwnd_ = nullptr;
    DWORD uiThread_ = 0;
};
