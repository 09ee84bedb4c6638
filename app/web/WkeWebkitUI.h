// A UI control showing a wke.dll web view. The engine draws off-screen; the
// control's child window CWkeWebkitWnd creates the view, copies its picture
// to the screen and forwards mouse, keyboard, focus and input-method input.
// The flashing plug-in builds the same source with WKE_PLUGIN_VARIANT: its
// control ignores the "url" attribute, can load HTML text and run scripts,
// and leaves visibility to the base.
#pragma once

#include <string>

#include "core/manager/UIControl.h"
#include "core/window/UIWindow.h"
#include "web/WkeApi.h"

class CWkeWebkitUI;

class CWkeWebkitWnd final : public UiLib::CWindowWnd, public _wkeBufHandler {
public:
    explicit CWkeWebkitWnd(CWkeWebkitUI* owner) : owner_(owner) {}
    // Normally deleted by its own final message; the control deletes one
    // whose window was never created.
    ~CWkeWebkitWnd() = default;

    const wchar_t* GetWindowClassName() const override { return L"WkeWebkit"; }
    const wchar_t* GetSuperClassName() const override { return nullptr; }
    UINT GetClassStyle() const override { return 0; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    void WKE_CALL OnBufUpdated(HDC hdc, int x, int y, int cx, int cy) override;

    wkeWebView View() const { return view_; }
    void DetachOwner() { owner_ = nullptr; }
    void SetUrl(const std::wstring& url) { url_ = url; }
    const std::wstring& Url() const { return url_; }

private:
    LRESULT OnPaint();
    LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnImeStartComposition();
    POINT ClientOrigin() const;

    CWkeWebkitUI* owner_;
    wkeWebView view_ = nullptr;
    std::wstring url_;
};

class CWkeWebkitUI : public UiLib::CControlUI {
public:
    CWkeWebkitUI() = default;
    ~CWkeWebkitUI() override;

    const wchar_t* GetClass() const override { return L"WbkWebkitUI"; }
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
#ifndef WKE_PLUGIN_VARIANT
    void SetVisible(bool visible = true) override;
#endif
    void SetInternVisible(bool visible = true) override;
    void DoInit() override;
    void DoEvent(UiLib::TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    void Navigate(std::wstring url);
    void GoBack();
    void GoForward();
#ifdef WKE_PLUGIN_VARIANT
    // Loads HTML text (kept as the window's address).
    void LoadHTML(const std::wstring& html);
    // Runs a script in the page; its value as text.
    std::wstring RunScript(const std::wstring& script);
#else
    bool IsLoadComplete() const;
#endif

    // The engine view, or none when the engine or its window is missing.
    wkeWebView View() const;
    CWkeWebkitWnd* Window() const { return window_; }

private:
    friend class CWkeWebkitWnd;
    CWkeWebkitWnd* window_ = nullptr;
};
