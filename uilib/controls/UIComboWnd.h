// CComboWnd: the pop-up a combo opens below (or, near the screen bottom,
// above) itself. A column of its own adopts the combo's rows while it is
// open and gives them back when it closes. The object deletes itself once
// its window is destroyed.
#pragma once
#include "core/manager/UIManager.h"
#include "core/window/UIWindow.h"

namespace UiLib {

class CComboUI;
class CVerticalLayoutUI;

class CComboWnd final : public CWindowWnd, public INotifyUI {
public:
    // Places and creates the pop-up for `owner` and shows it.
    void Init(CComboUI* owner);
    // The owner is going away: its rows go back to it and the window goes.
    void Detach();
    // A row leaves the combo while the pop-up shows it.
    void ForgetItem(CControlUI* item);
    // Scrolls the column so that row `index` shows whole.
    void EnsureVisible(int index);

    const wchar_t* GetWindowClassName() const override { return L"ComboWnd"; }
    UINT GetClassStyle() const override { return CS_DROPSHADOW; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    void Notify(TNotifyUI& msg) override;

private:
    LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Where the pop-up goes on the screen.
    RECT PlaceBelowOrAbove() const;
    void BuildColumn();
    // The rows return to the owner's manager and parent; once only.
    void ReturnItems();
    void ForwardToOwner(int type, WPARAM wParam, LPARAM lParam, UINT key);

    CComboUI* m_pOwner = nullptr;
    CPaintManagerUI m_pm;
    CVerticalLayoutUI* m_pLayout = nullptr;
    int m_iOldSel = -1;
    bool m_bItemsReturned = false;
    // Messages being handled: the object is deleted only when none is, since
    // a notification handler may destroy the combo and with it this window.
    int m_iHandling = 0;
    bool m_bFinished = false;
};

}  // namespace UiLib
