#include "controls/UIRichEdit.h"

#include "controls/LayoutMath.h"
#include "controls/UIRichEditHost.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/manager/UIScrollBar.h"
#include "core/render/UIRender.h"

#include <imm.h>

#include <cwchar>
#include <vector>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
bool IsMouseEvent(int type) { return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND; }
bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

const UINT kFocused = 0x01;
const UINT kDisabled = 0x04;
const UINT kHot = 0x08;
const int kDefaultLimit = 0x7FFF;
const UINT kUtf16CodePage = 1200;
}  // namespace

CRichEditUI::CRichEditUI() = default;

CRichEditUI::~CRichEditUI() {
    if (m_pTwh) {
        m_pTwh->Release();
        m_pTwh = nullptr;
    }
    if (m_pManager) m_pManager->RemoveMessageFilter(this);
}

const wchar_t* CRichEditUI::GetClass() const { return L"RichEditUI"; }

LPVOID CRichEditUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"RichEdit")) return static_cast<CRichEditUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CRichEditUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR | UIFLAG_TABSTOP : 0; }

// ---- text ----

HRESULT CRichEditUI::TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plresult) const {
    if (!m_pTwh || !m_pTwh->GetTextServices()) return S_FALSE;
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        if (!m_bWantReturn || (ctrl && !m_bWantCtrlReturn)) {
            if (m_pManager) m_pManager->SendNotify(const_cast<CRichEditUI*>(this), L"return");
            return S_OK;
        }
    }
    LRESULT ignored = 0;
    return m_pTwh->GetTextServices()->TxSendMessage(msg, wParam, lParam, plresult ? plresult : &ignored);
}

long CRichEditUI::GetTextLength() const {
    GETTEXTLENGTHEX length = {GTL_DEFAULT, kUtf16CodePage};
    LRESULT count = 0;
    if (TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0, &count) != S_OK) return 0;
    return static_cast<long>(count);
}

CUiString CRichEditUI::GetText() const {
    if (!m_pTwh) return m_sText;
    const long length = GetTextLength();
    if (length <= 0) return CUiString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX request = {};
    // The size is in bytes, terminator included.
    request.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    request.flags = GT_DEFAULT;
    request.codepage = kUtf16CodePage;
    TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer.data()), nullptr);
    buffer.back() = L'\0';
    return CUiString(buffer.data());
}

void CRichEditUI::SetText(const wchar_t* text) {
    m_sText = text ? text : L"";
    if (!m_pTwh) return;
    m_pTwh->SetColor(IsEnabled() ? m_dwTextColor : m_pManager->GetDefaultDisabledColor());
    CHARRANGE all = {0, -1};
    TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all), nullptr);
    TxSendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(m_sText.GetData()), nullptr);
}

// ---- setters ----

void CRichEditUI::SetRich(bool rich) {
    m_bRich = rich;
    if (m_pTwh) m_pTwh->SetRich(rich);
}

HFONT CRichEditUI::FontHandle() const {
    if (!m_pManager) return nullptr;
    HFONT font = m_iFont >= 0 ? m_pManager->GetFont(m_iFont) : nullptr;
    return font ? font : m_pManager->GetDefaultFontInfo()->hFont;
}

void CRichEditUI::SetFont(int index) {
    m_iFont = index;
    if (m_pTwh) m_pTwh->SetFont(FontHandle());
}

void CRichEditUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    if (m_pTwh) m_pTwh->SetColor(color ? color : m_pManager->GetDefaultFontColor());
}

void CRichEditUI::SetLimitText(int limit) {
    // Before the text services exist the limit is kept as given and becomes
    // the host's maximum length when they are made; an open host takes 0 or
    // less as the default limit.
    m_iLimitText = m_pTwh && limit <= 0 ? kDefaultLimit : limit;
    ApplyLimit();
}

void CRichEditUI::ApplyLimit() {
    if (!m_pTwh) return;
    m_pTwh->SetMaxLength(static_cast<DWORD>(m_iLimitText));
    // Some text services read the host's limit only when made; the editor's
    // own limit message holds in every version.
    TxSendMessage(EM_EXLIMITTEXT, 0, m_iLimitText, nullptr);
}

void CRichEditUI::SetTipValue(const wchar_t* text) {
    m_sTipValue = text ? text : L"";
    Invalidate();
}

