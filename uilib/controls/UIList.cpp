#include "controls/UIList.h"

#include "controls/UIListHeader.h"
#include "controls/UIListInfoKeys.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/manager/UIScrollBar.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }

IListItemUI* AsListItem(CControlUI* control) {
    return control ? static_cast<IListItemUI*>(control->GetInterface(L"ListItem")) : nullptr;
}

bool IsHeaderItem(CControlUI* control) { return std::wcsstr(control->GetClass(), L"ListHeaderItem") != nullptr; }
}  // namespace

CListUI::CListUI() {
    m_pList = new CListBodyUI(this);
    m_pHeader = new CListHeaderUI;
    CVerticalLayoutUI::Add(m_pHeader);
    CVerticalLayoutUI::Add(m_pList);
}

CListUI::~CListUI() = default;

const wchar_t* CListUI::GetClass() const { return L"ListUI"; }

LPVOID CListUI::GetInterface(const wchar_t* name) {
    if (!name) return nullptr;
    if (Is(name, L"List")) return static_cast<CListUI*>(this);
    if (Is(name, L"IList")) return static_cast<IListUI*>(this);
    if (Is(name, L"IListOwner")) {
        UpdateColumnCount();
        return static_cast<IListOwnerUI*>(this);
    }
    return CVerticalLayoutUI::GetInterface(name);
}

UINT CListUI::GetControlFlags() const { return UIFLAG_TABSTOP; }

void CListUI::UpdateColumnCount() {
    m_ListInfo.nColumns = m_pHeader ? std::min(m_pHeader->GetCount(), kMaxListColumns) : 0;
}

void CListUI::SetHeaderItemsInternVisible(bool visible) {
    for (int i = 0; i < m_pHeader->GetCount(); ++i) m_pHeader->GetItemAt(i)->SetInternVisible(visible);
}

void CListUI::SetPos(RECT rc) {
    CVerticalLayoutUI::SetPos(rc);
    if (!m_pHeader) return;
    UpdateColumnCount();
    const bool hidden = !m_pHeader->IsVisible();
    if (hidden) {
        SetHeaderItemsInternVisible(true);
        m_pHeader->SetPos(RECT{rc.left, 0, rc.right, 0});
    }
    const int scrollX = m_pList->GetScrollPos().cx;
    for (int i = 0; i < m_ListInfo.nColumns; ++i) {
        CControlUI* item = m_pHeader->GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        RECT column = item->GetPos();
        if (scrollX > 0) {
            ::OffsetRect(&column, -scrollX, 0);
            item->SetPos(column);
        }
        m_ListInfo.rcColumn[i] = item->GetPos();
    }
    if (hidden) SetHeaderItemsInternVisible(false);
    m_pList->SetPos(m_pList->GetPos());
}

// ---- rows ----

CControlUI* CListUI::GetItemAt(int index) const { return m_pList->GetItemAt(index); }

int CListUI::GetItemIndex(CControlUI* control) const {
    if (!control) return -1;
    if (control->GetInterface(L"ListHeader")) return CVerticalLayoutUI::GetItemIndex(control);
    if (IsHeaderItem(control)) return m_pHeader->GetItemIndex(control);
    return m_pList->GetItemIndex(control);
}

bool CListUI::SetItemIndex(CControlUI* control, int index) {
    if (!control) return false;
    if (control->GetInterface(L"ListHeader")) return CVerticalLayoutUI::SetItemIndex(control, index);
    if (IsHeaderItem(control)) return m_pHeader->SetItemIndex(control, index);
    const int old = m_pList->GetItemIndex(control);
    if (old < 0) return false;
    if (old == index) return true;
    if (!m_pList->SetItemIndex(control, index)) return false;
    for (int i = std::min(old, index); i <= std::max(old, index) && i < GetCount(); ++i) {
        if (IListItemUI* row = AsListItem(GetItemAt(i))) row->SetIndex(i);
    }
    UnSelectAllItems();
    return true;
}

int CListUI::GetCount() const { return m_pList->GetCount(); }

