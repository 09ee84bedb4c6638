#include "UIVerticalLayout.h"

#include "LayoutMath.h"
#include "core/UIAttributeValue.h"
#include "core/UIScrollBar.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

CVerticalLayoutUI::CVerticalLayoutUI() : CBoxLayoutUI(true) {}

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"VerticalLayout") == 0) return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"sepheight") == 0)
        SetSepHeight(ParseIntValue(value));
    else if (std::wcscmp(name, L"sepimm") == 0)
        SetSepImmMode(ParseBoolValue(value));
    else
        CContainerUI::SetAttribute(name, value);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT working = layout::Shrink(m_rcItem, m_rcInset);
    if (m_items.IsEmpty()) {
        ProcessScrollBar(working, 0, 0);
        return;
    }
    const bool vBar = IsBarVisible(m_pVerticalScrollBar);
    const bool hBar = IsBarVisible(m_pHorizontalScrollBar);
    if (vBar) working.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (hBar) working.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    SIZE available = {working.right - working.left, working.bottom - working.top};
    if (hBar) available.cx += m_pHorizontalScrollBar->GetScrollRange();

    int adjustable = 0, fixedTotal = 0, estimated = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        SIZE sz = child->EstimateSize(available);
        if (sz.cy == 0)
            ++adjustable;
        else
            fixedTotal += layout::ClampHeight(child, sz.cy);
        RECT padding = child->GetPadding();
        fixedTotal += padding.top + padding.bottom;
        ++estimated;
    }
    int expand = 0;
    if (adjustable > 0)
        expand = std::max<int>(0, (available.cy - fixedTotal - m_iChildPadding * (estimated - 1)) / adjustable);

    int y = working.top;
    if (vBar) y -= m_pVerticalScrollBar->GetScrollPos();
    int x = working.left;
    if (hBar) x -= m_pHorizontalScrollBar->GetScrollPos();
    int remaining = available.cy;
    int needed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT padding = child->GetPadding();
        remaining -= padding.top;
        SIZE sz = child->EstimateSize(SIZE{available.cx, remaining});
        if (sz.cy == 0) sz.cy = expand;
        sz.cy = layout::ClampHeight(child, sz.cy);
        sz.cx = child->GetFixedWidth();
        if (sz.cx == 0) sz.cx = std::max<int>(0, available.cx - padding.left - padding.right);
        sz.cx = layout::ClampWidth(child, sz.cx);

        int left = x + padding.left, top = y + padding.top;
        child->SetPos(RECT{left, top, left + sz.cx, top + sz.cy});
        y += padding.top + sz.cy + padding.bottom + m_iChildPadding;
        needed += padding.top + sz.cy + padding.bottom;
        remaining -= sz.cy + m_iChildPadding + padding.bottom;
    }
    if (estimated > 0) needed += m_iChildPadding * (estimated - 1);
    ProcessScrollBar(working, 0, needed);
}

}  // namespace UiLib
