#include "controls/UIListElement.h"
#include "controls/UIListItemPaint.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
}  // namespace

CListImageTextElementUI::~CListImageTextElementUI() {
    FreeStrings(m_aNormalIcons);
    FreeStrings(m_aSelectedIcons);
    FreeStrings(m_aUncheckedImages);
    FreeStrings(m_aCheckedImages);
}

const wchar_t* CListImageTextElementUI::GetClass() const { return L"ListImageTextElementUI"; }

LPVOID CListImageTextElementUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"ListImageTextElement")) return static_cast<CListImageTextElementUI*>(this);
    return CListTextElementUI::GetInterface(name);
}

// ---- per-column arrays: every read checks the array's own length ----

CUiString* CListImageTextElementUI::StringAt(const CStdPtrArray& array, int index) {
    return static_cast<CUiString*>(array.GetAt(index));
}

void CListImageTextElementUI::SetStringAt(CStdPtrArray& array, int index, const wchar_t* text) {
    while (array.GetSize() <= index) array.Add(new CUiString);
    *StringAt(array, index) = text ? text : L"";
}

void CListImageTextElementUI::FreeStrings(CStdPtrArray& array) {
    for (int i = 0; i < array.GetSize(); ++i) delete StringAt(array, i);
    array.Empty();
}

bool CListImageTextElementUI::ByteAt(const CStdValArray& array, int index) {
    const BYTE* value = static_cast<const BYTE*>(array.GetAt(index));
    return value && *value != 0;
}

void CListImageTextElementUI::SetByteAt(CStdValArray& array, int index, bool value) {
    const BYTE unset = 0;
    while (array.GetSize() <= index) array.Add(&unset);
    *static_cast<BYTE*>(array.GetAt(index)) = value ? 1 : 0;
}

void CListImageTextElementUI::SetIcon(int column, const wchar_t* normalIcon, const wchar_t* selectedIcon) {
    if (column < 0 || column >= kMaxListColumns) return;
    SetStringAt(m_aNormalIcons, column, normalIcon);
    SetStringAt(m_aSelectedIcons, column, selectedIcon);
    Repaint();
}

void CListImageTextElementUI::SetCheckBox(int column, bool hasCheckBox, const wchar_t* uncheckedImage,
                                          const wchar_t* checkedImage) {
    if (column < 0 || column >= kMaxListColumns) return;
    SetByteAt(m_aHasCheckBox, column, hasCheckBox);
    SetStringAt(m_aUncheckedImages, column, uncheckedImage);
    SetStringAt(m_aCheckedImages, column, checkedImage);
    Repaint();
}

bool CListImageTextElementUI::SetCheck(int column, bool checked) {
    if (!m_pOwnerList || column < 0 || column >= m_pOwnerList->GetListInfo()->nColumns) return false;
    SetByteAt(m_aChecked, column, checked);
    // The state array reaches the column count with unchecked entries.
    for (int i = m_aChecked.GetSize(); i < m_pOwnerList->GetListInfo()->nColumns; ++i) SetByteAt(m_aChecked, i, false);
    Repaint();
    return true;
}

bool CListImageTextElementUI::GetCheck(int column) const { return ByteAt(m_aChecked, column); }

bool CListImageTextElementUI::HasCheckBox(int column) const { return ByteAt(m_aHasCheckBox, column); }

// ---- geometry ----

RECT CListImageTextElementUI::CheckBoxRect(const TListInfoUI& info, const RECT& cell, int column) const {
    if (::IsRectEmpty(&cell) || !HasCheckBox(column)) return RECT{0, 0, 0, 0};
    RECT box;
    box.left = cell.left;
    box.right = std::min<LONG>(cell.left + info.szCheckImg.cx, cell.right);
    box.top = cell.top + (cell.bottom - cell.top - info.szCheckImg.cy) / 2;
    box.bottom = std::min<LONG>(box.top + info.szCheckImg.cy, cell.bottom);
    return box;
}