bool CListUI::Add(CControlUI* control) {
    if (!control) return false;
    if (control->GetInterface(L"ListHeader")) {
        CListHeaderUI* header = static_cast<CListHeaderUI*>(control->GetInterface(L"ListHeader"));
        if (header != m_pHeader && m_pHeader->GetCount() == 0) {
            CVerticalLayoutUI::Remove(m_pHeader);
            m_pHeader = header;
        }
        bool added = CVerticalLayoutUI::AddAt(control, 0);
        UpdateColumnCount();
        return added;
    }
    if (IsHeaderItem(control)) {
        bool added = m_pHeader->Add(control);
        UpdateColumnCount();
        return added;
    }
    if (IListItemUI* row = AsListItem(control)) {
        row->SetOwner(this);
        row->SetIndex(GetCount());
    }
    return m_pList->Add(control);
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!control) return false;
    if (control->GetInterface(L"ListHeader")) return Add(control);
    if (IsHeaderItem(control)) {
        bool added = m_pHeader->AddAt(control, index);
        UpdateColumnCount();
        return added;
    }
    if (!m_pList->AddAt(control, index)) return false;
    if (IListItemUI* row = AsListItem(control)) {
        row->SetOwner(this);
        row->SetIndex(index);
    }
    RenumberRowsFrom(index + 1);
    UnSelectAllItems();
    return true;
}

void CListUI::RenumberRowsFrom(int first) {
    for (int i = std::max(first, 0); i < GetCount(); ++i) {
        if (IListItemUI* row = AsListItem(GetItemAt(i))) row->SetIndex(i);
    }
}

void CListUI::ForgetRemovedRow(int removed) {
    CStdPtrArray kept;
    for (int i = 0; i < m_aSelItems.GetSize(); ++i) {
        int index = KeyIndex(m_aSelItems.GetAt(i));
        if (index == removed) continue;
        kept.Add(IndexKey(index > removed ? index - 1 : index));
    }
    m_aSelItems = kept;
    if (m_iExpandedItem == removed)
        m_iExpandedItem = -1;
    else if (m_iExpandedItem > removed)
        --m_iExpandedItem;
}

bool CListUI::Remove(CControlUI* control) {
    if (!control) return false;
    if (control->GetInterface(L"ListHeader")) {
        if (control == m_pHeader) return false;  // the list always keeps its own header
        return CVerticalLayoutUI::Remove(control);
    }
    if (IsHeaderItem(control)) {
        bool removed = m_pHeader->Remove(control);
        UpdateColumnCount();
        return removed;
    }
    const int index = m_pList->GetItemIndex(control);
    if (index < 0) return false;
    return RemoveAt(index);
}

bool CListUI::RemoveAt(int index) {
    if (!m_pList->RemoveAt(index)) return false;
    RenumberRowsFrom(index);
    ForgetRemovedRow(index);
    return true;
}

void CListUI::RemoveAll() {
    m_iExpandedItem = -1;
    m_aSelItems.Empty();
    m_pList->RemoveAll();
}

// ---- selection ----

IListItemUI* CListUI::SelectableRow(int index) const {
    if (index < 0) return nullptr;
    CControlUI* control = GetItemAt(index);
    if (!control || !control->IsVisible() || !control->IsEnabled()) return nullptr;
    return AsListItem(control);
}

bool CListUI::SelectItem(int index, bool takeFocus) {
    // A row's own Select calls back here while the outer call is selecting
    // it: that outer call appends and notifies.
    if (index >= 0 && index == m_iSelectingRow) return true;
    if (index < 0) {
        // A row that was hidden or unselected by itself asks for -1: its
        // index leaves the selection.
        DropStaleSelection();
        return false;
    }
    IListItemUI* row = SelectableRow(index);
    if (!row) return false;
    UnSelectAllItems();
    m_iSelectingRow = index;
    const bool accepted = row->Select(true);
    m_iSelectingRow = -1;
    if (!accepted) return false;
    if (m_aSelItems.Find(IndexKey(index)) < 0) m_aSelItems.Add(IndexKey(index));
    EnsureVisible(index);
    if (takeFocus) GetItemAt(index)->SetFocus();
    if (m_pManager) m_pManager->SendNotify(this, L"itemselect", index, 0);
    return true;
}

