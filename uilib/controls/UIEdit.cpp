#include "controls/UIEdit.h"

#include "controls/UIButton.h"
#include "controls/UIEditCheck.h"
#include "controls/UIEditWnd.h"
#include "controls/UIStateImage.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <cwchar>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
bool IsMouseEvent(int type) { return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND; }
}  // namespace

CEditUI::CEditUI() {
    SetBorderSize(1);
    SetBorderColor(0xFFBAC0C5);
    SetTextPadding(RECT{4, 3, 4, 3});
    SetBkColor(0xFFFFFFFF);
}

CEditUI::~CEditUI() {
    // An open editor must not outlive the control it writes into.
    if (m_pWindow) {
        CEditWnd* window = m_pWindow;
        m_pWindow = nullptr;
        window->Detach();
    }
}

const wchar_t* CEditUI::GetClass() const { return L"EditUI"; }

LPVOID CEditUI::GetInterface(const wchar_t* name) {
    if (name && (Is(name, L"Edit") || Is(name, L"Label"))) return this;
    return CControlUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const { return IsEnabled() ? (UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0; }

HWND CEditUI::GetNativeEditHWND() const { return m_pWindow ? m_pWindow->GetHWND() : nullptr; }

void CEditUI::SetText(const wchar_t* text) {
    m_sText = text ? text : L"";
    if (HWND editor = GetNativeEditHWND()) ::SetWindowTextW(editor, m_sText);
    Invalidate();
}

void CEditUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (!m_pWindow || !m_pWindow->GetHWND()) return;
    const RECT pos = m_pWindow->CalcPos();
    ::SetWindowPos(m_pWindow->GetHWND(), nullptr, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditUI::DropFocusIfHidden() {
    if (!IsVisible() && m_pWindow && m_pManager) m_pManager->SetFocus(nullptr);
}

void CEditUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    DropFocusIfHidden();
}

void CEditUI::SetInternVisible(bool visible) {
    // The base keeps the internal visibility, so an edit on a hidden page
    // counts as hidden and its open editor closes.
    CControlUI::SetInternVisible(visible);
    DropFocusIfHidden();
}

void CEditUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CEditUI::SetMaxChar(int maxChars) {
    m_iMaxChar = maxChars;
    if (HWND editor = GetNativeEditHWND()) ::SendMessageW(editor, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}

void CEditUI::SetReadOnly(bool readOnly) {
    if (m_bReadOnly == readOnly) return;
    m_bReadOnly = readOnly;
    if (HWND editor = GetNativeEditHWND()) ::SendMessageW(editor, EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

void CEditUI::SetPasswordMode(bool password) {
    if (m_bPasswordMode == password) return;
    m_bPasswordMode = password;
    Invalidate();
}

void CEditUI::SetPasswordChar(wchar_t ch) {
    if (m_cPasswordChar == ch) return;
    m_cPasswordChar = ch;
    if (HWND editor = GetNativeEditHWND()) ::SendMessageW(editor, EM_SETPASSWORDCHAR, ch, 0);
    Invalidate();
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    if (numberOnly)
        m_uWindowStyles |= ES_NUMBER;
    else
        m_uWindowStyles &= ~static_cast<UINT>(ES_NUMBER);
}

void CEditUI::SetNormalImage(const wchar_t* image) { StoreAndInvalidate(m_sNormalImage, image); }
void CEditUI::SetHotImage(const wchar_t* image) { StoreAndInvalidate(m_sHotImage, image); }
void CEditUI::SetFocusedImage(const wchar_t* image) { StoreAndInvalidate(m_sFocusedImage, image); }
void CEditUI::SetDisabledImage(const wchar_t* image) { StoreAndInvalidate(m_sDisabledImage, image); }
void CEditUI::SetNativeEditBkColor(DWORD color) { StoreAndInvalidate(m_dwEditbkColor, color); }
void CEditUI::SetRegularCheck(const wchar_t* pattern) { StoreAndInvalidate(m_sRegularCheck, pattern); }
void CEditUI::SetRegularTip(const wchar_t* text) { StoreAndInvalidate(m_sRegularTip, text); }

void CEditUI::SetTimerDelay(UINT delay) {
    m_uTimerDelay = delay;
    if (!m_bEnableTimer || !m_pManager) return;
    m_pManager->KillTimer(this, kEditTimerId);
    m_pManager->SetTimer(this, kEditTimerId, delay);
}

void CEditUI::SetSel(long start, long end) {
    if (HWND editor = GetNativeEditHWND()) ::SendMessageW(editor, EM_SETSEL, start, end);
}

void CEditUI::SetSelAll() {
    const int length = m_sText.GetLength();
    SetSel(0, length > 0 ? length : 1);
}

bool CEditUI::RegularCheck() {
    if (TextPassesCheck(m_sRegularCheck, m_sText)) return true;
    if (!m_sRegularTip.IsEmpty())
        ::MessageBoxW(m_pManager ? m_pManager->GetPaintWindow() : nullptr, m_sRegularTip, nullptr, MB_OK);
    SetText(m_sSrcText);
    return false;
}

void CEditUI::OnEditChanged(const wchar_t* text) {
    m_sText = text;
    if (m_pManager) m_pManager->SendNotify(this, L"textchanged");
}

void CEditUI::OnEditTimer() {
    if (m_sText == m_sLastText) return;
    m_sLastText = m_sText;
    if (m_pManager) m_pManager->SendNotify(this, L"editTimer");
}

void CEditUI::OpenEditor() {
    m_pWindow = new CEditWnd;
    m_pWindow->Init(this);
    if (m_pWindow && !m_pWindow->GetHWND()) {  // no manager, or no window: nothing stays open
        delete m_pWindow;
        m_pWindow = nullptr;
    }
    Invalidate();
}

void CEditUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_TIMER:
        if (m_pWindow && event.wParam == kEditTimerId) OnEditTimer();
        return;
    case UIEVENT_SETCURSOR:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
            return;
        }
        break;
    case UIEVENT_WINDOWSIZE:
        if (m_pWindow && m_pManager) m_pManager->SetFocusNeeded(this);
        break;
    case UIEVENT_SCROLLWHEEL:
        if (m_pWindow) return;
        break;
    case UIEVENT_SETFOCUS:
        if (IsEnabled() && !m_pWindow) OpenEditor();
        break;
    case UIEVENT_KILLFOCUS:
        if (!IsEnabled()) break;
        if (!m_sRegularCheck.IsEmpty()) {
            if (!RegularCheck()) {
                if (m_pManager) m_pManager->SendNotify(this, L"editRegex", 7);
                event.Type = UIEVENT_SETFOCUS;
                DoEvent(event);
                return;
            }
            if (m_pManager) m_pManager->SendNotify(this, L"editRegex", 6);
        }
        DropFocusIfHidden();
        Invalidate();
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
    case UIEVENT_RBUTTONDOWN:
        if (!IsEnabled()) break;
        if (m_pManager) m_pManager->ReleaseCapture();
        if (IsFocused() && !m_pWindow) {
            OpenEditor();
            if (m_pWindow && ::PtInRect(&m_rcItem, event.ptMouse)) SetSelAll();
        } else if (m_pWindow) {
            SetSelAll();
        }
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (Is(name, L"readonly")) {
        SetReadOnly(ParseBoolValue(value));
    } else if (Is(name, L"numberonly")) {
        SetNumberOnly(ParseBoolValue(value));
    } else if (Is(name, L"password")) {
        SetPasswordMode(ParseBoolValue(value));
    } else if (Is(name, L"maxchar")) {
        SetMaxChar(ParseIntValue(value));
    } else if (Is(name, L"normalimage")) {
        SetNormalImage(value);
    } else if (Is(name, L"hotimage")) {
        SetHotImage(value);
    } else if (Is(name, L"focusedimage")) {
        SetFocusedImage(value);
    } else if (Is(name, L"disabledimage")) {
        SetDisabledImage(value);
    } else if (Is(name, L"tipvalue")) {
        SetTipValue(value);
    } else if (Is(name, L"tipvaluecolor")) {
        SetTipValueColor(ParseColorValue(value));
    } else if (Is(name, L"enabletimer")) {
        SetEnableTimer(ParseBoolValue(value));
    } else if (Is(name, L"timerdelay")) {
        SetTimerDelay(static_cast<UINT>(ParseIntValue(value)));
    } else if (Is(name, L"regularcheck")) {
        SetRegularCheck(value);
    } else if (Is(name, L"regulartip")) {
        SetRegularTip(value);
    } else if (Is(name, L"nativetextcolor")) {
        SetNativeEditTextColor(ParseColorValue(value));
    } else if (Is(name, L"nativebkcolor")) {
        SetNativeEditBkColor(ParseColorValue(value));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

SIZE CEditUI::EstimateSize(SIZE) {
    if (m_cyFixed != 0) return SIZE{m_cxFixed, m_cyFixed};
    const int fontHeight = m_pManager ? m_pManager->GetFontInfo(m_iFont)->tm.tmHeight : 0;
    return SIZE{m_cxFixed, fontHeight + 6};
}

void CEditUI::PaintBkColor(HDC hDC) {
    if (IsEnabled() && !m_bReadOnly) {
        CLabelUI::PaintBkColor(hDC);
        return;
    }
    if (m_dwDisabledBkColor > 0x00FFFFFF) CRenderEngine::DrawColor(hDC, m_rcItem, AdjustColorHsl(m_dwDisabledBkColor));
}

void CEditUI::PaintStatusImage(HDC hDC) {
    m_uButtonState = WithFocusAndEnabledBits(*this, m_uButtonState);

    CUiString* chosen = nullptr;
    if (m_uButtonState & UISTATE_DISABLED)
        chosen = &m_sDisabledImage;
    else if (m_uButtonState & UISTATE_FOCUSED)
        chosen = &m_sFocusedImage;
    else if (m_uButtonState & UISTATE_HOT)
        chosen = &m_sHotImage;
    if (chosen && DrawImageOrForget(*this, hDC, *chosen)) return;
    DrawImageOrForget(*this, hDC, m_sNormalImage);
}

void CEditUI::PaintText(HDC hDC) {
    ApplyDefaultColors();
    CUiString shown;
    DWORD color = 0;
    if (m_sText.IsEmpty() || m_sText == m_sTipValue) {
        shown = m_sTipValue;
        color = m_dwTipValueColor;
    } else {
        color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
        if (m_bPasswordMode) {
            // One mask character per character, surrogate pairs included.
            for (const wchar_t* p = m_sText; *p; p = ::CharNextW(p)) shown += m_cPasswordChar;
        } else {
            shown = m_sText;
        }
    }
    if (shown.IsEmpty()) return;
    if (!IsEnabled()) color = m_dwDisabledTextColor;
    RECT rc = TextRect();
    CRenderEngine::DrawTextW(hDC, m_pManager, rc, shown, color, m_iFont, m_uTextStyle | DT_SINGLELINE);
}

}  // namespace UiLib
