#include "controls/UITabLayout.h"

#include "controls/LayoutMath.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

const wchar_t* CTabLayoutUI::GetClass() const { return L"TabLayoutUI"; }

LPVOID CTabLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"TabLayout") == 0) return static_cast<CTabLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    if (!CContainerUI::Add(control)) return false;
    if (m_iCurSel == -1 && control->IsVisible())
        m_iCurSel = GetItemIndex(control);
    else
        control->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (m_iCurSel == -1 && control->IsVisible()) {
        m_iCurSel = GetItemIndex(control);
    } else {
        // The selected page moves up when something lands before it; the
        // newcomer is a page like any other and stays hidden.
        if (m_iCurSel != -1 && index <= m_iCurSel) ++m_iCurSel;
        control->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    if (!control) return false;
    const int index = GetItemIndex(control);
    // Not a page of this layout: nothing is removed and the selection stays.
    if (index < 0 || !CContainerUI::Remove(control)) return false;
    if (m_iCurSel == index) {
        if (GetCount() > 0) {
            m_iCurSel = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
        MarkParentLayoutDirty();
    } else if (m_iCurSel > index) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    MarkParentLayoutDirty();
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_iCurSel) return true;
    const int old = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (i == index) {
            page->SetVisible(true);
            page->SetFocus();
            SetPos(m_rcItem);
        } else {
            page->SetVisible(false);
        }
    }
    MarkParentLayoutDirty();
    if (m_pManager) {
        m_pManager->SetNextTabControl();
        m_pManager->SendNotify(this, L"tabselect", static_cast<WPARAM>(index), static_cast<LPARAM>(old));
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* page) {
    const int index = GetItemIndex(page);
    return index >= 0 && SelectItem(index);
}

void CTabLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT working = layout::Shrink(m_rcItem, m_rcInset);
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_iCurSel) continue;
        RECT page = layout::Shrink(working, child->GetPadding());
        SIZE available = {page.right - page.left, page.bottom - page.top};
        SIZE sz = child->EstimateSize(available);
        if (sz.cx == 0) sz.cx = std::max<int>(0, available.cx);
        if (sz.cy == 0) sz.cy = std::max<int>(0, available.cy);
        sz.cx = layout::ClampWidth(child, sz.cx);
        sz.cy = layout::ClampHeight(child, sz.cy);
        child->SetPos(RECT{page.left, page.top, page.left + sz.cx, page.top + sz.cy});
    }
}

void CTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"selectedid") == 0) {
        int index = ParseIntValue(value);
        if (index >= 0) SelectItem(index);
    }
    CContainerUI::SetAttribute(name, value);
}

}  // namespace UiLib
