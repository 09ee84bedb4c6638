#include "controls/LayoutMath.h"
#include "controls/UIList.h"
#include "controls/UIListHeader.h"
#include "core/manager/UIScrollBar.h"

#include <algorithm>

namespace UiLib {

CListBodyUI::CListBodyUI(CListUI* owner) : m_pOwner(owner) {}

int CListBodyUI::NeededWidth(SIZE available) {
    CListHeaderUI* header = m_pOwner ? m_pOwner->GetHeader() : nullptr;
    if (header && header->GetCount() > 0) return std::max<int>(0, header->EstimateSize(available).cx);
    int widest = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* row = ChildAt(i);
        if (!row->IsVisible() || row->IsFloat()) continue;
        widest = std::max<int>(widest, row->EstimateSize(available).cx);
    }
    return widest;
}

void CListBodyUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT inner = layout::Shrink(m_rcItem, m_rcInset);
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) inner.right -= m_pVerticalScrollBar->GetFixedWidth();
    const int needed = NeededWidth(SIZE{inner.right - inner.left, inner.bottom - inner.top});

    // The horizontal bar first, so that the rows know the room they get.
    if (CScrollBarUI* bar = m_pHorizontalScrollBar) {
        const int width = inner.right - inner.left;
        if (needed > width) {
            if (!bar->IsVisible()) {
                bar->SetVisible(true);
                bar->SetScrollPos(0);
            }
            bar->SetScrollRange(needed - width);
        } else if (bar->IsVisible()) {
            bar->SetVisible(false);
            bar->SetScrollRange(0);
            bar->SetScrollPos(0);
        }
    }
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() && m_pOwner && m_pOwner->GetHeader()) {
        CListHeaderUI* header = m_pOwner->GetHeader();
        header->SetPos(header->GetPos());
    }
    RECT working = ClientRect();
    if (m_items.IsEmpty()) {
        ProcessScrollBar(working, 0, 0);
        return;
    }
    const SIZE available = {working.right - working.left, working.bottom - working.top};
    int placed = 0;
    const int share = ShareOfTheRest(available, placed);
    const SIZE scroll = GetScrollPos();
    int top = working.top - scroll.cy;
    int total = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* row = ChildAt(i);
        if (!row->IsVisible()) continue;
        if (row->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT padding = row->GetPadding();
        int height = row->EstimateSize(available).cy;
        if (height == 0) height = share;
        height = layout::ClampHeight(row, height);
        const int width =
            layout::ClampWidth(row, std::max<int>(needed, available.cx - padding.left - padding.right));
        const int left = working.left + padding.left - scroll.cx;
        top += padding.top;
        row->SetPos(RECT{left, top, left + width, top + height});
        top += height + padding.bottom + m_iChildPadding;
        total += padding.top + height + padding.bottom + m_iChildPadding;
    }
    if (placed > 0) total -= m_iChildPadding;
    ProcessScrollBar(working, needed, total);
}

void CListBodyUI::SetScrollPos(SIZE szPos) {
    int dx = 0, dy = 0;
    if (IsBarVisible(m_pVerticalScrollBar)) {
        const int old = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        dy = m_pVerticalScrollBar->GetScrollPos() - old;
    }
    if (IsBarVisible(m_pHorizontalScrollBar)) {
        const int old = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        dx = m_pHorizontalScrollBar->GetScrollPos() - old;
    }
    if (dx != 0 && m_pOwner) {
        // The header's items move with the cells and give the new columns.
        CListHeaderUI* header = m_pOwner->GetHeader();
        TListInfoUI* info = m_pOwner->GetListInfo();
        m_pOwner->UpdateColumnCount();
        const bool hidden = !header->IsVisible();
        for (int i = 0; hidden && i < header->GetCount(); ++i) header->GetItemAt(i)->SetInternVisible(true);
        for (int i = 0; i < info->nColumns; ++i) {
            CControlUI* item = header->GetItemAt(i);
            if (!item->IsVisible() || item->IsFloat()) continue;
            RECT column = item->GetPos();
            ::OffsetRect(&column, -dx, 0);
            item->SetPos(column);
            info->rcColumn[i] = item->GetPos();
        }
        for (int i = 0; hidden && i < header->GetCount(); ++i) header->GetItemAt(i)->SetInternVisible(false);
        if (!hidden) header->Invalidate();
    }
    ScrollChildren(dx, dy);
}

void CListBodyUI::DoEvent(TEventUI& event) {
    if (m_pOwner)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

}  // namespace UiLib
