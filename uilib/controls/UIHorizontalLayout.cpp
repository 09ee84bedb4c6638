#include "UIHorizontalLayout.h"

#include "LayoutMath.h"
#include "core/UIAttributeValue.h"
#include "core/UIScrollBar.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CBoxLayoutUI(false) {}

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"HorizontalLayout") == 0) return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"sepwidth") == 0)
        SetSepWidth(ParseIntValue(value));
    else if (std::wcscmp(name, L"sepimm") == 0)
        SetSepImmMode(ParseBoolValue(value));
    else
        CContainerUI::SetAttribute(name, value);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT working = layout::Shrink(m_rcItem, m_rcInset);
    if (m_items.IsEmpty()) {
        ProcessScrollBar(working, 0, 0);
        return;
    }
    const bool hBar = IsBarVisible(m_pHorizontalScrollBar);
    if (IsBarVisible(m_pVerticalScrollBar)) working.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (hBar) working.bottom -= m_pHorizontalScrollBar->GetFixedHeight();

    SIZE available = {working.right - working.left, working.bottom - working.top};
    if (hBar) available.cx += m_pHorizontalScrollBar->GetScrollRange();

    // Estimate: what the fixed-width children take, and how many share the rest.
    int adjustable = 0, fixedTotal = 0, estimated = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        SIZE sz = child->EstimateSize(available);
        if (sz.cx == 0)
            ++adjustable;
        else
            fixedTotal += layout::ClampWidth(child, sz.cx);
        RECT padding = child->GetPadding();
        fixedTotal += padding.left + padding.right;
        ++estimated;
    }
    int expand = 0;
    if (adjustable > 0)
        expand = std::max<int>(0, (available.cx - fixedTotal - m_iChildPadding * (estimated - 1)) / adjustable);

    int x = working.left;
    if (hBar) x -= m_pHorizontalScrollBar->GetScrollPos();
    int remaining = available.cx;
    int needed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        RECT padding = child->GetPadding();
        remaining -= padding.left;
        SIZE sz = child->EstimateSize(SIZE{remaining, available.cy});
        if (sz.cx == 0) sz.cx = expand;
        sz.cx = layout::ClampWidth(child, sz.cx);
        sz.cy = child->GetFixedHeight();
        if (sz.cy == 0) sz.cy = std::max<int>(0, available.cy - padding.top - padding.bottom);
        sz.cy = layout::ClampHeight(child, sz.cy);

        int left = x + padding.left, top = working.top + padding.top;
        child->SetPos(RECT{left, top, left + sz.cx, top + sz.cy});
        x += padding.left + sz.cx + padding.right + m_iChildPadding;
        needed += padding.left + sz.cx + padding.right;
        remaining -= sz.cx + m_iChildPadding + padding.right;
    }
    if (estimated > 0) needed += m_iChildPadding * (estimated - 1);

    UpdateHorizontalBar(working, needed);
    ProcessScrollBar(working, needed, 0);
}

void CHorizontalLayoutUI::UpdateHorizontalBar(RECT& working, int neededWidth) {
    CScrollBarUI* bar = m_pHorizontalScrollBar;
    if (!bar) return;
    const int width = working.right - working.left;
    if (neededWidth > width) {
        if (bar->IsVisible()) {
            bar->SetScrollRange(neededWidth - width);
        } else {
            bar->SetVisible(true);
            bar->SetScrollRange(neededWidth - width);
            bar->SetScrollPos(0);
            working.bottom -= bar->GetFixedHeight();
        }
    } else if (bar->IsVisible()) {
        bar->SetVisible(false);
        bar->SetScrollRange(0);
        bar->SetScrollPos(0);
        working.bottom += bar->GetFixedHeight();
    }
}

}  // namespace UiLib
