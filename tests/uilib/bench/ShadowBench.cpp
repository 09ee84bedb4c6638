// Shadow regeneration while an 800x600 frame is resized live: the frame is
// resized by a few pixels a step, alternately shrinking (the shadow is drawn
// again at once) and growing (drawn at the frame's next paint), and each step
// is timed until its paint is done. The pixel generation alone is timed too.
//   uilib_shadow_bench.exe [frames (default 200)] [noshadow: the same resize without a shadow]
#include "BenchFigures.h"
#include "core/effects/ShadowBitmap.h"
#include "core/manager/UIContainer.h"
#include "core/manager/UIManager.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace UiLib;

namespace {

CPaintManagerUI* g_manager = nullptr;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (g_manager && g_manager->MessageHandler(msg, wp, lp, result)) return result;
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void DrainMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 200;
    const bool withShadow = !(argc > 2 && std::strcmp(argv[2], "noshadow") == 0);
    LARGE_INTEGER frequency, a, b;
    ::QueryPerformanceFrequency(&frequency);

    ShadowSettings settings;
    settings.size = 10;
    settings.sharpness = 10;
    settings.darkness = 150;
    std::vector<ShadowRowSpan> rows = FrameRowsOfRectangle(800, 600);
    std::vector<double> generation;
    for (int i = 0; i < 30; ++i) {
        ::QueryPerformanceCounter(&a);
        std::vector<DWORD> pixels = BuildShadowPixels(800, 600, rows, settings);
        ::QueryPerformanceCounter(&b);
        generation.push_back(Milliseconds(a, b, frequency));
    }

    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ShadowBenchFrame";
    ::RegisterClassW(&wc);
    HWND frame = ::CreateWindowExW(0, wc.lpszClassName, L"frame", WS_POPUP, 100, 100, 800, 600, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    CPaintManagerUI manager;
    g_manager = &manager;
    manager.Init(frame);
    CShadowUI* shadow = manager.GetShadow();
    shadow->ShowShadow(withShadow);
    shadow->SetSize(settings.size);
    shadow->SetSharpness(settings.sharpness);
    shadow->SetDarkness(settings.darkness);
    CContainerUI* root = new CContainerUI;
    root->SetBkColor(0xFFF0F0F0);
    manager.AttachRoot(root);
    ::ShowWindow(frame, SW_SHOWNOACTIVATE);
    ::UpdateWindow(frame);
    DrainMessages();

    std::vector<double> steps;
    for (int i = 0; i < frames; ++i) {
        const int delta = (i % 2 == 0) ? -4 : 4;  // shrink, then grow back
        RECT rc;
        ::GetWindowRect(frame, &rc);
        ::QueryPerformanceCounter(&a);
        ::SetWindowPos(frame, nullptr, 0, 0, rc.right - rc.left + delta, rc.bottom - rc.top + delta,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::UpdateWindow(frame);
        DrainMessages();
        ::QueryPerformanceCounter(&b);
        steps.push_back(Milliseconds(a, b, frequency));
    }
    // The shadow drawn again with the frame standing still: pixels, DIB and layered-window update.
    std::vector<double> regeneration;
    for (int i = 0; i < 30; ++i) {
        ::QueryPerformanceCounter(&a);
        shadow->Update(frame);
        ::QueryPerformanceCounter(&b);
        regeneration.push_back(Milliseconds(a, b, frequency));
    }
    if (!withShadow) {
        std::printf("the same frame without a shadow:\n");
        std::printf("  live resize, per frame     %.2f ms (median of %d steps; resize and frame paint)\n",
                    benchfigures::Median(steps), frames);
        g_manager = nullptr;
        ::DestroyWindow(frame);
        return 0;
    }
    std::printf("shadow of an 800x600 frame (size 10, sharpness 10):\n");
    std::printf("  pixel generation           %.2f ms (median of %zu)\n", benchfigures::Median(generation),
                generation.size());
    std::printf("  regeneration (still frame) %.2f ms (median of %zu; pixels, bitmap, layered update)\n",
                benchfigures::Median(regeneration), regeneration.size());
    std::printf("  live resize, per frame     %.2f ms (median of %d steps; resize, shadow and frame paint)\n",
                benchfigures::Median(steps), frames);
    std::printf("  peak working set           %.1f MiB\n", benchfigures::PeakWorkingSetMiB());
    g_manager = nullptr;
    ::DestroyWindow(frame);
    return 0;
}
