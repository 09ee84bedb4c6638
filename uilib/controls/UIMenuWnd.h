// CMenuWnd: the borderless top-most tool window of one menu level. A top
// menu builds its items from a skin; a sub-menu borrows the sub-items of the
// item that opened it and gives them back when it ends. Every open menu
// window is registered with the process-wide menu observer.
#pragma once
#include "controls/UIMenuObserver.h"
#include "core/base/UiString.h"
#include "core/manager/UIManager.h"
#include "core/window/UIDlgBuilder.h"
#include "core/window/UIWindow.h"

namespace UiLib {

class CMenuUI;
class CMenuElementUI;

// Posted to the main paint manager's window when a leaf item is clicked.
// wParam: a CUiString* allocated with new, holding the item's name; the
// receiver owns it and must delete it (the menu deletes it itself only when
// posting fails). lParam: 1 when the item is now checked, else 0.
const UINT WM_MENUCLICK = WM_USER + 121;

class UILIB_API CMenuWnd final : public CWindowWnd, public ReceiverImpl, public INotifyUI, public IDialogBuilderCallback {
public:
    CMenuWnd();

    // Opens the menu: a top menu (no owner) from `xml`, a sub-menu from the
    // owner's sub-items. `checkStates` and `mainManager` are taken by a top
    // menu only. The window deletes itself when it is destroyed.
    void Init(CMenuElementUI* owner, MenuCheckStates* checkStates, CPaintManagerUI* mainManager, STRINGorID xml,
              DWORD alignment, POINT point);

    const wchar_t* GetWindowClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    BOOL UILIB_THISCALL Receive(int type, HWND param) override;
    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(const wchar_t* pstrClass) override;

    CPaintManagerUI& GetManager() { return m_pm; }
    CMenuUI* GetMenuRoot() const { return m_pLayout; }
    CMenuElementUI* GetOwnerElement() const { return m_pOwner; }

    // True when `hwnd` is the window of an open menu.
    static bool IsMenuWindow(HWND hwnd);

private:
    ~CMenuWnd();

    void CreateTopMenu();
    void CreateSubMenu();
    void PlaceTopMenu();
    void PlaceSubMenu();
    // The owner's sub-items go back to the owner's window and tree.
    void GiveBackSubItems();
    void ApplyRoundCorners();
    RECT WorkArea() const;
    int RootInsetHeight() const;

    POINT m_BasedPoint = {0, 0};
    CUiString m_sXml;
    UINT_PTR m_xmlId = 0;
    CPaintManagerUI m_pm;
    CMenuElementUI* m_pOwner = nullptr;
    CMenuUI* m_pLayout = nullptr;
    DWORD m_dwAlignment = 0;
};

}  // namespace UiLib
