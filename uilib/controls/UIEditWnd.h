// CEditWnd: the native EDIT window an edit control opens over its text area
// while it has the keyboard focus. The object deletes itself once its window
// is destroyed.
#pragma once
#include "core/window/UIWindow.h"

namespace UiLib {

class CEditUI;

class CEditWnd final : public CWindowWnd {
public:
    // Creates the window over the owner and gives it the focus.
    void Init(CEditUI* owner);
    // The owner's text area in the native window's parent coordinates.
    RECT CalcPos() const;
    // The owner is going away: forget it and destroy the window.
    void Detach();

    const wchar_t* GetWindowClassName() const override { return L"EditWnd"; }
    const wchar_t* GetSuperClassName() const override { return L"Edit"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT CallEditProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
        return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
    }
    // Colours of the reflected colour requests; null leaves the defaults.
    HBRUSH ColorEdit(HDC hDC);
    void OnEditChanged();
    void SendOwnerKeyDown(WPARAM key);
    // A popup editor (over a transparent window) sits in screen coordinates.
    bool IsPopup() const;

    CEditUI* m_pOwner = nullptr;
    HBRUSH m_hBkBrush = nullptr;
    bool m_bInit = false;
    // Messages being handled: the object is deleted only when none is, since
    // a notification handler may destroy the owner and with it this window.
    int m_iHandling = 0;
    bool m_bFinished = false;
};

}  // namespace UiLib
