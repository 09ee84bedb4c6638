// One harness for every window test of the UI library: a real native window
// under the test X server whose procedure hands messages to a paint manager,
// helpers that send input and pump until a condition holds, and a pixel
// readback that paints the tree into a 32-bit bitmap through WM_PRINTCLIENT,
// so checks do not depend on what the screen shows.
#pragma once
#include "core/manager/UIContainer.h"
#include "core/manager/UIManager.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace uiharness {

// Runs the library's message loop step (pre-translation first) until `done`
// answers true or the time-out passes; returns whether `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
void PumpFor(DWORD milliseconds);

// Passes when a control's rectangle is the expected one, else says both.
::testing::AssertionResult RectIs(const RECT& actual, const RECT& expected);

// Pixels of the client area, 0x00RRGGBB.
struct Snapshot {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Pixels inside `rc` whose strongest channel is the given one (16 red,
// 8 green, 0 blue) by a clear margin: antialiased text keeps its hue.
int CountTinted(const Snapshot& shot, const RECT& rc, int shift);

// Paints a window's client area through WM_PRINTCLIENT into a 32-bit bitmap.
Snapshot CaptureWindow(HWND hwnd);
// What the screen shows of a window, its child windows included.
Snapshot CaptureScreen(HWND hwnd);

class HarnessWindow {
public:
    explicit HarnessWindow(int width = 200, int height = 150);
    ~HarnessWindow();
    HarnessWindow(const HarnessWindow&) = delete;
    HarnessWindow& operator=(const HarnessWindow&) = delete;

    HWND Hwnd() const { return hwnd_; }
    UiLib::CPaintManagerUI& Manager() { return manager_; }

    // Attaches the tree, shows the window and waits for its first paint.
    bool Show(UiLib::CControlUI* root);
    // Builds a skin given as XML text into this window and shows it.
    bool ShowSkin(const wchar_t* xml);
    // Lets pending paints run, so layout is current.
    void Settle();

    // Mouse input at client coordinates, sent straight to the window.
    void MouseMove(int x, int y);
    void MouseDown(int x, int y);
    void MouseUp(int x, int y);
    void Click(int x, int y);
    void Wheel(int x, int y, int delta);
    // Keys go through the message queue and the library's pre-translation.
    void Key(UINT vk);
    void SysChar(wchar_t ch);
    static void SetKeyDown(int vk, bool down);

    Snapshot Capture();
    int PaintCount() const { return paints_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UiLib::CPaintManagerUI manager_;
    HWND hwnd_ = nullptr;
    int paints_ = 0;
};

// A new control of type T floating in `parent`, with the given attribute list.
template <class T>
T* AddFloating(UiLib::CContainerUI* parent, const wchar_t* attributes) {
    T* control = new T;
    control->SetAttribute(L"float", L"true");
    control->ApplyAttributeList(attributes);
    parent->Add(control);
    return control;
}

// Records the events it receives (type and the sender) and answers the
// control flags it was given.
class RecordingControl : public UiLib::CControlUI {
public:
    explicit RecordingControl(const wchar_t* name = L"", UINT flags = 0);
    ~RecordingControl() override;

    UINT GetControlFlags() const override { return flags_; }
    void DoEvent(UiLib::TEventUI& event) override;
    bool Activate() override;

    int Count(int type) const;
    std::vector<int> Types() const;
    void Clear() { events.clear(); }

    std::vector<UiLib::TEventUI> events;
    int activations = 0;
    bool* destroyed = nullptr;
    std::function<void(UiLib::TEventUI&)> onEvent;

private:
    UINT flags_;
};

// A control that paints whatever the test gives it, over its own background.
class PaintingControl : public UiLib::CControlUI {
public:
    void PaintBkImage(HDC hDC) override;

    std::function<void(HDC, const RECT& item)> paint;
};

// Records every notification it is given.
class RecordingNotifier : public UiLib::INotifyUI {
public:
    struct Entry {
        std::wstring type;
        UiLib::CControlUI* sender;
        WPARAM wParam;
    };
    void Notify(UiLib::TNotifyUI& msg) override;
    int Count(const wchar_t* type) const;

    std::vector<Entry> entries;
    std::function<void(UiLib::TNotifyUI&)> onNotify;
};

}  // namespace uiharness
