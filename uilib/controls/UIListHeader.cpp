#include "controls/UIListHeader.h"

#include "controls/LayoutMath.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/manager/UIScrollBar.h"
#include "core/render/UIRender.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
}  // namespace

const wchar_t* CListHeaderUI::GetClass() const { return L"ListHeaderUI"; }

LPVOID CListHeaderUI::GetInterface(const wchar_t* name) {
    if (name && (Is(name, L"ListHeader") || Is(name, L"HorizontalLayout"))) return static_cast<CListHeaderUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CListHeaderUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (Is(name, L"scaleheader"))
        SetScaleHeader(ParseBoolValue(value));
    else
        CHorizontalLayoutUI::SetAttribute(name, value);
}

SIZE CListHeaderUI::EstimateSize(SIZE szAvailable) {
    SIZE size = {0, m_cyFixed};
    if (size.cy == 0 && m_pManager) {
        for (int i = 0; i < m_items.GetSize(); ++i)
            size.cy = std::max<LONG>(size.cy, ChildAt(i)->EstimateSize(szAvailable).cy);
        size.cy = std::max<LONG>(size.cy, m_pManager->GetDefaultFontInfo()->tm.tmHeight + 6);
    }
    for (int i = 0; i < m_items.GetSize(); ++i) size.cx += ChildAt(i)->EstimateSize(szAvailable).cx;
    return size;
}

void CListHeaderUI::SetPos(RECT rc) {
    if (m_bIsScaleHeader)
        PlaceScaled(rc);
    else
        CHorizontalLayoutUI::SetPos(rc);
}

void CListHeaderUI::PlaceScaled(RECT rc) {
    CControlUI::SetPos(rc);
    RECT working = layout::Shrink(m_rcItem, m_rcInset);
    int reference = rc.right - rc.left;
    CContainerUI* parent = m_pParent ? static_cast<CContainerUI*>(m_pParent->GetInterface(L"Container")) : nullptr;
    if (parent && parent->GetVerticalScrollBar()) reference -= parent->GetVerticalScrollBar()->GetFixedWidth();

    // Widths: the scaled share, clamped; a width of 0 shares what is left.
    std::vector<int> widths(m_items.GetSize(), 0);
    int used = 0, sharing = 0, placed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* item = ChildAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        CListHeaderItemUI* headerItem = static_cast<CListHeaderItemUI*>(item->GetInterface(L"ListHeaderItem"));
        const int scale = headerItem ? headerItem->GetScale() : 0;
        int width = static_cast<int>(static_cast<double>(scale) * reference / 100.0);
        if (width != 0) width = layout::ClampWidth(item, width);
        widths[i] = width;
        if (width == 0) ++sharing;
        const RECT padding = item->GetPadding();
        used += width + padding.left + padding.right;
        ++placed;
    }
    if (placed > 0) used += m_iChildPadding * (placed - 1);
    const int share = sharing > 0 ? std::max(0, (int(working.right - working.left) - used) / sharing) : 0;
    int left = working.left;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* item = ChildAt(i);
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT padding = item->GetPadding();
        const int width = widths[i] != 0 ? widths[i] : layout::ClampWidth(item, share);
        int height = item->GetFixedHeight();
        if (height == 0) height = working.bottom - working.top - padding.top - padding.bottom;
        left += padding.left;
        item->SetPos(RECT{left, working.top + padding.top, left + width, working.top + padding.top + height});
        left += width + padding.right + m_iChildPadding;
    }
}

// ---- header item ----

CListHeaderItemUI::CListHeaderItemUI() { m_cxMin = 16; }

const wchar_t* CListHeaderItemUI::GetClass() const { return L"ListHeaderItemUI"; }

LPVOID CListHeaderItemUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"ListHeaderItem")) return static_cast<CListHeaderItemUI*>(this);
    return CControlUI::GetInterface(name);
}

UINT CListHeaderItemUI::GetControlFlags() const { return IsEnabled() && m_iSepWidth != 0 ? UIFLAG_SETCURSOR : 0; }

void CListHeaderItemUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CListHeaderItemUI::SetDragable(bool dragable) {
    m_bDragable = dragable;
    if (!m_bDragable) m_uButtonState &= ~kCaptured;
}

RECT CListHeaderItemUI::GetThumbRect() const {
    if (m_iSepWidth >= 0) return RECT{m_rcItem.right - m_iSepWidth, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
    return RECT{m_rcItem.left, m_rcItem.top, m_rcItem.left - m_iSepWidth, m_rcItem.bottom};
}

RECT CListHeaderItemUI::GetThumbHitRect() const {
    // Widened by 4 pixels into the item: a separator of width 0 still has
    // those 4 pixels inside the right edge to press and drag.
    RECT rc = GetThumbRect();
    if (m_iSepWidth >= 0)
        rc.left -= 4;
    else
        rc.right += 4;
    return rc;
}

void CListHeaderItemUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_MOUSEMOVE:
        if ((m_uButtonState & kCaptured) != 0) {
            RECT rc = m_rcItem;
            const int dx = event.ptMouse.x - m_ptLastMouse.x;
            if (m_iSepWidth >= 0)
                rc.right += dx;
            else
                rc.left += dx;
            const int width = rc.right - rc.left;
            if (GetMinWidth() < width) {
                m_cxFixed = width;
                m_ptLastMouse = event.ptMouse;
                if (m_pParent) m_pParent->MarkParentLayoutDirty();
            }
        }
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        if (!IsEnabled()) return;
        RECT strip = GetThumbHitRect();
        if (::PtInRect(&strip, event.ptMouse)) {
            if (m_bDragable) {
                m_uButtonState |= kCaptured;
                m_ptLastMouse = event.ptMouse;
            }
        } else {
            m_uButtonState |= kPushed;
            if (m_pManager) m_pManager->SendNotify(this, L"headerclick");
            Invalidate();
        }
        return;
    }
    case UIEVENT_BUTTONUP:
        if ((m_uButtonState & kCaptured) != 0) {
            m_uButtonState &= ~kCaptured;
            if (m_pManager) m_pManager->SendNotify(this, L"headerwidthchanged");
            if (m_pParent) m_pParent->MarkParentLayoutDirty();
        } else if ((m_uButtonState & kPushed) != 0) {
            m_uButtonState &= ~kPushed;
            Invalidate();
        }
        return;
    case UIEVENT_SETCURSOR: {
        RECT strip = GetThumbHitRect();
        if (IsEnabled() && m_bDragable && ::PtInRect(&strip, event.ptMouse)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
            return;
        }
        break;
    }
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            if (event.Type == UIEVENT_MOUSEENTER)
                m_uButtonState |= kHot;
            else
                m_uButtonState &= ~kHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

