// The main program's only top-level window: the skinned frame "UIMainFrame"
// with its tab pages, phone panel, web panes and the flashing page that
// Brevlin.dll supplies. Closing it only hides it; the program ends through
// the message loop.
#pragma once

#include <windows.h>

#include <string>

#include "core/window/WindowImplBase.h"

class CWkeWebkitUI;

class VOvoduReridOro : public UiLib::WindowImplBase {
public:
    VOvoduReridOro();
    ~VOvoduReridOro() override;

    const wchar_t* GetWindowClassName() const override { return L"UIMainFrame"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    void OnWindowReady() override;
    void Notify(UiLib::TNotifyUI& msg) override;
    UiLib::CControlUI* CreateControl(const wchar_t* className) override;

    // The parts of the frame the workers and the other programs talk to; the
    // frame stops them before the web engine shuts down.
    void StopServices();

    // The caption test of the frame: inside the caption area, buttons,
    // options and text controls (and no control) are client area, anything
    // else drags the window. No resize borders.
    LRESULT HitTest(POINT screenPoint);

    static constexpr UINT kMenuClick = WM_USER + 121;  // 0x479, wParam: the item's name

protected:
    UiLib::CUiString GetSkinDirectory() override { return L"skin\\Torvanik"; }
    UiLib::CUiString GetSkinFileName() override { return L"UISkinTorvanik.xml"; }
    LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    void Init();
    void OnMenuItem(const wchar_t* item);
    void OnCopyData(const COPYDATASTRUCT* data);
    void ShowVersion();
    UiLib::CControlUI* Find(const wchar_t* name) const;

    HMODULE hemlar_ = nullptr;
    HMODULE brevlin_ = nullptr;
    HANDLE ticketsMutex_ = nullptr;
    int screenRefresh_ = 0;  // 0 idle, 1 asked by the user, 2 asked by the program
    std::string androidId_;
    std::wstring vendorId_, productId_;
    char largeIconUrl_[260] = {};

    UiLib::CControlUI* closeButton_ = nullptr;
    UiLib::CControlUI* minButton_ = nullptr;
    CWkeWebkitUI* webAppCenter_ = nullptr;
    CWkeWebkitUI* webRecommend_ = nullptr;
    CWkeWebkitUI* webRecentNews_ = nullptr;
};

// The window that the "msgBox" script function of the recommendation pane
// reports to (message 0x523 with the UTF-8 and the wide text).
HWND ScriptCallbackWindow();

// Finds a window by class and title and sends it WM_CLOSE; used for the
// downloader when the program ends.
void CloseDownloaderWindow();
