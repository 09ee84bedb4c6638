#include "core/window/WindowImplBase.h"

#include "core/markup/UiResources.h"

#include <cwchar>

namespace UiLib {

namespace {

// A library does not end its host: after telling the user, the thread's
// message loop is asked to end with exit code 1, so the program winds down
// through its own code (its files closed, its data saved).
void DefaultSkinFailure(WindowImplBase*) {
    ::MessageBoxW(nullptr, L"加载资源文件失败", L"UiLib", MB_ICONERROR);
    ::PostQuitMessage(1);
}

WindowImplBase::SkinFailureHandler g_skinFailure = &DefaultSkinFailure;

// The work area of the monitor nearest the window, relative to that monitor.
RECT MonitorWorkArea(HWND hwnd) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
    RECT work = info.rcWork;
    ::OffsetRect(&work, -info.rcMonitor.left, -info.rcMonitor.top);
    return work;
}

}  // namespace

UI_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
UI_ON_MSGTYPE(L"click", OnClick)
UI_END_MESSAGE_MAP()

void WindowImplBase::SetSkinFailureHandler(SkinFailureHandler handler) {
    g_skinFailure = handler ? handler : &DefaultSkinFailure;
}

WindowImplBase::~WindowImplBase() {
    CUiTrayIcon* tray = m_PaintManager.GetTrayObject();
    if (tray->IsCreated()) tray->DeleteTrayIcon();
}

void WindowImplBase::OnFinalMessage(HWND) {
    m_PaintManager.RemovePreMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
    m_PaintManager.AttachRoot(nullptr);
}

UINT WindowImplBase::GetClassStyle() const { return CS_DBLCLKS; }
UILIB_RESOURCETYPE WindowImplBase::GetResourceType() const { return UILIB_FILE; }
CUiString WindowImplBase::GetZIPFileName() const { return CUiString(); }
const wchar_t* WindowImplBase::GetResourceID() const { return L""; }

void WindowImplBase::Notify(TNotifyUI& msg) { NotifyPump(msg); }

void WindowImplBase::OnClick(TNotifyUI& msg) {
    CUiString name = msg.pSender ? msg.pSender->GetName() : CUiString();
    if (name == L"closebtn") {
        if (::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 8, 0);
    } else if (name == L"minbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

// The window filters no message: keys, Escape included, go on to the controls.
LRESULT WindowImplBase::MessageHandler(UINT, WPARAM, LPARAM, bool&) { return 0; }

CControlUI* WindowImplBase::CreateControl(const wchar_t*) { return nullptr; }

LONG WindowImplBase::GetStyle() {
    return static_cast<LONG>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)) & ~WS_CAPTION;
}

#define UI_NOT_HANDLED            \
    {                             \
        bHandled = FALSE;         \
        return 0;                 \
    }
LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) UI_NOT_HANDLED
#undef UI_NOT_HANDLED

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (::IsIconic(m_hWnd)) bHandled = FALSE;
    return wParam == 0 ? 1 : 0;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (::IsZoomed(m_hWnd)) {
        RECT work = MonitorWorkArea(m_hWnd);
        auto* rc = reinterpret_cast<LPRECT>(lParam);
        *rc = RECT{0, 0, work.right - work.left, work.bottom - work.top};
        return WVR_REDRAW;
    }
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (!::IsZoomed(m_hWnd)) {
        RECT box = m_PaintManager.GetSizeBox();
        bool left = pt.x < client.left + box.left;
        bool right = pt.x >= client.right - box.right;
        if (pt.y < client.top + box.top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        if (pt.y >= client.bottom - box.bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
    }
    RECT caption = m_PaintManager.GetCaptionRect();
    if (pt.x < client.left + caption.left || pt.x >= client.right - caption.right || pt.y < caption.top ||
        pt.y >= caption.bottom)
        return HTCLIENT;
    CControlUI* control = m_PaintManager.FindControl(pt);
    if (!control) return HTCLIENT;
    static const wchar_t* const kClickable[] = {L"ButtonUI", L"OptionUI", L"TextUI", L"SliderUI"};
    for (const wchar_t* clickable : kClickable)
        if (_wcsicmp(control->GetClass(), clickable) == 0) return HTCLIENT;
    return HTCAPTION;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    auto* info = reinterpret_cast<LPMINMAXINFO>(lParam);
    RECT work = MonitorWorkArea(m_hWnd);
    info->ptMaxPosition = POINT{work.left, work.top};
    info->ptMaxTrackSize = POINT{work.right - work.left, work.bottom - work.top};
    SIZE minimum = m_PaintManager.GetMinInfo();
    info->ptMinTrackSize = POINT{minimum.cx, minimum.cy};
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (!::IsIconic(m_hWnd)) {
        RECT rc = {};
        ::GetWindowRect(m_hWnd, &rc);
        ::OffsetRect(&rc, -rc.left, -rc.top);
        SIZE corner = m_PaintManager.GetRoundCorner();
        HRGN region = ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, corner.cx, corner.cy);
        ::SetWindowRgn(m_hWnd, region, TRUE);  // the window owns the region now
    }
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (wParam == SC_CLOSE) {
        SendMessage(WM_CLOSE);
        return 0;
    }
    bool wasZoomed = ::IsZoomed(m_hWnd) != FALSE;
    LRESULT result = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    if (::IsWindow(m_hWnd) && wasZoomed != (::IsZoomed(m_hWnd) != FALSE)) {
        // Either button may be missing from the skin; each present one follows the state.
        if (CControlUI* maxButton = m_PaintManager.FindControl(L"maxbtn")) maxButton->SetVisible(wasZoomed);
        if (CControlUI* restoreButton = m_PaintManager.FindControl(L"restorebtn"))
            restoreButton->SetVisible(!wasZoomed);
    }
    if ((wParam & 0xFFF0) == SC_RESTORE) bHandled = FALSE;
    return result;
}