void CRichEditUI::SetTipValueColor(DWORD color) {
    m_dwTipValueColor = color;
    Invalidate();
}

void CRichEditUI::SetEnabled(bool enable) {
    if (enable != IsEnabled() && m_pTwh && m_pManager)
        m_pTwh->SetColor(enable ? (m_dwTextColor ? m_dwTextColor : m_pManager->GetDefaultFontColor())
                                : m_pManager->GetDefaultDisabledColor());
    if (enable)
        m_uButtonState &= ~kDisabled;
    else
        m_uButtonState = kDisabled;
    CContainerUI::SetEnabled(enable);
}

// ---- creation and layout ----

void CRichEditUI::DoInit() {
    if (m_bInited) return;
    m_bInited = true;
    CTxtWinHost* host = new CTxtWinHost;
    if (!host->Init(this, static_cast<DWORD>(m_lTwhStyle), m_sText)) {
        host->Release();
        return;
    }
    m_pTwh = host;
    m_pTwh->SetTransparent(true);
    TxSendMessage(EM_SETEVENTMASK, 0, 0, nullptr);
    m_pTwh->SetActive(true);
    // The host took the limit as its maximum length; the editor's own limit
    // message repeats a positive one (0 would mean the editor's default).
    if (m_iLimitText > 0) ApplyLimit();
    if (m_pManager) {
        m_pManager->AddMessageFilter(this);
        if (!IsEnabled()) m_pTwh->SetColor(m_pManager->GetDefaultDisabledColor());
    }
}

RECT CRichEditUI::GetClientArea() const { return m_pTwh ? m_pTwh->GetClientRect() : layout::Shrink(m_rcItem, m_rcTextPadding); }

void CRichEditUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    auto innerRect = [this] {
        RECT inner = layout::Shrink(m_rcItem, m_rcInset);
        if (IsBarVisible(m_pVerticalScrollBar)) inner.right -= m_pVerticalScrollBar->GetFixedWidth();
        if (IsBarVisible(m_pHorizontalScrollBar)) inner.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
        return inner;
    };
    RECT inner = innerRect();
    if (m_pTwh) {
        m_pTwh->SetClientRect(layout::Shrink(inner, m_rcTextPadding));
        if (m_pVerticalScrollBar && (!m_pVerticalScrollBar->IsVisible() || m_bVScrollBarFixing)) {
            const RECT client = m_pTwh->GetClientRect();
            LONG width = client.right - client.left + m_pVerticalScrollBar->GetFixedWidth();
            LONG height = 0;
            SIZEL extent = {-1, -1};
            m_pTwh->GetTextServices()->TxGetNaturalSize(DVASPECT_CONTENT, m_pManager ? m_pManager->GetPaintDC() : nullptr,
                                                        nullptr, nullptr, TXTNS_FITTOCONTENT, &extent, &width, &height);
            if (height > client.bottom - client.top) {
                m_pVerticalScrollBar->SetVisible(true);
                m_pVerticalScrollBar->SetScrollPos(0);
                m_bVScrollBarFixing = true;
            } else if (m_bVScrollBarFixing) {
                m_pVerticalScrollBar->SetVisible(false);
                m_bVScrollBarFixing = false;
            }
            inner = innerRect();
            m_pTwh->SetClientRect(layout::Shrink(inner, m_rcTextPadding));
        }
    }
    const int bottom = m_rcItem.bottom - m_rcInset.bottom;
    if (IsBarVisible(m_pVerticalScrollBar)) {
        const int barBottom = IsBarVisible(m_pHorizontalScrollBar) ? bottom - m_pHorizontalScrollBar->GetFixedHeight() : bottom;
        m_pVerticalScrollBar->SetPos(RECT{inner.right, m_rcItem.top + m_rcInset.top,
                                          inner.right + m_pVerticalScrollBar->GetFixedWidth(), barBottom});
    }
    if (IsBarVisible(m_pHorizontalScrollBar)) {
        m_pHorizontalScrollBar->SetPos(RECT{m_rcItem.left + m_rcInset.left, inner.bottom, inner.right,
                                            inner.bottom + m_pHorizontalScrollBar->GetFixedHeight()});
    }
    // Children share the area beside the text, stacked as in a vertical layout.
    int top = inner.top;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const int height = child->GetFixedHeight() > 0 ? child->GetFixedHeight() : inner.bottom - top;
        child->SetPos(RECT{inner.left, top, inner.right, top + height});
        top += height + m_iChildPadding;
    }
}

