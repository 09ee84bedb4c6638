#include "controls/UIBoxLayout.h"

#include "controls/LayoutMath.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/manager/UIScrollBar.h"
#include "core/render/UIRender.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {
const DWORD kGhostStripColor = 0xAA000000;

// The near and far edge of a rectangle along the layout's axis.
LONG& NearEdge(RECT& rc, bool vertical) { return vertical ? rc.top : rc.left; }
LONG& FarEdge(RECT& rc, bool vertical) { return vertical ? rc.bottom : rc.right; }
}  // namespace

CBoxLayoutUI::CBoxLayoutUI(bool vertical) : m_bVertical(vertical) {}

UINT CBoxLayoutUI::GetControlFlags() const {
    return IsEnabled() && m_iSepSize != 0 ? UIFLAG_SETCURSOR : 0;
}

void CBoxLayoutUI::SetSepImmMode(bool immediate) {
    if (m_bImmMode == immediate) return;
    // A ghost drag in progress stops drawing its strip.
    if (IsSeparatorCaptured() && !m_bImmMode && m_pManager) m_pManager->RemovePostPaint(this);
    m_bImmMode = immediate;
}

RECT CBoxLayoutUI::GetThumbRect(bool useNew) const {
    RECT rc = useNew && IsSeparatorCaptured() ? m_rcNewPos : m_rcItem;
    const int s = m_iSepSize;
    if (!m_bVertical) {
        if (s >= 0) return RECT{rc.right - s, rc.top, rc.right, rc.bottom};
        return RECT{rc.left, rc.top, rc.left - s, rc.bottom};
    }
    if (s >= 0) return RECT{rc.left, std::max<LONG>(rc.bottom - s, rc.top), rc.right, rc.bottom};
    return RECT{rc.left, rc.top, rc.right, std::min<LONG>(rc.top - s, rc.bottom)};
}

void CBoxLayoutUI::DoEvent(TEventUI& event) {
    if (m_iSepSize != 0) {
        switch (event.Type) {
        case UIEVENT_BUTTONDOWN:
            if (IsEnabled()) {
                RECT strip = GetThumbRect(false);
                if (::PtInRect(&strip, event.ptMouse)) {
                    m_uButtonState |= kCapturedState;
                    m_ptLastMouse = event.ptMouse;
                    m_rcNewPos = m_rcItem;
                    if (!m_bImmMode && m_pManager) m_pManager->AddPostPaint(this);
                    return;
                }
            }
            break;
        case UIEVENT_BUTTONUP:
            if (IsSeparatorCaptured()) {
                m_uButtonState &= ~kCapturedState;
                m_rcItem = m_rcNewPos;
                if (!m_bImmMode && m_pManager) m_pManager->RemovePostPaint(this);
                MarkParentLayoutDirty();
                return;
            }
            break;
        case UIEVENT_MOUSEMOVE:
            if (IsSeparatorCaptured()) {
                DragTo(event.ptMouse);
                return;
            }
            break;
        case UIEVENT_SETCURSOR:
            if (IsEnabled()) {
                RECT strip = GetThumbRect(false);
                if (::PtInRect(&strip, event.ptMouse)) {
                    ::SetCursor(::LoadCursorW(nullptr, m_bVertical ? IDC_SIZENS : IDC_SIZEWE));
                    return;
                }
            }
            break;
        default:
            break;
        }
    }
    CContainerUI::DoEvent(event);
}

// Moves the dragged edge with the mouse, never below the minimum or above
// the maximum size, and ignores moves that start on the wrong side of it.
void CBoxLayoutUI::DragTo(POINT pt) {
    const bool v = m_bVertical;
    const int pos = Along(pt);
    const int delta = pos - Along(m_ptLastMouse);
    m_ptLastMouse = pt;

    RECT candidate = m_rcNewPos;
    const bool farSide = m_iSepSize >= 0;
    if (farSide) {
        LONG edge = FarEdge(m_rcNewPos, v);
        if ((delta > 0 && pos < edge - m_iSepSize) || (delta < 0 && pos > edge)) return;
        FarEdge(candidate, v) += delta;
    } else {
        LONG edge = NearEdge(m_rcNewPos, v);
        if ((delta > 0 && pos < edge) || (delta < 0 && pos > edge - m_iSepSize)) return;
        NearEdge(candidate, v) += delta;
    }

    const int current = FarEdge(m_rcNewPos, v) - NearEdge(m_rcNewPos, v);
    const int minSize = v ? GetMinHeight() : GetMinWidth();
    const int maxSize = v ? GetMaxHeight() : GetMaxWidth();
    auto resizeTo = [&](int size) {
        if (farSide)
            FarEdge(candidate, v) = NearEdge(candidate, v) + size;
        else
            NearEdge(candidate, v) = FarEdge(candidate, v) - size;
    };
    int size = FarEdge(candidate, v) - NearEdge(candidate, v);
    if (size <= minSize) {
        if (current <= minSize) return;
        resizeTo(minSize);
    } else if (size >= maxSize) {
        if (current >= maxSize) return;
        resizeTo(maxSize);
    }

    RECT invalid = GetThumbRect(true);
    m_rcNewPos = candidate;
    size = FarEdge(m_rcNewPos, v) - NearEdge(m_rcNewPos, v);
    if (v)
        m_cyFixed = size;
    else
        m_cxFixed = size;

    if (m_bImmMode) {
        m_rcItem = m_rcNewPos;
        MarkParentLayoutDirty();
        return;
    }
    RECT strip = GetThumbRect(true);
    ::UnionRect(&invalid, &invalid, &strip);
    strip = GetThumbRect(false);
    ::UnionRect(&invalid, &invalid, &strip);
    if (m_pManager) m_pManager->InvalidateRect(invalid);
}

void CBoxLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, m_bVertical ? L"sepheight" : L"sepwidth") == 0)
        SetSepSize(ParseIntValue(value));
    else if (std::wcscmp(name, L"sepimm") == 0)
        SetSepImmMode(ParseBoolValue(value));
    else
        CContainerUI::SetAttribute(name, value);
}

bool CBoxLayoutUI::BeginLayout(RECT rc, RECT& working, SIZE& available) {
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty()) {
        ProcessScrollBar(layout::Shrink(m_rcItem, m_rcInset), 0, 0);
        return false;
    }
    working = ClientRect();
    available = SIZE{working.right - working.left, working.bottom - working.top};
    if (IsBarVisible(m_pHorizontalScrollBar)) available.cx += m_pHorizontalScrollBar->GetScrollRange();
    return true;
}

int CBoxLayoutUI::ShareOfTheRest(SIZE available, int& placed) const {
    int adjustable = 0, fixedTotal = 0;
    placed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        SIZE sz = child->EstimateSize(available);
        RECT padding = child->GetPadding();
        int size = m_bVertical ? sz.cy : sz.cx;
        if (size == 0)
            ++adjustable;
        else
            fixedTotal += m_bVertical ? layout::ClampHeight(child, size) : layout::ClampWidth(child, size);
        fixedTotal += m_bVertical ? padding.top + padding.bottom : padding.left + padding.right;
        ++placed;
    }
    if (adjustable == 0) return 0;
    const int room = m_bVertical ? available.cy : available.cx;
    return std::max<int>(0, (room - fixedTotal - m_iChildPadding * (placed - 1)) / adjustable);
}

int CBoxLayoutUI::PlaceInLine(const RECT& working, SIZE available) {
    const bool v = m_bVertical;
    int placed = 0;
    const int expand = ShareOfTheRest(available, placed);
    int along = v ? working.top : working.left;
    int across = v ? working.left : working.top;
    if (v && IsBarVisible(m_pVerticalScrollBar)) along -= m_pVerticalScrollBar->GetScrollPos();
    if (IsBarVisible(m_pHorizontalScrollBar)) (v ? across : along) -= m_pHorizontalScrollBar->GetScrollPos();
    const int room = v ? available.cx : available.cy;
    int remaining = v ? available.cy : available.cx;
    int needed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT padding = child->GetPadding();
        const int before = v ? padding.top : padding.left, after = v ? padding.bottom : padding.right;
        const int side = v ? padding.left : padding.top, otherSide = v ? padding.right : padding.bottom;
        remaining -= before;
        SIZE sz = child->EstimateSize(v ? SIZE{available.cx, remaining} : SIZE{remaining, available.cy});
        int length = v ? sz.cy : sz.cx;
        if (length == 0) length = expand;
        length = v ? layout::ClampHeight(child, length) : layout::ClampWidth(child, length);
        int thickness = v ? child->GetFixedWidth() : child->GetFixedHeight();
        if (thickness == 0) thickness = std::max(0, room - side - otherSide);
        thickness = v ? layout::ClampWidth(child, thickness) : layout::ClampHeight(child, thickness);

        const int start = along + before, top = across + side;
        child->SetPos(v ? RECT{top, start, top + thickness, start + length}
                        : RECT{start, top, start + length, top + thickness});
        along += before + length + after + m_iChildPadding;
        needed += before + length + after;
        remaining -= length + m_iChildPadding + after;
    }
    if (placed > 0) needed += m_iChildPadding * (placed - 1);
    return needed;
}

void CBoxLayoutUI::DoPostPaint(HDC hDC, const RECT&) {
    if (IsSeparatorCaptured() && !m_bImmMode) CRenderEngine::DrawColor(hDC, GetThumbRect(true), kGhostStripColor);
}

}  // namespace UiLib