void CListUI::DropStaleSelection() {
    CStdPtrArray kept;
    for (int i = 0; i < m_aSelItems.GetSize(); ++i) {
        IListItemUI* row = SelectableRow(KeyIndex(m_aSelItems.GetAt(i)));
        if (row && row->IsSelected()) kept.Add(m_aSelItems.GetAt(i));
    }
    m_aSelItems = kept;
}

bool CListUI::SelectMultiItem(int index, bool takeFocus) {
    if (m_bSingleSelect) return SelectItem(index, takeFocus);
    if (index >= 0 && index == m_iSelectingRow) return true;
    IListItemUI* row = SelectableRow(index);
    if (!row || IsSelected(index)) return false;
    m_iSelectingRow = index;
    const bool accepted = row->Select(true);
    m_iSelectingRow = -1;
    if (!accepted) return false;
    if (!IsSelected(index)) m_aSelItems.Add(IndexKey(index));
    EnsureVisible(index);
    if (takeFocus) GetItemAt(index)->SetFocus();
    if (m_pManager) m_pManager->SendNotify(this, L"itemselect", index, 0);
    return true;
}

bool CListUI::UnSelectItem(int index) {
    IListItemUI* row = SelectableRow(index);
    if (!row) return false;
    const int position = m_aSelItems.Find(IndexKey(index));
    if (position < 0 || !row->Select(false)) return false;
    m_aSelItems.Remove(position);
    return true;
}

void CListUI::SelectAllItems() {
    UnSelectAllItems();
    for (int i = 0; i < GetCount(); ++i) {
        IListItemUI* row = SelectableRow(i);
        if (!row) continue;
        m_iSelectingRow = i;
        const bool accepted = row->Select(true);
        m_iSelectingRow = -1;
        if (accepted) m_aSelItems.Add(IndexKey(i));
    }
}

void CListUI::UnSelectAllItems() {
    CStdPtrArray selected = m_aSelItems;
    m_aSelItems.Empty();
    for (int i = 0; i < selected.GetSize(); ++i) {
        if (IListItemUI* row = SelectableRow(KeyIndex(selected.GetAt(i)))) row->Select(false);
    }
}

int CListUI::GetCurSel() const { return m_aSelItems.IsEmpty() ? -1 : KeyIndex(m_aSelItems.GetAt(0)); }
int CListUI::GetSelectItemCount() const { return m_aSelItems.GetSize(); }

int CListUI::GetNextSelItem(int index) const {
    if (m_aSelItems.IsEmpty()) return -1;
    if (index < 0) return KeyIndex(m_aSelItems.GetAt(0));
    const int position = m_aSelItems.Find(IndexKey(index));
    if (position < 0 || position + 1 >= m_aSelItems.GetSize()) return -1;
    return KeyIndex(m_aSelItems.GetAt(position + 1));
}

void CListUI::SetSingleSelect(bool singleSelect) {
    m_bSingleSelect = singleSelect;
    UnSelectAllItems();
}

bool CListUI::GetSingleSelect() const { return m_bSingleSelect; }

bool CListUI::ExpandItem(int index, bool expand) {
    if (m_iExpandedItem >= 0 && !m_ListInfo.bMultiExpandable) {
        if (IListItemUI* row = AsListItem(GetItemAt(m_iExpandedItem))) row->Expand(false);
        m_iExpandedItem = -1;
    }
    if (expand) {
        CControlUI* control = GetItemAt(index);
        IListItemUI* row = control && control->IsVisible() ? AsListItem(control) : nullptr;
        if (!row) return false;
        m_iExpandedItem = index;
        if (!row->Expand(true)) {
            m_iExpandedItem = -1;
            return false;
        }
    }
    if (IsVisible()) MarkLayoutDirty();
    return true;
}

int CListUI::GetExpandedItem() const { return m_iExpandedItem; }

