// Proves the display path: a plain Win32 window under the test X server
// paints a known colour, and the pixel is read back from the screen.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

const COLORREF kFill = RGB(0x12, 0x9a, 0xe4);

LRESULT CALLBACK FillProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(kFill);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void PumpFor(DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

TEST(DisplaySmoke, WindowPaintsKnownColourThatReadsBackFromTheScreen) {
    ASSERT_GE(GetDeviceCaps(GetDC(nullptr), BITSPIXEL), 24) << "the test display must be 24-bit or deeper";

    WNDCLASSW wc = {};
    wc.lpfnWndProc = FillProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TorvanikDisplaySmoke";
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    ASSERT_NE(RegisterClassW(&wc), 0);

    // Low on the left of the screen, away from the centred and cascaded
    // windows and the bottom-right menus of window tests running alongside.
    const int left = 20, top = GetSystemMetrics(SM_CYSCREEN) - 160;
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"smoke", WS_POPUP | WS_VISIBLE, left, top, 160,
                                120, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    UpdateWindow(hwnd);

    // The X server shows the window asynchronously: poll until the pixel
    // settles, raising the window again should another test's window have
    // come over it meanwhile.
    COLORREF seen = CLR_INVALID;
    for (int attempt = 0; attempt < 100 && seen != kFill; ++attempt) {
        if (attempt % 20 == 19) SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        PumpFor(30);
        HDC screen = GetDC(nullptr);
        seen = GetPixel(screen, left + 80, top + 60);
        ReleaseDC(nullptr, screen);
    }
    EXPECT_EQ(seen, kFill) << std::hex << "read back 0x" << seen;

    // And through the window's own DC.
    HDC dc = GetDC(hwnd);
    EXPECT_EQ(GetPixel(dc, 5, 5), kFill);
    ReleaseDC(hwnd, dc);

    DestroyWindow(hwnd);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

}  // namespace
