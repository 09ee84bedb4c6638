#include "controls/UISlider.h"

#include "controls/UIButton.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

CSliderUI::CSliderUI() { m_uTextStyle = DT_SINGLELINE | DT_CENTER; }
CSliderUI::~CSliderUI() = default;

const wchar_t* CSliderUI::GetClass() const { return L"SliderUI"; }

LPVOID CSliderUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Slider") == 0) return this;
    return CProgressUI::GetInterface(name);
}

UINT CSliderUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR : 0; }

void CSliderUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CSliderUI::SetValue(int value) {
    if (m_uButtonState & UISTATE_CAPTURED) return;  // a drag owns the value
    m_nValue = value;
    Invalidate();
}

void CSliderUI::SetThumbImage(const wchar_t* image) { StoreAndInvalidate(m_sThumbImage, image); }

void CSliderUI::SetThumbHotImage(const wchar_t* image) { StoreAndInvalidate(m_sThumbHotImage, image); }

void CSliderUI::SetThumbPushedImage(const wchar_t* image) { StoreAndInvalidate(m_sThumbPushedImage, image); }

long long CSliderUI::UsableMax() const {
    return m_nMax > m_nMin ? static_cast<long long>(m_nMax) : static_cast<long long>(m_nMin) + 1;
}

RECT CSliderUI::GetThumbRect() const {
    const long long max = UsableMax();
    const long long range = max - m_nMin;
    const long long value = std::min<long long>(std::max<long long>(m_nValue, m_nMin), max);
    const RECT& rc = m_rcItem;
    const int cx = m_szThumb.cx, cy = m_szThumb.cy;
    RECT thumb;
    if (m_bHorizontal) {
        // A slider no longer than its thumb keeps the thumb at its start.
        const long long track = std::max(0L, rc.right - rc.left - cx);
        thumb.left = rc.left + static_cast<LONG>(track * (value - m_nMin) / range);
        thumb.top = (rc.top + rc.bottom - cy) / 2;
    } else {
        const long long track = std::max(0L, rc.bottom - rc.top - cy);
        thumb.left = (rc.left + rc.right - cx) / 2;
        thumb.top = rc.bottom - static_cast<LONG>(track * (value - m_nMin) / range) - cy;
    }
    thumb.right = thumb.left + cx;
    thumb.bottom = thumb.top + cy;
    return thumb;
}

int CSliderUI::ValueAt(POINT pt) const {
    const long long max = UsableMax();
    const long long range = max - m_nMin;
    const RECT& rc = m_rcItem;
    const int cx = m_szThumb.cx, cy = m_szThumb.cy;
    long long value;
    if (m_bHorizontal) {
        const long long track = rc.right - rc.left - cx;
        if (pt.x >= rc.right - cx / 2)
            value = max;
        else if (pt.x > rc.left + cx / 2 && track > 0)
            value = m_nMin + (pt.x - rc.left - cx / 2) * range / track;
        else
            value = m_nMin;
    } else {
        const long long track = rc.bottom - rc.top - cy;
        if (pt.y >= rc.bottom - cy / 2)
            value = m_nMin;
        else if (pt.y > rc.top + cy / 2 && track > 0)
            value = m_nMin + range * (rc.bottom - cy / 2 - pt.y) / track;
        else
            value = max;
    }
    return static_cast<int>(std::min<long long>(std::max<long long>(value, m_nMin), max));
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (ForwardDisabledMouse(event)) return;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_CAPTURED;
            int value = ValueAt(event.ptMouse);
            if (value != m_nValue && value >= m_nMin && value <= m_nMax) {
                m_nValue = value;
                Invalidate();
            }
        }
        return;
    case UIEVENT_BUTTONUP: {
        m_uButtonState &= ~UISTATE_CAPTURED;
        if (!IsEnabled()) return;  // a disabled slider keeps its value
        int value = ValueAt(event.ptMouse);
        if (value >= m_nMin && value <= m_nMax) {
            m_nValue = value;
            if (m_pManager) m_pManager->SendNotify(this, L"valuechanged");
            Invalidate();
        }
        return;
    }
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_SCROLLWHEEL: {
        const WORD code = LOWORD(event.wParam);
        if (code != SB_LINEUP && code != SB_LINEDOWN) break;
        const long long step = code == SB_LINEUP ? m_nStep : -static_cast<long long>(m_nStep);
        const long long wanted = static_cast<long long>(m_nValue) + step;
        SetValue(static_cast<int>(std::min<long long>(std::max<long long>(wanted, m_nMin), UsableMax())));
        if (m_pManager) m_pManager->SendNotify(this, L"valuechanged");
        return;
    }
    case UIEVENT_MOUSEMOVE: {
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_nValue = ValueAt(event.ptMouse);
            if (m_bSendMove && m_pManager) m_pManager->SendNotify(this, L"movevaluechanged");
            Invalidate();
        }
        RECT thumb = GetThumbRect();
        if (IsEnabled() && ::PtInRect(&thumb, event.ptMouse)) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
            return;
        }
        m_uButtonState &= ~UISTATE_HOT;
        Invalidate();
        return;
    }
    case UIEVENT_SETCURSOR:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CSliderUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    auto is = [name](const wchar_t* key) { return std::wcscmp(name, key) == 0; };
    if (is(L"thumbimage")) SetThumbImage(value);
    else if (is(L"thumbhotimage")) SetThumbHotImage(value);
    else if (is(L"thumbpushedimage")) SetThumbPushedImage(value);
    else if (is(L"thumbsize")) SetThumbSize(ParseSizeValue(value));
    else if (is(L"step")) SetChangeStep(ParseIntValue(value));
    else if (is(L"sendmove")) SetCanSendMove(ParseBoolValue(value));
    else CProgressUI::SetAttribute(name, value);
}

bool CSliderUI::DrawThumb(HDC hDC, CUiString& image) {
    if (DrawImage(hDC, image, m_sThumbModify)) return true;
    image.Empty();
    return false;
}

void CSliderUI::PaintStatusImage(HDC hDC) {
    CProgressUI::PaintStatusImage(hDC);
    RECT thumb = GetThumbRect();
    m_sThumbModify.Format(L"dest='%d,%d,%d,%d'", thumb.left - m_rcItem.left, thumb.top - m_rcItem.top,
                          thumb.right - m_rcItem.left, thumb.bottom - m_rcItem.top);
    if ((m_uButtonState & UISTATE_CAPTURED) && !m_sThumbPushedImage.IsEmpty()) {
        if (DrawThumb(hDC, m_sThumbPushedImage)) return;
    } else if ((m_uButtonState & UISTATE_HOT) && !m_sThumbHotImage.IsEmpty()) {
        if (DrawThumb(hDC, m_sThumbHotImage)) return;
    }
    if (!m_sThumbImage.IsEmpty()) DrawThumb(hDC, m_sThumbImage);
}

}  // namespace UiLib
