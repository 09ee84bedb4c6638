#include "controls/UIButton.h"

#include "controls/UITabLayout.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <cwchar>

namespace UiLib {

CButtonUI::CButtonUI() { m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }
CButtonUI::~CButtonUI() = default;

const wchar_t* CButtonUI::GetClass() const { return L"ButtonUI"; }

LPVOID CButtonUI::GetInterface(const wchar_t* name) {
    if (name && (std::wcscmp(name, L"Button") == 0 || std::wcscmp(name, L"Label") == 0)) return this;
    return CControlUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const {
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (!m_pManager) return true;
    m_pManager->SendNotify(this, L"click");
    TriggerEffects(GetClickInEffect());
    SelectBoundTab();
    return true;
}

void CButtonUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

// Property actions animate the state images as the base animates the
// background image: the value after the type's key is rewritten frame by
// frame and the description goes back through the image's own setter.
void CButtonUI::OnPropertyActionTimer(IUiTimer* timer, tagTProperty* property) {
    struct StateImage {
        const wchar_t* name;
        CUiString CButtonUI::*image;
        void (CButtonUI::*set)(const wchar_t*);
    };
    static const StateImage kStateImages[] = {
        {L"normalimage", &CButtonUI::m_sNormalImage, &CButtonUI::SetNormalImage},
        {L"hotimage", &CButtonUI::m_sHotImage, &CButtonUI::SetHotImage},
        {L"pushedimage", &CButtonUI::m_sPushedImage, &CButtonUI::SetPushedImage},
        {L"focusedimage", &CButtonUI::m_sFocusedImage, &CButtonUI::SetFocusedImage},
        {L"disabledimage", &CButtonUI::m_sDisabledImage, &CButtonUI::SetDisabledImage},
    };
    if (property) {
        for (const StateImage& state : kStateImages) {
            if (std::wcscmp(property->sName, state.name) != 0) continue;
            CUiString next;
            if (NextActionImage(timer, property, this->*state.image, next)) {
                (this->*state.set)(next);
                return;
            }
            break;
        }
    }
    CLabelUI::OnPropertyActionTimer(timer, property);
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (ForwardDisabledMouse(event)) return;
    const bool inside = ::PtInRect(&m_rcItem, event.ptMouse) != FALSE;
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (inside)
                m_uButtonState |= UISTATE_PUSHED;
            else
                m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (inside && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            // Clear first: the click's handler may disable, hide or restyle the button.
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (inside) Activate();
        }
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager) m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(const wchar_t* image) { StoreAndInvalidate(m_sNormalImage, image); }

void CButtonUI::SetHotImage(const wchar_t* image) { StoreAndInvalidate(m_sHotImage, image); }

void CButtonUI::SetPushedImage(const wchar_t* image) { StoreAndInvalidate(m_sPushedImage, image); }

void CButtonUI::SetFocusedImage(const wchar_t* image) { StoreAndInvalidate(m_sFocusedImage, image); }

void CButtonUI::SetDisabledImage(const wchar_t* image) { StoreAndInvalidate(m_sDisabledImage, image); }

void CButtonUI::SetForeImage(const wchar_t* image) { StoreAndInvalidate(m_sForeImage, image); }

void CButtonUI::SetHotForeImage(const wchar_t* image) { StoreAndInvalidate(m_sHotForeImage, image); }

void CButtonUI::SetHotBkColor(DWORD color) { StoreAndInvalidate(m_dwHotBkColor, color); }

void CButtonUI::SetHotTextColor(DWORD color) { StoreAndInvalidate(m_dwHotTextColor, color); }

void CButtonUI::SetPushedTextColor(DWORD color) { StoreAndInvalidate(m_dwPushedTextColor, color); }

void CButtonUI::SetFocusedTextColor(DWORD color) { StoreAndInvalidate(m_dwFocusedTextColor, color); }

void CButtonUI::BindTabIndex(int index) {
    if (index >= 0) m_iBindTabIndex = index;
}

void CButtonUI::BindTabLayoutName(const wchar_t* name) { m_sBindTabLayoutName = name; }

void CButtonUI::SelectBoundTab() {
    if (m_sBindTabLayoutName.IsEmpty() || m_iBindTabIndex < 0 || !m_pManager) return;
    CControlUI* target = m_pManager->FindControl(m_sBindTabLayoutName);
    if (!target) return;
    if (auto* tabs = static_cast<CTabLayoutUI*>(target->GetInterface(L"TabLayout"))) tabs->SelectItem(m_iBindTabIndex);
}

void CButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    auto is = [name](const wchar_t* key) { return std::wcscmp(name, key) == 0; };
    if (is(L"normalimage")) SetNormalImage(value);
    else if (is(L"hotimage")) SetHotImage(value);
    else if (is(L"pushedimage")) SetPushedImage(value);
    else if (is(L"focusedimage")) SetFocusedImage(value);
    else if (is(L"disabledimage")) SetDisabledImage(value);
    else if (is(L"foreimage")) SetForeImage(value);
    else if (is(L"hotforeimage")) SetHotForeImage(value);
    else if (is(L"bindtabindex")) BindTabIndex(ParseIntValue(value));
    else if (is(L"bindtablayoutname")) BindTabLayoutName(value);
    else if (is(L"hotbkcolor")) SetHotBkColor(ParseColorValue(value));
    else if (is(L"hottextcolor")) SetHotTextColor(ParseColorValue(value));
    else if (is(L"pushedtextcolor")) SetPushedTextColor(ParseColorValue(value));
    else if (is(L"focusedtextcolor")) SetFocusedTextColor(ParseColorValue(value));
    else if (is(L"multiline")) {
        if (ParseBoolValue(value)) {
            m_uTextStyle &= ~DT_SINGLELINE;
            m_uTextStyle |= DT_WORDBREAK;
        } else {
            m_uTextStyle &= ~DT_WORDBREAK;
            m_uTextStyle |= DT_SINGLELINE;
        }
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

unUserData CButtonUI::GetAttribute(const wchar_t* name) {
    auto is = [name](const wchar_t* key) { return name && std::wcscmp(name, key) == 0; };
    unUserData answer = {};
    if (is(L"normalimage")) answer.pstrValue = m_sNormalImage.GetData();
    else if (is(L"hotimage")) answer.pstrValue = m_sHotImage.GetData();
    else if (is(L"pushedimage")) answer.pstrValue = m_sPushedImage.GetData();
    else if (is(L"focusedimage")) answer.pstrValue = m_sFocusedImage.GetData();
    else if (is(L"disabledimage")) answer.pstrValue = m_sDisabledImage.GetData();
    else return CControlUI::GetAttribute(name);
    return answer;
}

SIZE CButtonUI::EstimateSize(SIZE szAvailable) {
    if (m_cyFixed != 0) return SIZE{m_cxFixed, m_cyFixed};
    int fontHeight = m_pManager ? m_pManager->GetFontInfo(m_iFont)->tm.tmHeight : 0;
    return SIZE{m_cxFixed, fontHeight + 8};
}

bool CButtonUI::DrawStateImage(HDC hDC, CUiString& image, const wchar_t* modify) {
    if (image.IsEmpty()) return false;
    if (DrawImage(hDC, image, modify)) return true;
    image.Empty();
    return false;
}

void CButtonUI::RefreshStateBits() {
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= UISTATE_DISABLED;
    else
        m_uButtonState &= ~UISTATE_DISABLED;
}

void CButtonUI::FillStateColor(HDC hDC, DWORD color) {
    if ((color >> 24) == 0) return;
    CRenderEngine::DrawColor(hDC, m_rcPaint, AdjustColorHsl(color));
}

void CButtonUI::PaintStatusImage(HDC hDC) {
    RefreshStateBits();
    bool drawNormal = true;
    if ((m_uButtonState & UISTATE_DISABLED) && !m_sDisabledImage.IsEmpty()) {
        drawNormal = !DrawStateImage(hDC, m_sDisabledImage);
    } else if ((m_uButtonState & UISTATE_PUSHED) && !m_sPushedImage.IsEmpty()) {
        DrawStateImage(hDC, m_sPushedImage);
        drawNormal = false;
    } else if (m_uButtonState & UISTATE_HOT) {
        if (!m_sHotImage.IsEmpty()) {
            DrawStateImage(hDC, m_sHotImage);
            if (!m_sHotForeImage.IsEmpty()) {
                DrawStateImage(hDC, m_sHotForeImage);
                return;
            }
            drawNormal = false;
        } else if (m_dwHotBkColor != 0) {
            FillStateColor(hDC, m_dwHotBkColor);
            return;
        }
    } else if ((m_uButtonState & UISTATE_FOCUSED) && !m_sFocusedImage.IsEmpty()) {
        drawNormal = !DrawStateImage(hDC, m_sFocusedImage);
    }
    if (drawNormal) DrawStateImage(hDC, m_sNormalImage);
    DrawStateImage(hDC, m_sForeImage);
}

DWORD CButtonUI::StateTextColor() const {
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor != 0) return m_dwPushedTextColor;
    if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor != 0) return m_dwHotTextColor;
    if ((m_uButtonState & UISTATE_FOCUSED) && m_dwFocusedTextColor != 0) return m_dwFocusedTextColor;
    return IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
}

void CButtonUI::DrawLabelText(HDC hDC, DWORD color) {
    RECT rc = TextRect();
    if (m_bShowHtml)
        CRenderEngine::DrawRichText(hDC, m_pManager, rc, m_sText, color, nullptr, nullptr, nullptr, m_uTextStyle);
    else
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sText, color, m_iFont, m_uTextStyle);
}

void CButtonUI::PaintText(HDC hDC) {
    RefreshStateBits();
    ApplyDefaultColors();
    if (m_sText.IsEmpty()) return;
    DrawLabelText(hDC, StateTextColor());
}

}  // namespace UiLib
