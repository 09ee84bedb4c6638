#include "controls/UIDateTime.h"

#include "core/manager/UIManager.h"
#include "core/window/UIWindow.h"

#include <commctrl.h>

#include <cstddef>
#include <cwchar>

namespace UiLib {

// The native picker laid over a date field while it is being edited. It
// deletes itself when its window is destroyed.
class CDateTimeWnd final : public CWindowWnd {
public:
    void Init(CDateTimeUI* owner);
    // The field is going away: forget it and destroy the window.
    void Detach();

    const wchar_t* GetWindowClassName() const override { return L"DateTimeWnd"; }
    const wchar_t* GetSuperClassName() const override { return DATETIMEPICK_CLASSW; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT DefaultProcessing(UINT uMsg, WPARAM wParam, LPARAM lParam) {
        return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
    }
    // True while the cursor is over the drop-down calendar's month buttons.
    static bool CursorOnCalendarTitleButton(HWND calendar);

    CDateTimeUI* m_pOwner = nullptr;
    HBRUSH m_hBkBrush = nullptr;
    bool m_bInit = false;
};

void CDateTimeWnd::Init(CDateTimeUI* owner) {
    m_pOwner = owner;
    owner->m_nDTUpdateFlag = CDateTimeUI::UPDATE_NONE;
    CPaintManagerUI* manager = owner->GetManager();
    if (!m_hWnd && manager) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&controls);
        Create(manager->GetPaintWindow(), nullptr, WS_CHILD, 0, owner->GetPos());
        if (m_hWnd)
            ::SendMessageW(m_hWnd, WM_SETFONT,
                           reinterpret_cast<WPARAM>(manager->GetFontInfo(owner->GetFont())->hFont), TRUE);
    }
    if (!m_hWnd) return;
    if (owner->GetText().IsEmpty()) ::GetLocalTime(&owner->m_sysTime);
    ::SendMessageW(m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&owner->m_sysTime));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

void CDateTimeWnd::Detach() {
    m_pOwner = nullptr;
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);  // OnFinalMessage deletes this object
    else
        delete this;
}

bool CDateTimeWnd::CursorOnCalendarTitleButton(HWND calendar) {
    MCHITTESTINFO hit = {};
    // The first, fixed-size part of the record: what every version of the control reads.
    hit.cbSize = static_cast<UINT>(offsetof(MCHITTESTINFO, st) + sizeof(SYSTEMTIME));
    ::GetCursorPos(&hit.pt);
    ::ScreenToClient(calendar, &hit.pt);
    ::SendMessageW(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.uHit == MCHT_TITLEBTNNEXT || hit.uHit == MCHT_TITLEBTNPREV;
}

LRESULT CDateTimeWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_NOTIFY:
        ::SetFocus(m_hWnd);
        break;
    case WM_KILLFOCUS: {
        // While the drop-down calendar shows, the focus moving there is no reason to close.
        HWND calendar = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, DTM_GETMONTHCAL, 0, 0));
        if (calendar && ::IsWindowVisible(calendar)) return CursorOnCalendarTitleButton(calendar) ? 1 : 0;
        POINT cursor;
        RECT window;
        ::GetCursorPos(&cursor);
        ::GetWindowRect(m_hWnd, &window);
        if (::PtInRect(&window, cursor)) return 0;
        LRESULT result = DefaultProcessing(uMsg, wParam, lParam);
        if (m_pOwner && m_pOwner->m_nDTUpdateFlag == CDateTimeUI::UPDATE_NONE) {
            ::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&m_pOwner->m_sysTime));
            m_pOwner->m_nDTUpdateFlag = CDateTimeUI::UPDATE_DATE;
            m_pOwner->UpdateText();
        }
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return result;
    }
    case WM_KEYUP:
        if (wParam == VK_DELETE || wParam == VK_BACK) {
            LRESULT result = DefaultProcessing(uMsg, wParam, lParam);
            if (m_pOwner) {
                m_pOwner->m_nDTUpdateFlag = CDateTimeUI::UPDATE_DELETE;
                m_pOwner->UpdateText();
            }
            ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
            return result;
        }
        if (wParam == VK_ESCAPE) {
            LRESULT result = DefaultProcessing(uMsg, wParam, lParam);
            if (m_pOwner) m_pOwner->m_nDTUpdateFlag = CDateTimeUI::UPDATE_KEEP;
            ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
            return result;
        }
        break;
    default:
        break;
    }
    return DefaultProcessing(uMsg, wParam, lParam);
}

void CDateTimeWnd::OnFinalMessage(HWND) {
    if (m_hBkBrush) ::DeleteObject(m_hBkBrush);
    if (m_pOwner) m_pOwner->m_pWindow = nullptr;
    delete this;
}

CDateTimeUI::CDateTimeUI() {
    ::GetLocalTime(&m_sysTime);
    UpdateText();
    m_nDTUpdateFlag = UPDATE_NONE;
}

CDateTimeUI::~CDateTimeUI() {
    // An open picker must not outlive the field it writes back into.
    if (m_pWindow) {
        CDateTimeWnd* window = m_pWindow;
        m_pWindow = nullptr;
        window->Detach();
    }
}

const wchar_t* CDateTimeUI::GetClass() const { return L"DateTimeUI"; }

LPVOID CDateTimeUI::GetInterface(const wchar_t* name) {
    if (name && (std::wcscmp(name, L"DateTime") == 0 || std::wcscmp(name, L"Label") == 0)) return this;
    return CControlUI::GetInterface(name);
}

void CDateTimeUI::SetTime(const SYSTEMTIME* time) {
    if (!time) return;
    m_sysTime = *time;
    const int mode = m_nDTUpdateFlag;
    m_nDTUpdateFlag = UPDATE_DATE;
    UpdateText();
    m_nDTUpdateFlag = mode;
}

HWND CDateTimeUI::GetPickerWindow() const { return m_pWindow ? m_pWindow->GetHWND() : nullptr; }

void CDateTimeUI::UpdateText() {
    if (m_nDTUpdateFlag == UPDATE_DELETE) {
        SetText(L"");
    } else if (m_nDTUpdateFlag == UPDATE_DATE) {
        CUiString text;
        text.SmallFormat(L"%4d-%02d-%02d", m_sysTime.wYear, m_sysTime.wMonth, m_sysTime.wDay);
        SetText(text);
    }
}

void CDateTimeUI::OpenPicker() {
    if (!m_pWindow) m_pWindow = new CDateTimeWnd;
    m_pWindow->Init(this);
    if (!m_pWindow->GetHWND()) {  // no window (no manager, or creation failed): nothing stays open
        delete m_pWindow;
        m_pWindow = nullptr;
        return;
    }
    m_pWindow->ShowWindow(true, true);
}

void CDateTimeUI::DoEvent(TEventUI& event) {
    if (ForwardDisabledMouse(event)) return;
    switch (event.Type) {
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
        if (IsEnabled() && !m_pWindow) OpenPicker();
        break;
    case UIEVENT_KILLFOCUS:
        if (IsEnabled()) Invalidate();
        break;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_MOUSELEAVE:
    case UIEVENT_MOUSEENTER:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) {
            if (m_pManager) m_pManager->ReleaseCapture();
            if (m_pWindow || IsFocused()) OpenPicker();
        }
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

}  // namespace UiLib
