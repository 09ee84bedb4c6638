// CWindowWnd: a thin owner of one native window. It registers the window
// class (or a superclass of a system class), creates the window with itself
// as the creation parameter and routes every message to HandleMessage. It
// also subclasses existing windows, runs modal loops, centres and closes.
#pragma once
#include "core/base/UiLibApi.h"

#include <windows.h>

namespace UiLib {

class UILIB_API CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    virtual const wchar_t* GetWindowClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc,
                HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    // Takes over an existing window: its procedure is replaced and kept as the old one.
    HWND Subclass(HWND hWnd);
    void RestoreWindowProc();

    // Shows or hides the window; takeFocus also activates a shown window.
    void ShowWindow(bool show = true, bool takeFocus = true);
    UINT ShowModal();
    void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);

    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    ~CWindowWnd() = default;

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_OldWndProc = ::DefWindowProcW;
    bool m_bSubclassed = false;

private:
    template <class Slot>
    static LRESULT Route(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Shared tail of both procedures: WM_NCDESTROY ends the object's hold on the window.
    static LRESULT FinalMessage(CWindowWnd* self, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

}  // namespace UiLib
