#include "controls/UIText.h"

#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

CTextUI::CTextUI() {
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding.left = 2;
    m_rcTextPadding.right = 2;
}

CTextUI::~CTextUI() = default;

const wchar_t* CTextUI::GetClass() const { return L"TextUI"; }

LPVOID CTextUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Text") == 0) return this;
    return CLabelUI::GetInterface(name);
}

UINT CTextUI::GetControlFlags() const { return (IsEnabled() && m_nLinks > 0) ? UIFLAG_SETCURSOR : 0; }

CUiString CTextUI::GetLinkContent(int index) const {
    if (index < 0 || index >= m_nLinks) return CUiString();
    return m_sLinks[index];
}

int CTextUI::LinkAt(POINT pt) const {
    for (int i = 0; i < m_nLinks; ++i)
        if (::PtInRect(&m_rcLinks[i], pt)) return i;
    return -1;
}

void CTextUI::DoEvent(TEventUI& event) {
    if (ForwardDisabledMouse(event)) return;
    const int link = LinkAt(event.ptMouse);
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (link >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled() && link >= 0) {
            Invalidate();
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (IsEnabled() && link >= 0) {
            if (m_pManager) m_pManager->SendNotify(this, L"link", static_cast<WPARAM>(link));
            return;
        }
        break;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_nLinks > 0 && IsEnabled() && link != m_nHoverLink) {
            m_nHoverLink = link;
            Invalidate();
            return;
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (m_nLinks > 0 && IsEnabled() && m_nHoverLink != -1) {
            m_nHoverLink = -1;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

SIZE CTextUI::EstimateSize(SIZE szAvailable) {
    HDC dc = m_pManager ? m_pManager->GetPaintDC() : nullptr;
    if (!dc) return SIZE{m_cxFixed, m_cyFixed};
    const int width = m_bAutoCalcWidth ? 9999 : m_cxFixed;
    RECT rc = {m_rcTextPadding.left, 0, width - m_rcTextPadding.right, 9999};
    CUiString text = GetText();
    if (m_bShowHtml)
        CRenderEngine::DrawRichText(dc, m_pManager, rc, text, 0, nullptr, nullptr, nullptr,
                                    DT_CALCRECT | m_uTextStyle);
    else
        CRenderEngine::DrawTextW(dc, m_pManager, rc, text, 0, m_iFont, DT_CALCRECT | m_uTextStyle);
    if (m_bAutoCalcWidth) m_cxFixed = m_rcTextPadding.left + m_rcTextPadding.right + (rc.right - rc.left);
    return SIZE{m_cxFixed, m_cyFixed};
}

void CTextUI::PaintText(HDC hDC) {
    if (m_sText.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    ApplyDefaultColors();
    RECT rc = TextRect();
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    // Only marked-up text has links; the count is what the drawing reported,
    // at most the capacity, and none when nothing could be drawn.
    m_nLinks = 0;
    if (m_bShowHtml) {
        if (rc.right <= rc.left || rc.bottom <= rc.top) return;
        int found = MAX_LINK;
        CRenderEngine::DrawRichText(hDC, m_pManager, rc, m_sText, color, m_rcLinks, m_sLinks, &found, m_uTextStyle);
        m_nLinks = std::min(std::max(found, 0), static_cast<int>(MAX_LINK));
    } else {
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sText, color, m_iFont, m_uTextStyle);
    }
}

}  // namespace UiLib
