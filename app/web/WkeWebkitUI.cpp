#include "WkeWebkitUI.h"

#include <imm.h>
#include <windowsx.h>

#include "core/manager/UIManager.h"
#include "web/WkeEngine.h"

using namespace UiLib;

namespace {

constexpr UINT_PTR kUpdateTimer = 1;
constexpr UINT kUpdateIntervalMs = 50;

unsigned int MouseFlags(WPARAM keys) {
    unsigned int flags = 0;
    if (keys & MK_CONTROL) flags |= WKE_CONTROL;
    if (keys & MK_SHIFT) flags |= WKE_SHIFT;
    if (keys & MK_LBUTTON) flags |= WKE_LBUTTON;
    if (keys & MK_MBUTTON) flags |= WKE_MBUTTON;
    if (keys & MK_RBUTTON) flags |= WKE_RBUTTON;
    return flags;
}

unsigned int KeyFlags(LPARAM lParam) {
    unsigned int flags = 0;
    if (HIWORD(lParam) & KF_REPEAT) flags |= WKE_REPEAT;
    if (HIWORD(lParam) & KF_EXTENDED) flags |= WKE_EXTENDED;
    return flags;
}

}  // namespace

// --- window ---------------------------------------------------------------

POINT CWkeWebkitWnd::ClientOrigin() const {
    RECT client;
    GetClientRect(m_hWnd, &client);
    return {client.left, client.top};
}

LRESULT CWkeWebkitWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case WM_CREATE:
            view_ = WkeEngine::Instance().CreateWebView();
            if (!view_) return -1;
            view_->setBufHandler(this);
            SetTimer(m_hWnd, kUpdateTimer, kUpdateIntervalMs, nullptr);
            return 0;
        case WM_DESTROY:
            WkeEngine::Instance().DestroyWebView(view_);
            view_ = nullptr;
            KillTimer(m_hWnd, kUpdateTimer);
            return 0;
        case WM_SIZE: {
            RECT rc;
            GetWindowRect(m_hWnd, &rc);
            if (view_) {
                view_->resize(rc.right - rc.left, rc.bottom - rc.top);
                view_->update();
            }
            InvalidateRect(m_hWnd, nullptr, FALSE);
            return 0;
        }
        case WM_SETFOCUS:
            if (view_) view_->focus();
            return 0;
        case WM_KILLFOCUS:
            if (view_) view_->unfocus();
            return 0;
        case WM_PAINT:
            return OnPaint();
        case WM_TIMER:
            if (wParam == kUpdateTimer && view_) view_->update();
            return 0;
        case WM_MOUSEWHEEL: {
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(m_hWnd, &pt);
            if (view_ && view_->mouseWheel(pt.x, pt.y, GET_WHEEL_DELTA_WPARAM(wParam), MouseFlags(LOWORD(wParam))))
                return 0;
            break;
        }
        case WM_CONTEXTMENU: {
            POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (pt.x != -1 && pt.y != -1) ScreenToClient(m_hWnd, &pt);  // -1,-1: from the keyboard
            if (view_ && view_->contextMenuEvent(pt.x, pt.y, MouseFlags(wParam))) return 0;
            break;
        }
        case WM_KEYDOWN:
            if (view_ && view_->keyDown(static_cast<unsigned>(wParam), KeyFlags(lParam), false)) return 0;
            break;
        case WM_KEYUP:
            if (view_ && view_->keyUp(static_cast<unsigned>(wParam), KeyFlags(lParam), false)) return 0;
            break;
        case WM_CHAR:
            if (view_ && view_->keyPress(static_cast<unsigned>(wParam), KeyFlags(lParam), false)) return 0;
            break;
        case WM_IME_STARTCOMPOSITION:
            return OnImeStartComposition();
        default:
            if ((uMsg >= WM_MOUSEMOVE && uMsg <= WM_MBUTTONDBLCLK) || uMsg == WM_MOUSELEAVE) {
                if (OnMouse(uMsg, wParam, lParam) == 0) return 0;
            }
            break;
    }
    return CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWkeWebkitWnd::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT client, clip, area;
    GetClientRect(m_hWnd, &client);
    GetClipBox(hdc, &clip);
    if (view_ && IntersectRect(&area, &clip, &client)) {
        BitBlt(hdc, area.left, area.top, area.right - area.left, area.bottom - area.top, view_->getViewDC(),
               area.left - client.left, area.top - client.top, SRCCOPY);
    }
    EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CWkeWebkitWnd::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_RBUTTONDOWN) {
        ::SetFocus(m_hWnd);
        SetCapture(m_hWnd);
    } else if (message == WM_LBUTTONUP || message == WM_MBUTTONUP || message == WM_RBUTTONUP) {
        ReleaseCapture();
    }
    const POINT origin = ClientOrigin();
    const int x = GET_X_LPARAM(lParam) - origin.x, y = GET_Y_LPARAM(lParam) - origin.y;
    return view_ && view_->mouseEvent(message, x, y, MouseFlags(wParam)) ? 0 : 1;
}