void CListUI::EnsureVisible(int index) {
    CControlUI* control = GetItemAt(index);
    if (!control) return;
    RECT item = control->GetPos();
    RECT area = m_pList->GetPos();
    RECT inset = m_pList->GetInset();
    area.top += inset.top;
    area.bottom -= inset.bottom;
    CScrollBarUI* bar = m_pList->GetHorizontalScrollBar();
    if (bar && bar->IsVisible()) area.bottom -= bar->GetFixedHeight();
    if (item.top >= area.top && item.bottom < area.bottom) return;
    const int shift = item.bottom > area.bottom ? item.bottom - area.bottom : item.top - area.top;
    SIZE pos = m_pList->GetScrollPos();
    m_pList->SetScrollPos(SIZE{pos.cx, pos.cy + shift});
}

// ---- accessors ----

TListInfoUI* CListUI::GetListInfo() { return &m_ListInfo; }
CListHeaderUI* CListUI::GetHeader() const { return m_pHeader; }
CContainerUI* CListUI::GetList() const { return m_pList; }
IListCallbackUI* CListUI::GetTextCallback() const { return m_pCallback; }
void CListUI::SetTextCallback(IListCallbackUI* callback) { m_pCallback = callback; }

void CListUI::SetItemTextPadding(RECT padding) {
    m_ListInfo.rcTextPadding = padding;
    if (IsVisible()) MarkLayoutDirty();
}

void CListUI::SetItemShowHtml(bool showHtml) {
    if (m_ListInfo.bShowHtml == showHtml) return;
    m_ListInfo.bShowHtml = showHtml;
    if (IsVisible()) MarkLayoutDirty();
}

// ---- scrolling, forwarded to the body ----

int CListUI::GetChildPadding() const { return m_pList->GetChildPadding(); }
void CListUI::SetChildPadding(int padding) { m_pList->SetChildPadding(padding); }
bool CListUI::IsDelayedDestroy() const { return m_pList->IsDelayedDestroy(); }
void CListUI::SetDelayedDestroy(bool delayed) { m_pList->SetDelayedDestroy(delayed); }
SIZE CListUI::GetScrollPos() const { return m_pList->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return m_pList->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE szPos) { m_pList->SetScrollPos(szPos); }
void CListUI::LineUp() { m_pList->LineUp(); }
void CListUI::LineDown() { m_pList->LineDown(); }
void CListUI::PageUp() { m_pList->PageUp(); }
void CListUI::PageDown() { m_pList->PageDown(); }
void CListUI::HomeUp() { m_pList->HomeUp(); }
void CListUI::EndDown() { m_pList->EndDown(); }
void CListUI::LineLeft() { m_pList->LineLeft(); }
void CListUI::LineRight() { m_pList->LineRight(); }
void CListUI::PageLeft() { m_pList->PageLeft(); }
void CListUI::PageRight() { m_pList->PageRight(); }
void CListUI::HomeLeft() { m_pList->HomeLeft(); }
void CListUI::EndRight() { m_pList->EndRight(); }
void CListUI::EnableScrollBar(bool enableVertical, bool enableHorizontal) {
    m_pList->EnableScrollBar(enableVertical, enableHorizontal);
}
CScrollBarUI* CListUI::GetVerticalScrollBar() const { return m_pList->GetVerticalScrollBar(); }
CScrollBarUI* CListUI::GetHorizontalScrollBar() const { return m_pList->GetHorizontalScrollBar(); }

// ---- input ----

bool CListUI::HandleKey(TEventUI& event) {
    const int count = GetCount();
    switch (event.chKey) {
    case VK_PRIOR: PageUp(); return true;
    case VK_NEXT: PageDown(); return true;
    case VK_END:
        if (count > 0) SelectItem(count - 1, true);
        return true;
    case VK_HOME:
        if (count > 0) SelectItem(0, true);
        return true;
    case VK_UP: {
        if (m_aSelItems.IsEmpty()) return true;
        int lowest = KeyIndex(m_aSelItems.GetAt(0));
        for (int i = 1; i < m_aSelItems.GetSize(); ++i) lowest = std::min(lowest, KeyIndex(m_aSelItems.GetAt(i)));
        UnSelectAllItems();
        SelectItem(std::max(lowest - 1, 0), true);
        return true;
    }
    case VK_DOWN: {
        if (m_aSelItems.IsEmpty()) return true;
        int highest = KeyIndex(m_aSelItems.GetAt(0));
        for (int i = 1; i < m_aSelItems.GetSize(); ++i) highest = std::max(highest, KeyIndex(m_aSelItems.GetAt(i)));
        UnSelectAllItems();
        SelectItem(highest + 2 > count ? count - 1 : highest + 1, true);
        return true;
    }
    case L'A':
        if (m_bSingleSelect || (event.wKeyState & MK_CONTROL) == 0) return false;
        SelectAllItems();
        return true;
    default:
        return false;
    }
}

