#include "tray/TrayIcon.h"

#include <cwchar>

namespace {

const wchar_t kTrayName[] = L"Kovi\x5347\x7EA7\x7A0B\x5E8F";                          // Kovi升级程序
const wchar_t kBalloonText[] = L"Kovi\x66F4\x65B0\x5305\x4E0B\x8F7D\x4E2D...";          // Kovi更新包下载中...
const wchar_t kExitText[] = L"\x9000\x51FA";                                          // 退出
constexpr UINT kBalloonMs = 2400;
constexpr UINT kAnimationStepMs = 400;

template <size_t N>
void Copy(wchar_t (&field)[N], const wchar_t* text) {
    wcsncpy(field, text, N - 1);
    field[N - 1] = L'\0';
}

}  // namespace

TrayIcon::TrayIcon(HINSTANCE instance) : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, instance] { Run(instance); });
    WaitForSingleObject(ready_, 5000);
}

TrayIcon::~TrayIcon() {
    Stop();
    CloseHandle(ready_);
}

void TrayIcon::Stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    if (HWND window = window_.load()) PostMessageW(window, WM_NULL, 0, 0);  // wakes the loop
    if (DWORD id = threadId_.load()) PostThreadMessageW(id, WM_NULL, 0, 0);
    thread_.join();
}

void TrayIcon::RemoveIcon() {
    if (window_.load()) Shell_NotifyIconW(NIM_DELETE, &record_);
}

void TrayIcon::Run(HINSTANCE instance) {
    threadId_ = GetCurrentThreadId();
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TrayIcon::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTrayName;
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kTrayName, kTrayName, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!window) {
        SetEvent(ready_);
        return;
    }
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    for (int i = 0; i < 3; ++i) icons_[i] = LoadIconW(instance, MAKEINTRESOURCEW(101 + i));
    record_.cbSize = sizeof(record_);
    record_.hWnd = window;
    record_.uID = kIconId;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    record_.uCallbackMessage = kCallbackMessage;
    record_.hIcon = icons_[0];
    Copy(record_.szTip, kTrayName);
    Copy(record_.szInfoTitle, kTrayName);
    record_.uTimeout = kBalloonMs;
    menu_ = CreatePopupMenu();
    AppendMenuW(menu_, MF_STRING, kExitCommand, kExitText);
    Shell_NotifyIconW(NIM_ADD, &record_);
    SetTimer(window, kAnimationTimer, kBalloonMs, nullptr);
    window_ = window;
    SetEvent(ready_);

    MSG msg;
    while (!stop_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (stop_) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Shell_NotifyIconW(NIM_DELETE, &record_);
    KillTimer(window, kAnimationTimer);
    stop_ = true;  // the window's end below is not the menu's exit
    window_ = nullptr;
    DestroyWindow(window);
    DestroyMenu(menu_);
}

LRESULT CALLBACK TrayIcon::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* tray = reinterpret_cast<TrayIcon*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (tray) tray->Handle(hwnd, msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void TrayIcon::NextIcon() {
    ++ticks_;
    record_.hIcon = icons_[ticks_ % 3];
    record_.szInfo[0] = L'\0';
    Shell_NotifyIconW(NIM_MODIFY, &record_);
}

void TrayIcon::ShowBalloon() {
    Copy(record_.szInfoTitle, kTrayName);
    Copy(record_.szInfo, kBalloonText);
    record_.uTimeout = kBalloonMs;
    Shell_NotifyIconW(NIM_MODIFY, &record_);
}

LRESULT TrayIcon::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY && !stop_) {
        // "退出": the whole updater ends here, also in the middle of a download.
        Shell_NotifyIconW(NIM_DELETE, &record_);
        ExitProcess(0);
    }
    if (msg == WM_TIMER && wp == kAnimationTimer) {
        KillTimer(hwnd, kAnimationTimer);
        NextIcon();
        SetTimer(hwnd, kAnimationTimer, kAnimationStepMs, nullptr);
    } else if (msg == kCallbackMessage) {
        const UINT mouse = static_cast<UINT>(lp);
        if (mouse == WM_LBUTTONDOWN || mouse == WM_NCMOUSEHOVER || mouse == WM_MOUSEHOVER) {
            ShowBalloon();
            SetTimer(hwnd, kAnimationTimer, kBalloonMs, nullptr);
        } else if (mouse == WM_RBUTTONDOWN) {
            SetForegroundWindow(hwnd);
            POINT cursor;
            GetCursorPos(&cursor);
            const UINT command = TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, hwnd, nullptr);
            if (command == kExitCommand) PostMessageW(hwnd, WM_DESTROY, 0, 0);
        }
    } else if (taskbarCreated_ != 0 && msg == taskbarCreated_) {
        Shell_NotifyIconW(NIM_ADD, &record_);
    }
    return 0;
}