// ---- painting ----

bool CRichEditUI::PlaceholderShows() const {
    return !m_sTipValue.IsEmpty() && !IsFocused() && IsEnabled() && (m_pTwh ? GetTextLength() == 0 : m_sText.IsEmpty());
}

void CRichEditUI::PaintStatusImage(HDC hDC) {
    auto draw = [this, hDC](CUiString& image) {
        if (image.IsEmpty()) return false;
        if (DrawImage(hDC, image)) return true;
        image.Empty();
        return false;
    };
    if (!IsEnabled()) {
        if (draw(m_sDisabledImage)) return;
    } else if (IsFocused()) {
        if (draw(m_sFocusedImage)) return;
    } else if (m_uButtonState & kHot) {
        if (draw(m_sHotImage)) return;
    }
    draw(m_sNormalImage);
}

void CRichEditUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT area;
    if (!::IntersectRect(&area, &rcPaint, &m_rcItem)) return;
    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, area, clip);
    CControlUI::DoPaint(hDC, rcPaint);
    if (m_pTwh) {
        RECT client = m_pTwh->GetClientRect();
        RECT update = area;
        m_pTwh->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hDC, nullptr,
                                          reinterpret_cast<LPCRECTL>(&client), nullptr, &update, nullptr, 0,
                                          TXTVIEW_ACTIVE);
    }
    if (PlaceholderShows()) {
        // Painted over the empty field, never put into it.
        RECT rc = GetClientArea();
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sTipValue, m_dwTipValueColor, m_iFont, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
    }
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildAt(i);
        RECT meet;
        if (child->IsVisible() && ::IntersectRect(&meet, &area, &child->GetPos())) child->DoPaint(hDC, rcPaint);
    }
    if (IsBarVisible(m_pVerticalScrollBar)) m_pVerticalScrollBar->DoPaint(hDC, rcPaint);
    if (IsBarVisible(m_pHorizontalScrollBar)) m_pHorizontalScrollBar->DoPaint(hDC, rcPaint);
}

void CRichEditUI::Repaint() { Invalidate(); }

// ---- scrolling ----

void CRichEditUI::SendScroll(UINT message, WORD code) const { TxSendMessage(message, code, 0, nullptr); }

void CRichEditUI::KeepVerticalPosition(int before) {
    if (m_bRich || !m_pVerticalScrollBar) return;
    if (m_pVerticalScrollBar->GetScrollPos() < before) m_pVerticalScrollBar->SetScrollPos(before);
}

void CRichEditUI::LineUp() { SendScroll(WM_VSCROLL, SB_LINEUP); }

void CRichEditUI::LineDown() {
    const int before = m_pVerticalScrollBar ? m_pVerticalScrollBar->GetScrollPos() : 0;
    SendScroll(WM_VSCROLL, SB_LINEDOWN);
    KeepVerticalPosition(before);
}

void CRichEditUI::PageUp() { SendScroll(WM_VSCROLL, SB_PAGEUP); }
void CRichEditUI::PageDown() { SendScroll(WM_VSCROLL, SB_PAGEDOWN); }
void CRichEditUI::HomeUp() { SendScroll(WM_VSCROLL, SB_TOP); }
void CRichEditUI::EndDown() { SendScroll(WM_VSCROLL, SB_BOTTOM); }
void CRichEditUI::LineLeft() { SendScroll(WM_HSCROLL, SB_LINEUP); }
void CRichEditUI::LineRight() { SendScroll(WM_HSCROLL, SB_LINEDOWN); }
void CRichEditUI::PageLeft() { SendScroll(WM_HSCROLL, SB_PAGEUP); }
void CRichEditUI::PageRight() { SendScroll(WM_HSCROLL, SB_PAGEDOWN); }
void CRichEditUI::HomeLeft() { SendScroll(WM_HSCROLL, SB_TOP); }
void CRichEditUI::EndRight() { SendScroll(WM_HSCROLL, SB_BOTTOM); }

