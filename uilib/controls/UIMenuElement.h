// CMenuElementUI: one item of a menu. An item holding further menu elements
// opens them in a sub-menu window beside it; a leaf item reports its click
// to the application's main window. Items can be check items, separator
// lines, carry an icon and a sub-menu arrow.
#pragma once
#include "controls/UIListContainerElement.h"

namespace UiLib {

class CMenuWnd;

class UILIB_API CMenuElementUI : public CListContainerElementUI {
    friend class CMenuWnd;

public:
    CMenuElementUI();
    ~CMenuElementUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void UILIB_THISCALL DrawItemText(HDC hDC, const RECT& rcItem) override;

    CMenuWnd* GetMenuWnd() const { return m_pWindow; }
    // The item's state in the application's check-state map.
    bool GetChecked() const;
    void SetChecked(bool checked);
    bool IsCheckItem() const { return m_bCheckItem; }
    bool IsLine() const { return m_bDrawLine; }
    bool HasSubItems() const;

private:
    // Shows the sub-items and opens them in a sub-menu window.
    void OpenSubMenu();
    // What hovering (or Right) does: open this item's sub-menu, or close the
    // sub-menus below this menu; then this item becomes the selection.
    void Hover();
    void SetSubItemsVisible(bool visible);
    HWND MenuWindow() const;
    void PaintLine(HDC hDC);
    void PaintIconAndArrow(HDC hDC);
    SIZE EstimateOwnText(SIZE available);

    CMenuWnd* m_pWindow = nullptr;
    bool m_bDrawLine = false;
    DWORD m_dwLineColor = 0xFFBCBFC4;
    RECT m_rcLinePadding = {29, 0, 7, 0};
    SIZE m_szIconSize = {16, 16};
    CUiString m_strIcon;
    bool m_bCheckItem = false;
    bool m_bShowExplandIcon = false;
};

}  // namespace UiLib
