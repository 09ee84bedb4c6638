#include "core/window/UIWindow.h"

#include "core/manager/UIManager.h"

namespace UiLib {

namespace {
const wchar_t kObjectProperty[] = L"WndX";

HINSTANCE ModuleInstance() {
    HINSTANCE instance = CPaintManagerUI::GetInstance();
    return instance ? instance : ::GetModuleHandleW(nullptr);
}
}  // namespace

const wchar_t* CWindowWnd::GetSuperClassName() const { return nullptr; }
UINT CWindowWnd::GetClassStyle() const { return 0; }

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = CWindowWnd::WindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(ModuleInstance(), GetSuperClassName(), &wc))
        return false;
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::ControlProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc,
                        HMENU hMenu) {
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                  hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y,
                        int cx, int cy, HMENU hMenu) {
    bool registered = GetSuperClassName() ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) return nullptr;
    m_hWnd = ::CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy, hwndParent, hMenu,
                               ModuleInstance(), this);
    return m_hWnd;
}

HWND CWindowWnd::Subclass(HWND hWnd) {
    if (!::IsWindow(hWnd)) return nullptr;
    m_hWnd = hWnd;
    ::SetPropW(hWnd, kObjectProperty, this);
    m_OldWndProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CWindowWnd::ControlProc)));
    if (!m_OldWndProc) {
        ::RemovePropW(hWnd, kObjectProperty);
        m_OldWndProc = ::DefWindowProcW;
        m_hWnd = nullptr;
        return nullptr;
    }
    m_bSubclassed = true;
    return m_hWnd;
}

void CWindowWnd::RestoreWindowProc() {
    if (!m_hWnd || !m_bSubclassed) return;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
    m_OldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    if (owner) ::EnableWindow(owner, FALSE);
    UINT result = 0;
    MSG msg = {};
    // GetMessageW answers 0 for WM_QUIT, which ends the loop.
    while (::IsWindow(m_hWnd) && ::GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_CLOSE && msg.hwnd == m_hWnd) {
            result = static_cast<UINT>(msg.wParam);
            // The owner is active again before this window disappears.
            if (owner) {
                ::EnableWindow(owner, TRUE);
                ::SetFocus(owner);
            }
        }
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    // The outer loop must see the quit too.
    if (msg.message == WM_QUIT) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CWindowWnd::Close(UINT nRet) {
    if (::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, nRet, 0);
}

void CWindowWnd::CenterWindow() {
    RECT window = {};
    ::GetWindowRect(m_hWnd, &window);
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT reference = work;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner) ::GetWindowRect(owner, &reference);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = (reference.left + reference.right) / 2 - width / 2;
    int y = (reference.top + reference.bottom) / 2 - height / 2;
    if (x < work.left)
        x = work.left;
    else if (x + width > work.right)
        x = work.right - width;
    if (y < work.top)
        y = work.top;
    else if (y + height > work.bottom)
        y = work.bottom - height;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes) {
    HINSTANCE instance = CPaintManagerUI::GetResourceInstance();
    if (!instance) instance = ModuleInstance();
    struct IconSize {
        int cx, cy;
        WPARAM which;
    } sizes[] = {{SM_CXICON, SM_CYICON, ICON_BIG}, {SM_CXSMICON, SM_CYSMICON, ICON_SMALL}};
    for (const IconSize& size : sizes) {
        HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(nRes), IMAGE_ICON, ::GetSystemMetrics(size.cx),
                                   ::GetSystemMetrics(size.cy), LR_DEFAULTCOLOR);
        ::SendMessageW(m_hWnd, WM_SETICON, size.which, reinterpret_cast<LPARAM>(icon));
    }
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::FinalMessage(CWindowWnd* self, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = ::CallWindowProcW(self->m_OldWndProc, hWnd, uMsg, wParam, lParam);
    if (self->m_bSubclassed) self->RestoreWindowProc();
    self->m_hWnd = nullptr;
    self->OnFinalMessage(hWnd);
    return result;
}

namespace {

// Where each procedure keeps the object: registered classes in the user data,
// superclasses and subclassed windows in a window property.
struct UserDataSlot {
    static void Store(HWND hWnd, CWindowWnd* self) {
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    static CWindowWnd* Load(HWND hWnd) { return reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)); }
};
struct PropertySlot {
    static void Store(HWND hWnd, CWindowWnd* self) { ::SetPropW(hWnd, kObjectProperty, self); }
    static CWindowWnd* Load(HWND hWnd) { return static_cast<CWindowWnd*>(::GetPropW(hWnd, kObjectProperty)); }
};

}  // namespace

template <class Slot>
LRESULT CWindowWnd::Route(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (uMsg == WM_NCCREATE) {
        self = static_cast<CWindowWnd*>(reinterpret_cast<LPCREATESTRUCTW>(lParam)->lpCreateParams);
        self->m_hWnd = hWnd;
        Slot::Store(hWnd, self);
    } else {
        self = Slot::Load(hWnd);
        if (uMsg == WM_NCDESTROY && self) {
            Slot::Store(hWnd, nullptr);
            return FinalMessage(self, hWnd, uMsg, wParam, lParam);
        }
    }
    return self ? self->HandleMessage(uMsg, wParam, lParam) : ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return Route<UserDataSlot>(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return Route<PropertySlot>(hWnd, uMsg, wParam, lParam);
}

}  // namespace UiLib