void CRichEditUI::SetScrollPos(SIZE szPos) {
    if (IsBarVisible(m_pVerticalScrollBar)) {
        const int old = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        const int now = m_pVerticalScrollBar->GetScrollPos();
        if (now != old) {
            TxSendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, now), 0, nullptr);
            if (now > old) KeepVerticalPosition(now);
        }
    }
    if (IsBarVisible(m_pHorizontalScrollBar)) {
        const int old = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        const int now = m_pHorizontalScrollBar->GetScrollPos();
        if (now != old) TxSendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, now), 0, nullptr);
    }
}

// ---- notifications from the text services ----

bool CRichEditUI::OnTxViewChanged() { return true; }

void CRichEditUI::OnTxNotify(DWORD iNotify, void* pv) {
    switch (iNotify) {
    case EN_CHANGE:
        if (m_pManager) m_pManager->SendNotify(this, L"textchanged");
        return;
    case EN_MSGFILTER:
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_STOPNOUNDO:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
    case EN_LINK:
    case EN_DRAGDROPDONE: {
        HWND window = m_pManager ? m_pManager->GetPaintWindow() : nullptr;
        if (!window || !pv) return;
        NMHDR* header = static_cast<NMHDR*>(pv);
        const LONG_PTR id = ::GetWindowLongPtrW(window, GWLP_ID);
        header->hwndFrom = window;
        header->idFrom = static_cast<UINT_PTR>(id);
        header->code = iNotify;
        ::SendMessageW(window, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(header));
        return;
    }
    default:
        return;
    }
}

// ---- input ----

void CRichEditUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (m_pTwh && IsEnabled() && m_pTwh->DoSetCursor(event.ptMouse)) return;
        break;
    case UIEVENT_SETFOCUS:
        if (m_pTwh) {
            m_pTwh->SetActive(true);
            TxSendMessage(WM_SETFOCUS, 0, 0, nullptr);
        }
        m_bFocused = true;
        m_uButtonState |= kFocused;
        Repaint();
        return;
    case UIEVENT_KILLFOCUS:
        if (m_pTwh) {
            m_pTwh->SetActive(true);
            TxSendMessage(WM_KILLFOCUS, 0, 0, nullptr);
        }
        m_bFocused = false;
        m_uButtonState &= ~kFocused;
        Repaint();
        return;
    case UIEVENT_TIMER:
        TxSendMessage(WM_TIMER, event.wParam, event.lParam, nullptr);
        break;
    case UIEVENT_SCROLLWHEEL:
        if (event.wKeyState & MK_CONTROL) return;
        break;
    case UIEVENT_KEYDOWN:
    case UIEVENT_KEYUP:
    case UIEVENT_CHAR:
    case UIEVENT_SYSKEY:
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_BUTTONUP:
    case UIEVENT_DBLCLICK:
        return;  // the message filter gives these to the text services
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            if (event.Type == UIEVENT_MOUSEENTER)
                m_uButtonState |= kHot;
            else
                m_uButtonState &= ~kHot;
            Repaint();
        }
        return;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

LRESULT CRichEditUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    if (!IsVisible() || !IsEnabled() || !m_pTwh || !m_pManager) return 0;
    if (IsMouseMessage(uMsg) && !IsMouseEnabled()) return 0;
    if (uMsg == WM_MOUSEWHEEL && (LOWORD(wParam) & MK_CONTROL) == 0) return 0;
    if (uMsg == WM_IME_COMPOSITION) {
        HWND window = m_pManager->GetPaintWindow();
        if (HIMC context = ::ImmGetContext(window)) {
            POINT caret = {};
            ::GetCaretPos(&caret);
            COMPOSITIONFORM form = {};
            form.dwStyle = CFS_POINT;
            form.ptCurrentPos = caret;
            ::ImmSetCompositionWindow(context, &form);
            ::ImmReleaseContext(window, context);
        }
        return 0;
    }

    bool keyboard = false;
    if (IsMouseMessage(uMsg) || uMsg == WM_SETCURSOR) {
        if (!m_pTwh->IsCaptured()) {
            POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (uMsg == WM_MOUSEWHEEL) ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
            if (uMsg == WM_SETCURSOR) {
                ::GetCursorPos(&pt);
                ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
            }
            if (uMsg >= WM_LBUTTONDOWN && uMsg <= WM_RBUTTONDOWN && m_pManager->FindControl(pt) != this) return 0;
            const RECT client = m_pTwh->GetClientRect();
            if (!::PtInRect(&client, pt)) return 0;
        }
        if (uMsg == WM_SETCURSOR) {
            TxSendMessage(uMsg, wParam, lParam, nullptr);
            return 0;
        }
        if (uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONDBLCLK || uMsg == WM_RBUTTONDOWN) SetFocus();
    } else if (uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST) {
        if (!IsFocused()) return 0;
        keyboard = true;
    } else if (uMsg == WM_CONTEXTMENU) {
        POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
        if (m_pManager->FindControl(pt) != this) return 0;
    } else if (uMsg == WM_HELP) {
        TxSendMessage(uMsg, wParam, lParam, nullptr);
        return 0;
    } else if (uMsg != WM_IME_CHAR) {
        return 0;
    }
    LRESULT result = 0;
    const HRESULT hr = TxSendMessage(uMsg, wParam, lParam, &result);
    if (hr == S_OK || keyboard || uMsg == WM_CHAR || uMsg == WM_IME_CHAR ||
        (IsMouseMessage(uMsg) && m_pTwh->IsCaptured()))
        bHandled = true;
    return result;
}

