#include "controls/UILabel.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <cwchar>

namespace UiLib {

CLabelUI::CLabelUI() = default;
CLabelUI::~CLabelUI() = default;

const wchar_t* CLabelUI::GetClass() const { return L"LabelUI"; }

LPVOID CLabelUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Label") == 0) return this;
    return CControlUI::GetInterface(name);
}

CUiString CLabelUI::GetText() const {
    if (m_bEnableEffect) return m_EffectText;
    return CControlUI::GetText();
}

void CLabelUI::SetText(const wchar_t* text) {
    if (!m_bEnableEffect) {
        CControlUI::SetText(text);
        return;
    }
    m_EffectText = text ? text : L"";
    Invalidate();
}

bool CLabelUI::GetAutoCalcWidth() const { return m_bAutoCalcWidth; }
void CLabelUI::SetAutoCalcWidth(bool autoCalcWidth) { m_bAutoCalcWidth = autoCalcWidth; }

void CLabelUI::SetTextStyle(UINT style) {
    m_uTextStyle = style;
    Invalidate();
}

void CLabelUI::SetTextColor(DWORD color) { StoreAndInvalidate(m_dwTextColor, color); }
void CLabelUI::SetDisabledTextColor(DWORD color) { StoreAndInvalidate(m_dwDisabledTextColor, color); }

void CLabelUI::SetFont(int index) {
    m_iFont = index;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool showHtml) {
    if (m_bShowHtml == showHtml) return;
    m_bShowHtml = showHtml;
    Invalidate();
}

void CLabelUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    CControlUI::DoEvent(event);
}

void CLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    auto is = [name](const wchar_t* key) { return std::wcscmp(name, key) == 0; };
    auto has = [value](const wchar_t* word) { return std::wcsstr(value, word) != nullptr; };
    if (is(L"align")) {
        if (has(L"left")) m_uTextStyle &= ~(DT_CENTER | DT_RIGHT | DT_SINGLELINE);
        if (has(L"center")) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (has(L"right")) {
            m_uTextStyle &= ~(DT_CENTER | DT_SINGLELINE);
            m_uTextStyle |= DT_RIGHT;
        }
    } else if (is(L"valign")) {
        if (has(L"top")) {
            m_uTextStyle &= ~(DT_BOTTOM | DT_VCENTER);
            m_uTextStyle |= DT_SINGLELINE;
        }
        if (has(L"vcenter")) {
            m_uTextStyle &= ~DT_BOTTOM;
            m_uTextStyle |= DT_VCENTER | DT_SINGLELINE;
        }
        if (has(L"bottom")) {
            m_uTextStyle &= ~DT_VCENTER;
            m_uTextStyle |= DT_BOTTOM | DT_SINGLELINE;
        }
    } else if (is(L"endellipsis")) {
        if (ParseBoolValue(value))
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (is(L"font")) {
        SetFont(ParseIntValue(value));
    } else if (is(L"textcolor")) {
        SetTextColor(ParseColorValue(value));
    } else if (is(L"disabledtextcolor")) {
        SetDisabledTextColor(ParseColorValue(value));
    } else if (is(L"textpadding")) {
        SetTextPadding(ParseRectValue(value));
    } else if (is(L"showhtml")) {
        SetShowHtml(ParseBoolValue(value));
    } else if (is(L"enabledeffect")) {
        m_bEnableEffect = ParseBoolValue(value);
    } else if (is(L"enabledstroke")) {
        m_bEnableStroke = ParseBoolValue(value);
    } else if (is(L"enabledshadow")) {
        m_bEnableShadow = ParseBoolValue(value);
    } else if (is(L"transshadow")) {
        m_TransShadow = ParseIntValue(value);
    } else if (is(L"transshadow1")) {
        m_TransShadow1 = ParseIntValue(value);
    } else if (is(L"transtext")) {
        m_TransText = ParseIntValue(value);
    } else if (is(L"transtext1")) {
        m_TransText1 = ParseIntValue(value);
    } else if (is(L"transstroke")) {
        m_TransStroke = ParseIntValue(value);
    } else if (is(L"gradientangle")) {
        m_GradientAngle = ParseIntValue(value);
    } else if (is(L"gradientlength")) {
        m_GradientLength = ParseIntValue(value);
    } else if (is(L"shadowoffset")) {
        ParseSizeValue(value);  // accepted for old skins; the offset is not drawn
    } else if (is(L"textcolor1")) {
        m_dwTextColor1 = ParseColorValue(value);
    } else if (is(L"textshadowcolora")) {
        m_dwTextShadowColorA = ParseColorValue(value);
    } else if (is(L"textshadowcolorb")) {
        m_dwTextShadowColorB = ParseColorValue(value);
    } else if (is(L"strokecolor")) {
        m_dwStrokeColor = ParseColorValue(value);
    } else if (is(L"autocalcwidth")) {
        SetAutoCalcWidth(ParseBoolValue(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

SIZE CLabelUI::EstimateSize(SIZE szAvailable) {
    // Measuring needs the window's DC; without a manager the width stays as it is.
    HDC dc = m_pManager ? m_pManager->GetPaintDC() : nullptr;
    if (m_bAutoCalcWidth && dc) {
        RECT rc = {0, 0, 0, 0};
        CUiString text = GetText();
        CRenderEngine::DrawTextW(dc, m_pManager, rc, text, 0, m_iFont, m_uTextStyle | DT_CALCRECT);
        // Stored directly: this is the answer to a layout pass, not a request for another one.
        m_cxFixed = m_rcTextPadding.left + m_rcTextPadding.right + (rc.right - rc.left);
    }
    if (m_cyFixed != 0) return SIZE{m_cxFixed, m_cyFixed};
    int fontHeight = m_pManager ? m_pManager->GetFontInfo(m_iFont)->tm.tmHeight : 0;
    return SIZE{m_cxFixed, fontHeight + 4};
}

void CLabelUI::ApplyDefaultColors() {
    if (!m_pManager) return;
    if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

RECT CLabelUI::TextRect() const {
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.right -= m_rcTextPadding.right;
    rc.top += m_rcTextPadding.top;
    rc.bottom -= m_rcTextPadding.bottom;
    return rc;
}

bool CLabelUI::ForwardDisabledMouse(TEventUI& event) {
    const bool mouseEvent = event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND;
    if (IsMouseEnabled() || !mouseEvent) return false;
    if (m_pParent)
        m_pParent->DoEvent(event);
    else
        CLabelUI::DoEvent(event);
    return true;
}

void CLabelUI::StoreAndInvalidate(CUiString& field, const wchar_t* value) {
    field = value;
    Invalidate();
}

void CLabelUI::StoreAndInvalidate(DWORD& field, DWORD value) {
    field = value;
    Invalidate();
}

void CLabelUI::PaintText(HDC hDC) {
    ApplyDefaultColors();
    RECT rc = TextRect();
    if (m_bEnableEffect || m_sText.IsEmpty()) return;
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_bShowHtml)
        CRenderEngine::DrawRichText(hDC, m_pManager, rc, m_sText, color, nullptr, nullptr, nullptr,
                                    m_uTextStyle | DT_SINGLELINE);
    else
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sText, color, m_iFont, m_uTextStyle | DT_SINGLELINE);
}

}  // namespace UiLib
