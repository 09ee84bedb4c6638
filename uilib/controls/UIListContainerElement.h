// CListContainerElementUI: a list row that is a horizontal layout of any
// controls. In a list with a header its children line up with the columns.
// Menu elements and tree nodes derive from it and inherit DrawItemBk.
#pragma once
#include "controls/UIHorizontalLayout.h"
#include "controls/UIListInterfaces.h"
#include "controls/UIListItemPaint.h"

namespace UiLib {

class UILIB_API CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    CListContainerElementUI();
    ~CListContainerElementUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    int UILIB_THISCALL GetIndex() const override;
    void UILIB_THISCALL SetIndex(int index) override;
    IListOwnerUI* UILIB_THISCALL GetOwner() override;
    void UILIB_THISCALL SetOwner(CControlUI* owner) override;
    bool UILIB_THISCALL IsSelected() const override;
    bool UILIB_THISCALL Select(bool select = true) override;
    bool UILIB_THISCALL IsExpanded() const override;
    bool UILIB_THISCALL Expand(bool expand = true) override;
    void UILIB_THISCALL DrawItemText(HDC hDC, const RECT& rcItem) override;

    // Slot 141: the row background, which menu elements and tree nodes reuse.
    virtual void DrawItemBk(HDC hDC, const RECT& rcItem);

protected:
    void Repaint();
    ListRowState RowState() const;
    // Children take the columns' left and right edges.
    void AlignToColumns();

    static const UINT kHot = 0x08;
    template <typename Row> friend struct ListRowBehaviour;

    int m_iIndex = -1;
    bool m_bSelected = false;
    UINT m_uButtonState = 0;
    IListOwnerUI* m_pOwner = nullptr;
};

}  // namespace UiLib