bool WindowImplBase::SelectSkinSource() {
    switch (GetResourceType()) {
    case UILIB_ZIP:
        CPaintManagerUI::SetResourceZip(GetZIPFileName(), true);
        return true;
    case UILIB_ZIPRESOURCE: {
        const BYTE* bytes = nullptr;
        DWORD size = 0;
        if (!UiResources::LoadModuleResource(CPaintManagerUI::GetResourceInstance(), GetResourceID(), L"ZIPRES", bytes, size)) return false;
        CPaintManagerUI::SetResourceZipBuffer(bytes, size);
        return true;
    }
    default:
        return true;
    }
}

void WindowImplBase::SkinFailed() { g_skinFailure(this); }

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style & ~WS_CAPTION) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT rc = {};
    ::GetClientRect(m_hWnd, &rc);
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);

    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddPreMessageFilter(this);

    const wchar_t* resourcePath = CPaintManagerUI::GetResourcePath();
    if (!resourcePath || !*resourcePath)
        CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + GetSkinDirectory());

    // Without its zip resource the window stays, empty and without a message.
    if (!SelectSkinSource()) return 0;
    CControlUI* root = nullptr;
    CDialogBuilder builder;
    CUiString skin = GetSkinFileName();
    if (GetResourceType() == UILIB_RESOURCE)
        root = builder.Create(STRINGorID(static_cast<UINT>(_wtoi(skin))), L"xml", this, &m_PaintManager);
    else
        root = builder.Create(STRINGorID(skin.GetData()), nullptr, this, &m_PaintManager);
    if (!root) {
        SkinFailed();
        return -1;  // creation fails
    }
    m_PaintManager.AttachRoot(root);
    m_PaintManager.AddNotifier(this);
    OnWindowReady();
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    typedef LRESULT (WindowImplBase::*Handler)(UINT, WPARAM, LPARAM, BOOL&);
    Handler handler = nullptr;
    switch (uMsg) {
    case WM_CREATE: handler = &WindowImplBase::OnCreate; break;
    case WM_CLOSE: handler = &WindowImplBase::OnClose; break;
    case WM_DESTROY: handler = &WindowImplBase::OnDestroy; break;
    case WM_NCACTIVATE: handler = &WindowImplBase::OnNcActivate; break;
    case WM_NCCALCSIZE: handler = &WindowImplBase::OnNcCalcSize; break;
    case WM_NCPAINT: handler = &WindowImplBase::OnNcPaint; break;
    case WM_NCHITTEST: handler = &WindowImplBase::OnNcHitTest; break;
    case WM_GETMINMAXINFO: handler = &WindowImplBase::OnGetMinMaxInfo; break;
    case WM_MOUSEWHEEL: handler = &WindowImplBase::OnMouseWheel; break;
    case WM_SIZE: handler = &WindowImplBase::OnSize; break;
    case WM_CHAR: handler = &WindowImplBase::OnChar; break;
    case WM_SYSCOMMAND: handler = &WindowImplBase::OnSysCommand; break;
    case WM_KEYDOWN: handler = &WindowImplBase::OnKeyDown; break;
    case WM_KILLFOCUS: handler = &WindowImplBase::OnKillFocus; break;
    case WM_SETFOCUS: handler = &WindowImplBase::OnSetFocus; break;
    case WM_LBUTTONUP: handler = &WindowImplBase::OnLButtonUp; break;
    case WM_LBUTTONDOWN: handler = &WindowImplBase::OnLButtonDown; break;
    case WM_MOUSEMOVE: handler = &WindowImplBase::OnMouseMove; break;
    case WM_MOUSEHOVER: handler = &WindowImplBase::OnMouseHover; break;
    default: break;
    }
    BOOL bHandled = FALSE;
    if (handler) {
        bHandled = TRUE;
        LRESULT result = (this->*handler)(uMsg, wParam, lParam, bHandled);
        if (bHandled) return result;
    }
    bHandled = FALSE;
    LRESULT result = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return result;
    if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

}  // namespace UiLib