bool CListUI::HandleWheel(TEventUI& event) {
    const bool selectByWheel = m_bScrollSelect && m_bSingleSelect;
    switch (LOWORD(event.wParam)) {
    case 0:  // up
        if (selectByWheel) {
            const int current = GetCurSel();
            SelectItem(FindSelectable(current >= 0 ? current - 1 : -1, false), true);
        } else {
            LineUp();
        }
        return true;
    case 1:  // down
        if (selectByWheel) {
            const int current = GetCurSel();
            SelectItem(FindSelectable(current >= 0 ? current + 1 : 1, true), true);
        } else {
            LineDown();
        }
        return true;
    default:
        return false;
    }
}

void CListUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CVerticalLayoutUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS: m_bFocused = true; return;
    case UIEVENT_KILLFOCUS: m_bFocused = false; return;
    case UIEVENT_KEYDOWN:
        if (HandleKey(event)) return;
        break;
    case UIEVENT_SCROLLWHEEL:
        if (HandleWheel(event)) return;
        break;
    default:
        break;
    }
    CVerticalLayoutUI::DoEvent(event);
}

// ---- attributes ----

bool CListUI::SetInfoAttribute(const wchar_t* name, const wchar_t* value) {
    TListInfoUI& info = m_ListInfo;
    if (SetListInfoColorOrImage(info, name, value)) {
        Invalidate();
        return true;
    }
    if (Is(name, L"itemfont")) {
        info.nFont = ParseIntValue(value);
    } else if (Is(name, L"itemalign")) {
        SetListInfoAlign(info, value);
    } else if (Is(name, L"itemendellipsis")) {
        if (ParseBoolValue(value))
            info.uTextStyle |= DT_END_ELLIPSIS;
        else
            info.uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (Is(name, L"itemtextpadding")) {
        SetItemTextPadding(ParseRectValue(value));
    } else if (Is(name, L"itemcheckimgsize")) {
        info.szCheckImg = ParseSizeValue(value);
    } else if (Is(name, L"itemiconimgsize")) {
        info.szIconImg = ParseSizeValue(value);
    } else if (Is(name, L"itemaltbk")) {
        info.bAlternateBk = ParseBoolValue(value);
    } else if (Is(name, L"itemshowhtml")) {
        SetItemShowHtml(ParseBoolValue(value));
    } else if (Is(name, L"multiexpanding")) {
        info.bMultiExpandable = ParseBoolValue(value);
    } else if (Is(name, L"showvline")) {
        info.bShowVLine = ParseBoolValue(value);
    } else if (Is(name, L"showhline")) {
        info.bShowHLine = ParseBoolValue(value);
    } else {
        return false;
    }
    return true;
}

void CListUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (SetInfoAttribute(name, value)) return;
    if (Is(name, L"header")) {
        m_pHeader->SetVisible(!Is(value, L"hidden"));
    } else if (Is(name, L"headerbkimage")) {
        m_pHeader->SetBkImage(value);
    } else if (Is(name, L"scrollselect")) {
        SetScrollSelect(ParseBoolValue(value));
    } else if (Is(name, L"multipleitem")) {
        SetSingleSelect(!ParseBoolValue(value));
    } else if (Is(name, L"vscrollbar") || Is(name, L"hscrollbar") || Is(name, L"vscrollbarstyle") ||
               Is(name, L"hscrollbarstyle") || Is(name, L"scrollstepsize")) {
        // The rows scroll inside the body, so its bars are the list's.
        m_pList->SetAttribute(name, value);
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

}  // namespace UiLib