// ---- attributes ----

void CRichEditUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    const bool on = Is(value, L"true");
    if (Is(name, L"vscrollbar")) {
        if (on) m_lTwhStyle |= WS_VSCROLL | ES_DISABLENOSCROLL;
        CContainerUI::SetAttribute(name, value);
    } else if (Is(name, L"autovscroll")) {
        if (on) m_lTwhStyle |= ES_AUTOVSCROLL;
    } else if (Is(name, L"hscrollbar")) {
        if (on) m_lTwhStyle |= WS_HSCROLL | ES_DISABLENOSCROLL;
        CContainerUI::SetAttribute(name, value);
    } else if (Is(name, L"autohscroll")) {
        if (on) m_lTwhStyle |= ES_AUTOHSCROLL;
    } else if (Is(name, L"wanttab")) {
        m_bWantTab = on;
    } else if (Is(name, L"wantreturn")) {
        m_bWantReturn = on;
    } else if (Is(name, L"wantctrlreturn")) {
        m_bWantCtrlReturn = on;
    } else if (Is(name, L"rich")) {
        SetRich(on);
    } else if (Is(name, L"multiline")) {
        if (Is(value, L"false")) m_lTwhStyle &= ~ES_MULTILINE;
    } else if (Is(name, L"readonly")) {
        if (on) {
            m_lTwhStyle |= ES_READONLY;
            m_bReadOnly = true;
        }
    } else if (Is(name, L"password")) {
        if (on) m_lTwhStyle |= ES_PASSWORD;
    } else if (Is(name, L"align")) {
        if (std::wcsstr(value, L"left")) m_lTwhStyle &= ~(ES_CENTER | ES_RIGHT);
        if (std::wcsstr(value, L"center")) m_lTwhStyle |= ES_CENTER;
        if (std::wcsstr(value, L"right")) m_lTwhStyle |= ES_RIGHT;
    } else if (Is(name, L"font")) {
        SetFont(ParseIntValue(value));
    } else if (Is(name, L"textcolor")) {
        SetTextColor(ParseColorValue(value));
    } else if (Is(name, L"maxchar")) {
        SetLimitText(ParseIntValue(value));
    } else if (Is(name, L"normalimage")) {
        m_sNormalImage = value;
        Invalidate();
    } else if (Is(name, L"hotimage")) {
        m_sHotImage = value;
        Invalidate();
    } else if (Is(name, L"focusedimage")) {
        m_sFocusedImage = value;
        Invalidate();
    } else if (Is(name, L"disabledimage")) {
        m_sDisabledImage = value;
        Invalidate();
    } else if (Is(name, L"textpadding")) {
        m_rcTextPadding = ParseRectValue(value);
        Invalidate();
    } else if (Is(name, L"tipvalue")) {
        SetTipValue(value);
    } else if (Is(name, L"tipvaluecolor")) {
        SetTipValueColor(ParseColorValue(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

unUserData CRichEditUI::GetAttribute(const wchar_t* name) {
    if (name && Is(name, L"wanttab")) {
        unUserData answer = {};
        answer.bValue = m_bWantTab;
        return answer;
    }
    return CContainerUI::GetAttribute(name);
}

}  // namespace UiLib