LRESULT CWkeWebkitWnd::OnImeStartComposition() {
    if (!view_) return 0;
    const wkeRect caret = view_->getCaret();
    const POINT origin = ClientOrigin();
    const RECT area = {origin.x + caret.x, origin.y + caret.y, origin.x + caret.x + caret.w,
                       origin.y + caret.y + caret.h};
    HWND host = owner_ && owner_->GetManager() ? owner_->GetManager()->GetPaintWindow() : m_hWnd;
    HIMC context = ImmGetContext(host);
    if (!context) return 0;
    CANDIDATEFORM candidate = {0, CFS_EXCLUDE, {area.left, area.bottom}, area};
    ImmSetCandidateWindow(context, &candidate);
    COMPOSITIONFORM composition = {CFS_POINT, {area.left, area.bottom}, area};
    ImmSetCompositionWindow(context, &composition);
    ImmReleaseContext(host, context);
    return 0;
}

void WKE_CALL CWkeWebkitWnd::OnBufUpdated(HDC, int x, int y, int cx, int cy) {
    const POINT origin = ClientOrigin();
    RECT changed = {origin.x + x, origin.y + y, origin.x + x + cx, origin.y + y + cy};
    InvalidateRect(m_hWnd, &changed, TRUE);
}

void CWkeWebkitWnd::OnFinalMessage(HWND) {
    if (owner_) {
        owner_->Invalidate();
        owner_->window_ = nullptr;
    }
    WkeEngine::Instance().DestroyWebView(view_);
    view_ = nullptr;
    delete this;
}

// --- control --------------------------------------------------------------

CWkeWebkitUI::~CWkeWebkitUI() {
    if (window_) {
        // The window may outlive the control by a message or two: it must no
        // longer reach back into it.
        window_->DetachOwner();
        if (IsWindow(window_->GetHWND())) window_->PostMessage(WM_CLOSE, 1);
        else if (!window_->GetHWND()) delete window_;  // never created: no final message will free it
        window_ = nullptr;
    }
}

LPVOID CWkeWebkitUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"WbkWebkit") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CWkeWebkitUI::DoInit() {
    if (!window_) window_ = new CWkeWebkitWnd(this);
    if (!window_->GetHWND() && GetManager()) {
        const RECT& rc = GetPos();
        window_->Create(GetManager()->GetPaintWindow(), nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                        0, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    }
    // A view the engine refused fails the creation; the window's final
    // message has then freed it and cleared window_.
    if (window_ && window_->GetHWND()) ::ShowWindow(window_->GetHWND(), SW_SHOWNORMAL);
}

#ifdef WKE_PLUGIN_VARIANT
#define WKE_TRACE(text)
#else
#define WKE_TRACE(text) OutputDebugStringA(text)
#endif

void CWkeWebkitUI::SetPos(RECT rc) {
    WKE_TRACE("CWkeWebkitUI__SetPos_Begin");
    CControlUI::SetPos(rc);
    if (!window_ || !window_->GetHWND()) {
        WKE_TRACE("CWkeWebkitUI__SetPos_NO_Find_Hwnd");
        return;
    }
    WKE_TRACE("CWkeWebkitUI__SetPos");
    // The engine's window covers only what its containers show: a pane
    // placed partly outside them never hides the controls around them.
    RECT shown = rc;
    for (CControlUI* parent = GetParent(); parent; parent = parent->GetParent())
        if (!IntersectRect(&shown, &shown, &parent->GetPos())) shown = {rc.left, rc.top, rc.left, rc.top};
    SetWindowPos(window_->GetHWND(), nullptr, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

#ifndef WKE_PLUGIN_VARIANT
void CWkeWebkitUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    SetInternVisible(visible);
}
#endif

void CWkeWebkitUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    if (!visible && GetManager() && GetManager()->GetFocus() == this) GetManager()->SetFocus(nullptr);
    if (window_ && window_->GetHWND()) ::ShowWindow(window_->GetHWND(), visible ? SW_SHOW : SW_HIDE);
}

void CWkeWebkitUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SETCURSOR) {
        ::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return;
    }
    CControlUI::DoEvent(event);
}

void CWkeWebkitUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
#ifdef WKE_PLUGIN_VARIANT
    if (name && wcscmp(name, L"url") == 0) return;  // pages are loaded by the code that shows them
#endif
    CControlUI::SetAttribute(name, value);
}

wkeWebView CWkeWebkitUI::View() const { return window_ ? window_->View() : nullptr; }

void CWkeWebkitUI::Navigate(std::wstring url) {
    if (!window_) return;
    window_->SetUrl(url);
    if (wkeWebView view = View()) view->loadURL(url.c_str());
}

void CWkeWebkitUI::GoBack() {
    wkeWebView view = View();
    if (view && view->canGoBack()) view->goBack();
}

void CWkeWebkitUI::GoForward() {
    wkeWebView view = View();
    if (view && view->canGoForward()) view->goForward();
}

#ifdef WKE_PLUGIN_VARIANT
void CWkeWebkitUI::LoadHTML(const std::wstring& html) {
    if (!window_) return;
    window_->SetUrl(html);
    if (wkeWebView view = View()) view->loadHTML(html.c_str());
}

std::wstring CWkeWebkitUI::RunScript(const std::wstring& script) {
    wkeWebView view = View();
    if (!view) return {};
    const jsValue value = view->runJS(script.c_str());
    const wchar_t* text = WkeEngine::Instance().ToStringW(view->globalExec(), value);
    return text ? text : L"";
}
#else
bool CWkeWebkitUI::IsLoadComplete() const {
    wkeWebView view = View();
    return view && view->isLoadComplete();
}
#endif
