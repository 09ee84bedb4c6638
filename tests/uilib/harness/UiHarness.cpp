#include "UiHarness.h"

#include "core/window/UIDlgBuilder.h"

#include <algorithm>

namespace uiharness {

using namespace UiLib;

namespace {
const wchar_t kClassName[] = L"UiLibHarnessWindow";

void RegisterOnce(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    registered = ::RegisterClassW(&wc) != 0;
}

void DispatchPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}
}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        DispatchPending();
        if (done()) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

HarnessWindow::HarnessWindow(int width, int height) {
    RegisterOnce(&HarnessWindow::WindowProc);
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    hwnd_ = ::CreateWindowExW(0, kClassName, L"harness", WS_POPUP, 20, 20, width, height, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), this);
}

HarnessWindow::~HarnessWindow() {
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK HarnessWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    HarnessWindow* self = reinterpret_cast<HarnessWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<HarnessWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->manager_.Init(hwnd);
    }
    if (self) {
        if (msg == WM_PAINT) ++self->paints_;
        LRESULT result = 0;
        if (self->manager_.MessageHandler(msg, wp, lp, result)) return result;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

bool HarnessWindow::Show(CControlUI* root) {
    if (!hwnd_ || !manager_.AttachRoot(root)) return false;
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd_);
    return PumpUntil([this] { return paints_ > 0 && !manager_.IsUpdateNeeded(); });
}

bool HarnessWindow::ShowSkin(const wchar_t* xml) {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(STRINGorID(xml), nullptr, nullptr, &manager_);
    return root && Show(root);
}

void HarnessWindow::Settle() {
    DispatchPending();
    ::UpdateWindow(hwnd_);
    DispatchPending();
}

void HarnessWindow::MouseMove(int x, int y) { ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
void HarnessWindow::MouseDown(int x, int y) {
    ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}
void HarnessWindow::MouseUp(int x, int y) { ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

void HarnessWindow::Click(int x, int y) {
    MouseMove(x, y);
    MouseDown(x, y);
    MouseUp(x, y);
}

void HarnessWindow::Wheel(int x, int y, int delta) {
    POINT pt = {x, y};
    ::ClientToScreen(hwnd_, &pt);
    ::SendMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                   MAKELPARAM(pt.x, pt.y));
}

void HarnessWindow::Key(UINT vk) {
    ::PostMessageW(hwnd_, WM_KEYDOWN, vk, 1);
    ::PostMessageW(hwnd_, WM_KEYUP, vk, 0xC0000001);
    DispatchPending();
}

void HarnessWindow::SysChar(wchar_t ch) {
    ::PostMessageW(hwnd_, WM_SYSCHAR, ch, 0x20000001);
    DispatchPending();
}

void HarnessWindow::SetKeyDown(int vk, bool down) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[vk] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

Snapshot HarnessWindow::Capture() {
    Settle();
    return CaptureWindow(hwnd_);
}

::testing::AssertionResult RectIs(const RECT& a, const RECT& e) {
    if (a.left == e.left && a.top == e.top && a.right == e.right && a.bottom == e.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "rect is " << a.left << "," << a.top << "," << a.right << ","
                                         << a.bottom << " not " << e.left << "," << e.top << "," << e.right << ","
                                         << e.bottom;
}

int CountTinted(const Snapshot& shot, const RECT& rc, int shift) {
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x) {
            const DWORD p = shot.At(x, y);
            const int main = (p >> shift) & 0xFF;
            int others = 0;
            for (int s = 0; s < 24; s += 8)
                if (s != shift) others = std::max(others, static_cast<int>((p >> s) & 0xFF));
            count += main - others > 60 ? 1 : 0;
        }
    return count;
}

// Draws `width` x `height` pixels into a 32-bit bitmap with `draw` and reads them back.
static Snapshot CaptureInto(int width, int height, const std::function<void(HDC)>& draw) {
    Snapshot shot;
    shot.width = width;
    shot.height = height;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = shot.width;
    bmi.bmiHeader.biHeight = -shot.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, dib);
    draw(dc);
    ::GdiFlush();
    const DWORD* source = static_cast<const DWORD*>(bits);
    shot.pixels.assign(source, source + static_cast<size_t>(shot.width) * shot.height);
    for (DWORD& pixel : shot.pixels) pixel &= 0x00FFFFFF;
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(dib);
    return shot;
}

Snapshot CaptureWindow(HWND hwnd) {
    RECT client;
    ::GetClientRect(hwnd, &client);
    return CaptureInto(client.right, client.bottom, [hwnd](HDC dc) {
        ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

Snapshot CaptureScreen(HWND hwnd) {
    RECT area;
    ::GetWindowRect(hwnd, &area);
    return CaptureInto(area.right - area.left, area.bottom - area.top, [&area](HDC dc) {
        HDC screen = ::GetDC(nullptr);
        ::BitBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left, area.top, SRCCOPY);
        ::ReleaseDC(nullptr, screen);
    });
}

RecordingControl::RecordingControl(const wchar_t* name, UINT flags) : flags_(flags) { SetName(name); }

RecordingControl::~RecordingControl() {
    if (destroyed) *destroyed = true;
}

void RecordingControl::DoEvent(TEventUI& event) {
    events.push_back(event);
    if (onEvent) onEvent(event);
    CControlUI::DoEvent(event);
}

bool RecordingControl::Activate() {
    ++activations;
    return CControlUI::Activate();
}

int RecordingControl::Count(int type) const {
    int n = 0;
    for (const TEventUI& e : events) n += e.Type == type;
    return n;
}

std::vector<int> RecordingControl::Types() const {
    std::vector<int> types;
    for (const TEventUI& e : events) types.push_back(e.Type);
    return types;
}

void RecordingNotifier::Notify(TNotifyUI& msg) {
    entries.push_back(Entry{msg.sType.GetData(), msg.pSender, msg.wParam});
    if (onNotify) onNotify(msg);
}

int RecordingNotifier::Count(const wchar_t* type) const {
    int n = 0;
    for (const Entry& e : entries) n += e.type == type;
    return n;
}

void PaintingControl::PaintBkImage(HDC hDC) {
    if (paint) paint(hDC, GetPos());
}

}  // namespace uiharness