RECT CListImageTextElementUI::IconRect(const TListInfoUI& info, const RECT& cell, const RECT& checkBox,
                                       int column) const {
    const CUiString* normal = StringAt(m_aNormalIcons, column);
    const CUiString* selected = StringAt(m_aSelectedIcons, column);
    const bool hasIcon = (normal && !normal->IsEmpty()) || (selected && !selected->IsEmpty());
    if (!hasIcon) return RECT{0, 0, 0, 0};
    RECT icon;
    icon.left = ::IsRectEmpty(&checkBox) ? cell.left : checkBox.right + 2;
    icon.right = std::min<LONG>(icon.left + info.szIconImg.cx, cell.right);
    icon.top = cell.top + (cell.bottom - cell.top - info.szIconImg.cy) / 2;
    icon.bottom = std::min<LONG>(icon.top + info.szIconImg.cy, cell.bottom);
    return icon;
}

int CListImageTextElementUI::HitColumn(POINT pt, bool* onCheckBox) const {
    if (onCheckBox) *onCheckBox = false;
    if (!m_pOwner) return -1;
    const TListInfoUI& info = *m_pOwner->GetListInfo();
    for (int i = 0; i < info.nColumns; ++i) {
        RECT column = {info.rcColumn[i].left, m_rcItem.top, info.rcColumn[i].right, m_rcItem.bottom};
        if (!::PtInRect(&column, pt)) continue;
        if (onCheckBox) {
            RECT box = CheckBoxRect(info, CellRect(info, i), i);
            *onCheckBox = ::PtInRect(&box, pt) != FALSE;
        }
        return i;
    }
    return -1;
}

// ---- painting and input ----

void CListImageTextElementUI::DrawItemText(HDC hDC, const RECT&) {
    if (!m_pOwner) return;
    TListInfoUI* info = m_pOwner->GetListInfo();
    const DWORD colour = ListRowTextColor(*info, RowState());
    const UINT style = DT_SINGLELINE | info->uTextStyle;
    for (int i = 0; i < info->nColumns; ++i) {
        const RECT cell = CellRect(*info, i);
        const RECT box = CheckBoxRect(*info, cell, i);
        if (!::IsRectEmpty(&box)) {
            CUiString* image = StringAt(GetCheck(i) ? m_aCheckedImages : m_aUncheckedImages, i);
            if (image && !image->IsEmpty() && !CRenderEngine::DrawImageString(hDC, m_pManager, box, m_rcPaint, *image))
                image->Empty();
        }
        const RECT icon = IconRect(*info, cell, box, i);
        if (!::IsRectEmpty(&icon)) {
            CUiString* image = StringAt(m_bSelected ? m_aSelectedIcons : m_aNormalIcons, i);
            if (image && !image->IsEmpty() && !CRenderEngine::DrawImageString(hDC, m_pManager, icon, m_rcPaint, *image))
                image->Empty();
        }
        RECT text = cell;
        if (!::IsRectEmpty(&icon))
            text.left = icon.right + 2;
        else if (!::IsRectEmpty(&box))
            text.left = box.right + 2;
        text.left = std::min(text.left, text.right);
        const wchar_t* content = ColumnText(i);
        if (info->bShowHtml) {
            int links = 0;
            CRenderEngine::DrawRichText(hDC, m_pManager, text, content, colour, nullptr, nullptr, &links, style);
        } else {
            CRenderEngine::DrawTextW(hDC, m_pManager, text, content, colour, info->nFont, style);
        }
        DrawColumnLine(hDC, *info, i);
    }
}

void CListImageTextElementUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_BUTTONDOWN) {
        SetFocus();
        bool onCheckBox = false;
        const int column = HitColumn(event.ptMouse, &onCheckBox);
        if (IsEnabled() && onCheckBox && column < m_aHasCheckBox.GetSize()) {
            SetByteAt(m_aChecked, column, !GetCheck(column));
            Repaint();
            if (m_pManager) m_pManager->SendNotify(this, L"list_check_click", m_iIndex, column);
        }
    } else if (event.Type == UIEVENT_DBLCLICK && IsEnabled()) {
        Repaint();
        if (m_pManager) m_pManager->SendNotify(this, L"list_item_dbclick", m_iIndex, HitColumn(event.ptMouse, nullptr));
        return;
    }
    CListTextElementUI::DoEvent(event);
}

}  // namespace UiLib
