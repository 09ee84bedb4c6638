#include "controls/UIEditWnd.h"

#include "controls/LayoutMath.h"
#include "controls/UIEdit.h"
#include "core/manager/UIManager.h"

#include <string>

namespace UiLib {

namespace {
// ARGB to a GDI colour: red and blue swap places, alpha goes.
COLORREF ToColorRef(DWORD argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

const DWORD kNoNativeBkColor = 0xFFFFFFFF;
}  // namespace

bool CEditWnd::IsPopup() const {
    return m_pOwner && m_pOwner->GetManager() && m_pOwner->GetManager()->IsBackgroundTransparent();
}

void CEditWnd::Init(CEditUI* owner) {
    m_pOwner = owner;
    CPaintManagerUI* manager = owner->GetManager();
    if (!manager) return;
    RECT rc = CalcPos();
    DWORD style = WS_CHILD | ES_AUTOHSCROLL;
    if (IsPopup()) {
        // A layered parent draws no child windows: the editor floats above it.
        style = WS_POPUP | WS_VISIBLE | ES_AUTOHSCROLL;
        RECT window = {};
        ::GetWindowRect(manager->GetPaintWindow(), &window);
        ::OffsetRect(&rc, window.left, window.top);
    }
    if (owner->IsPasswordMode()) style |= ES_PASSWORD;
    if (!Create(manager->GetPaintWindow(), nullptr, style, 0, rc)) return;

    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(owner->GetFont())), TRUE);
    ::SendMessageW(m_hWnd, EM_LIMITTEXT, static_cast<WPARAM>(owner->GetMaxChar()), 0);
    if (owner->IsPasswordMode()) ::SendMessageW(m_hWnd, EM_SETPASSWORDCHAR, owner->GetPasswordChar(), 0);
    ::SetWindowTextW(m_hWnd, owner->m_sText);
    ::SendMessageW(m_hWnd, EM_SETMODIFY, FALSE, 0);
    ::SendMessageW(m_hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    ::EnableWindow(m_hWnd, owner->IsEnabled());
    ::SendMessageW(m_hWnd, EM_SETREADONLY, owner->IsReadOnly(), 0);
    const LONG_PTR styles = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, styles | owner->m_uWindowStyles);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

RECT CEditWnd::CalcPos() const {
    RECT rc = layout::Shrink(m_pOwner->GetPos(), m_pOwner->GetTextPadding());
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (!manager) return rc;
    // One line of the font, centred, when the area is taller than that.
    const LONG fontHeight = manager->GetFontInfo(m_pOwner->GetFont())->tm.tmHeight;
    if (fontHeight < rc.bottom - rc.top) {
        rc.top += (rc.bottom - rc.top - fontHeight) / 2;
        rc.bottom = rc.top + fontHeight;
    }
    return rc;
}

void CEditWnd::Detach() {
    m_pOwner = nullptr;
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);  // OnFinalMessage deletes this object
    else
        delete this;
}

LRESULT CEditWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    ++m_iHandling;
    const LRESULT result = Dispatch(uMsg, wParam, lParam);
    if (--m_iHandling == 0 && m_bFinished) delete this;
    return result;
}

LRESULT CEditWnd::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (!m_pOwner) return CallEditProc(uMsg, wParam, lParam);
    CPaintManagerUI* manager = m_pOwner->GetManager();
    switch (uMsg) {
    case WM_SETFOCUS:
        m_pOwner->m_sSrcText = m_pOwner->m_sText;
        // The change-polling timer runs while the editor has the focus,
        // whether or not the skin switched it on ("enabletimer" only decides
        // whether a new delay restarts it).
        if (manager) manager->SetTimer(m_pOwner, kEditTimerId, m_pOwner->m_uTimerDelay);
        break;
    case WM_KILLFOCUS: {
        if (manager) manager->KillTimer(m_pOwner, kEditTimerId);
        const LRESULT result = CallEditProc(uMsg, wParam, lParam);
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return result;
    }
    case WM_KEYDOWN:
        SendOwnerKeyDown(wParam);
        if (m_pOwner && wParam == VK_RETURN && m_pOwner->GetManager())
            m_pOwner->GetManager()->SendNotify(m_pOwner, L"return");
        break;
    case UIMSG_REFLECT_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) {
            if (m_bInit) OnEditChanged();
        } else if (HIWORD(wParam) == EN_UPDATE) {
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        break;
    case UIMSG_REFLECT_BASE + WM_CTLCOLOREDIT:
    case UIMSG_REFLECT_BASE + WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(ColorEdit(reinterpret_cast<HDC>(wParam)));
    default:
        break;
    }
    if (!m_hWnd) return 0;
    return CallEditProc(uMsg, wParam, lParam);
}

void CEditWnd::SendOwnerKeyDown(WPARAM key) {
    TEventUI event = {};
    event.Type = UIEVENT_KEYDOWN;
    event.chKey = static_cast<wchar_t>(key);
    event.wParam = key;
    event.wKeyState = static_cast<WORD>(CPaintManagerUI::GetKeyStateFlags());
    event.dwTimestamp = ::GetTickCount();
    event.pSender = m_pOwner;
    m_pOwner->Event(event);
}

HBRUSH CEditWnd::ColorEdit(HDC hDC) {
    const DWORD nativeBk = m_pOwner->m_dwEditbkColor;
    if (nativeBk == kNoNativeBkColor && !m_pOwner->IsReadOnly()) return nullptr;
    ::SetBkMode(hDC, TRANSPARENT);
    DWORD textColor = m_pOwner->m_dwEditTextColor;
    if (textColor == 0) textColor = m_pOwner->GetTextColor();
    ::SetTextColor(hDC, ToColorRef(textColor));
    if (!m_hBkBrush) {
        const DWORD bk = m_pOwner->IsReadOnly() ? m_pOwner->GetDisabledBkColor() : nativeBk;
        if (bk == 0) return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
        m_hBkBrush = ::CreateSolidBrush(ToColorRef(bk));
    }
    return m_hBkBrush;
}

void CEditWnd::OnEditChanged() {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    m_pOwner->OnEditChanged(text.c_str());
}

void CEditWnd::OnFinalMessage(HWND) {
    if (m_pOwner) {
        m_pOwner->Invalidate();
        m_pOwner->m_pWindow = nullptr;
        m_pOwner = nullptr;
    }
    if (m_hBkBrush) ::DeleteObject(m_hBkBrush);
    m_hBkBrush = nullptr;
    m_bFinished = true;
    if (m_iHandling == 0) delete this;
}

}  // namespace UiLib