SIZE CListHeaderItemUI::EstimateSize(SIZE) {
    if (m_cyFixed == 0 && m_pManager)
        return SIZE{m_cxFixed, m_pManager->GetDefaultFontInfo()->tm.tmHeight + 14};
    return SIZE{m_cxFixed, m_cyFixed};
}

void CListHeaderItemUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    struct ImageKey {
        const wchar_t* key;
        CUiString CListHeaderItemUI::*field;
    };
    static const ImageKey kImages[] = {
        {L"normalimage", &CListHeaderItemUI::m_sNormalImage}, {L"hotimage", &CListHeaderItemUI::m_sHotImage},
        {L"pushedimage", &CListHeaderItemUI::m_sPushedImage}, {L"focusedimage", &CListHeaderItemUI::m_sFocusedImage},
        {L"sepimage", &CListHeaderItemUI::m_sSepImage},
    };
    for (const ImageKey& entry : kImages) {
        if (!Is(name, entry.key)) continue;
        this->*entry.field = value;
        Invalidate();
        return;
    }
    if (Is(name, L"dragable")) {
        SetDragable(ParseBoolValue(value));
    } else if (Is(name, L"sepwidth")) {
        SetSepWidth(ParseIntValue(value));
    } else if (Is(name, L"align")) {
        if (std::wcsstr(value, L"left")) m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (std::wcsstr(value, L"center")) m_uTextStyle = (m_uTextStyle & ~DT_RIGHT) | DT_CENTER;
        if (std::wcsstr(value, L"right")) m_uTextStyle = (m_uTextStyle & ~DT_CENTER) | DT_RIGHT;
    } else if (Is(name, L"endellipsis")) {
        if (ParseBoolValue(value))
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (Is(name, L"font")) {
        m_iFont = ParseIntValue(value);
    } else if (Is(name, L"textcolor")) {
        SetTextColor(ParseColorValue(value));
    } else if (Is(name, L"textpadding")) {
        m_rcTextPadding = ParseRectValue(value);
        Invalidate();
    } else if (Is(name, L"showhtml")) {
        const bool show = ParseBoolValue(value);
        if (show != m_bShowHtml) {
            m_bShowHtml = show;
            Invalidate();
        }
    } else if (Is(name, L"scale")) {
        SetScale(ParseIntValue(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

bool CListHeaderItemUI::DrawOrForget(HDC hDC, CUiString& image, const wchar_t* modify) {
    if (image.IsEmpty()) return false;
    if (DrawImage(hDC, image, modify)) return true;
    image.Empty();
    return false;
}

void CListHeaderItemUI::PaintStatusImage(HDC hDC) {
    if (IsFocused())
        m_uButtonState |= kFocused;
    else
        m_uButtonState &= ~kFocused;
    // A state without its own image shows the normal one.
    auto stateImage = [&](CUiString& image) {
        if (image.IsEmpty())
            DrawOrForget(hDC, m_sNormalImage);
        else
            DrawOrForget(hDC, image);
    };
    if ((m_uButtonState & kPushed) != 0)
        stateImage(m_sPushedImage);
    else if ((m_uButtonState & kHot) != 0)
        stateImage(m_sHotImage);
    else if ((m_uButtonState & kFocused) != 0)
        stateImage(m_sFocusedImage);
    else
        DrawOrForget(hDC, m_sNormalImage);

    if (m_sSepImage.IsEmpty()) return;
    RECT strip = GetThumbRect();
    ::OffsetRect(&strip, -m_rcItem.left, -m_rcItem.top);
    m_sSepImageModify.SmallFormat(L"dest='%d,%d,%d,%d'", strip.left, strip.top, strip.right, strip.bottom);
    DrawOrForget(hDC, m_sSepImage, m_sSepImageModify);
}

void CListHeaderItemUI::PaintText(HDC hDC) {
    if (m_dwTextColor == 0 && m_pManager) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_sText.IsEmpty()) return;
    RECT rc = layout::Shrink(m_rcItem, m_rcTextPadding);
    if (m_bShowHtml) {
        int links = 0;
        CRenderEngine::DrawRichText(hDC, m_pManager, rc, m_sText, m_dwTextColor, nullptr, nullptr, &links,
                                    DT_SINGLELINE | m_uTextStyle);
    } else {
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sText, m_dwTextColor, m_iFont, DT_SINGLELINE | m_uTextStyle);
    }
}

}  // namespace UiLib
