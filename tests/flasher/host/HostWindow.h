// Stands in for the main program around the flashing page: a harness window
// whose tab "TabSwitch" holds the page built by the real Brevlin.dll, and a
// window of the main frame's class and title (so tests that make one hold the
// lock "torvanik_instance") that records the messages the
// page sends it (0x5F5-0x5FA). Also closes the page's modal dialogs as a
// user would, and keeps what they were.
#pragma once

#include "UiHarness.h"
#include "core/manager/UIControl.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
};

class MainFrameRecorder {
public:
    MainFrameRecorder();
    ~MainFrameRecorder();
    HWND Hwnd() const { return hwnd_; }
    std::vector<RecordedMessage> Messages();
    int Count(UINT message);
    void Clear();
    // Called inside the recorded message, on the UI thread (as the main program answers).
    std::function<void(UINT, WPARAM)> onMessage;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    std::mutex lock_;
    std::vector<RecordedMessage> messages_;
};

// Closes the plug-in's dialogs as they appear (with "ok" answers where given)
// and records their window classes.
class DialogCloser {
public:
    explicit DialogCloser(UINT answer = 1);
    ~DialogCloser();
    std::vector<std::wstring> Seen();
    int Count(const wchar_t* className);
    void SetAnswer(UINT answer) { answer_ = answer; }

private:
    void Watch();
    std::atomic<bool> stop_{false};
    std::atomic<UINT> answer_;
    std::mutex lock_;
    std::vector<std::wstring> seen_;
    std::thread thread_;
};

class BrevlinHost {
public:
    BrevlinHost();
    ~BrevlinHost();
    bool Ready() const { return page_ != nullptr; }
    uiharness::HarnessWindow& Window() { return window_; }
    UiLib::CPaintManagerUI& Manager() { return window_.Manager(); }
    MainFrameRecorder& Main() { return main_; }
    UiLib::CControlUI* Page() const { return page_; }
    UiLib::CControlUI* Find(const wchar_t* name);

    // The main program's notifications, through the host's notifiers.
    void Send(const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0);
    void Click(const wchar_t* name);
    int CurrentPage();
    std::wstring TextOf(const wchar_t* name);
    bool WaitForPage(int page, DWORD timeoutMs);

private:
    MainFrameRecorder main_;
    uiharness::HarnessWindow window_;
    HMODULE plugin_ = nullptr;
    UiLib::CControlUI* page_ = nullptr;
};
