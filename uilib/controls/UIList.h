// CListUI: a column of rows under a column header. The list owns the header
// (child 0) and the scrolling body (child 1) that holds the rows; row
// operations of the container interface reach the body. It keeps the shared
// row appearance, a selection of row indices and moves it by keys and wheel.
#pragma once
#include "controls/UIListInterfaces.h"
#include "controls/UIVerticalLayout.h"

namespace UiLib {

class CListUI;
class CListHeaderUI;

// The list's body: a vertical layout whose rows are as wide as the columns
// and whose horizontal scrolling carries the header along.
class UILIB_API CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* owner);

    void SetPos(RECT rc) override;
    void DoEvent(TEventUI& event) override;
    void SetScrollPos(SIZE szPos) override;

private:
    // The width rows are given: the header's when it has items, else the widest row.
    int NeededWidth(SIZE available);

    CListUI* m_pOwner;
};

class UILIB_API CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();
    ~CListUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetPos(RECT rc) override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    int GetChildPadding() const override;
    void SetChildPadding(int padding) override;
    bool IsDelayedDestroy() const override;
    void SetDelayedDestroy(bool delayed) override;
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE szPos) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;
    void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    TListInfoUI* UILIB_THISCALL GetListInfo() override;
    int UILIB_THISCALL GetCurSel() const override;
    bool UILIB_THISCALL SelectItem(int index, bool takeFocus = false) override;
    CListHeaderUI* UILIB_THISCALL GetHeader() const override;
    CContainerUI* UILIB_THISCALL GetList() const override;
    IListCallbackUI* UILIB_THISCALL GetTextCallback() const override;
    void UILIB_THISCALL SetTextCallback(IListCallbackUI* callback) override;
    bool UILIB_THISCALL ExpandItem(int index, bool expand = true) override;
    int UILIB_THISCALL GetExpandedItem() const override;
    bool UILIB_THISCALL SelectMultiItem(int index, bool takeFocus = false) override;
    void UILIB_THISCALL SetSingleSelect(bool singleSelect) override;
    bool UILIB_THISCALL GetSingleSelect() const override;
    bool UILIB_THISCALL UnSelectItem(int index) override;
    void UILIB_THISCALL SelectAllItems() override;
    void UILIB_THISCALL UnSelectAllItems() override;
    int UILIB_THISCALL GetSelectItemCount() const override;
    int UILIB_THISCALL GetNextSelItem(int index) const override;

    // Scrolls the body vertically so that row `index` shows whole.
    void EnsureVisible(int index);
    bool IsSelected(int index) const { return m_aSelItems.Find(IndexKey(index)) >= 0; }
    bool GetScrollSelect() const { return m_bScrollSelect; }
    void SetScrollSelect(bool scrollSelect) { m_bScrollSelect = scrollSelect; }
    void SetItemTextPadding(RECT padding);
    void SetItemShowHtml(bool showHtml);
    // Refreshes the column count from the header (at most 32 columns).
    void UpdateColumnCount();

private:
    static void* IndexKey(int index) { return reinterpret_cast<void*>(static_cast<INT_PTR>(index)); }
    static int KeyIndex(void* key) { return static_cast<int>(reinterpret_cast<INT_PTR>(key)); }
    // The row at `index` when it can take part in a selection change.
    IListItemUI* SelectableRow(int index) const;
    // Sets or clears a header's items' internal visibility for hidden-header layouts.
    void SetHeaderItemsInternVisible(bool visible);
    void RenumberRowsFrom(int first);
    // The selection after row `removed` left the body: its index goes, later indices move down.
    void ForgetRemovedRow(int removed);
    // Drops indices whose rows are gone, hidden, disabled or no longer selected.
    void DropStaleSelection();
    bool HandleKey(TEventUI& event);
    bool HandleWheel(TEventUI& event);
    bool SetInfoAttribute(const wchar_t* name, const wchar_t* value);

    bool m_bScrollSelect = false;
    bool m_bSingleSelect = false;
    CStdPtrArray m_aSelItems;
    int m_iExpandedItem = -1;
    IListCallbackUI* m_pCallback = nullptr;
    CListBodyUI* m_pList = nullptr;
    CListHeaderUI* m_pHeader = nullptr;
    TListInfoUI m_ListInfo;
    // The row whose own Select is calling back into SelectItem, so that the
    // re-entrant call selects it once and notifies once.
    int m_iSelectingRow = -1;
};

}  // namespace UiLib
