// Layout and paint of 10,000 labels: a vertical layout (with its scroll
// bar), a tile grid, and, for comparison, the core container holding the same
// count of plain controls. Each run lays the tree out again at a new width
// (SetPos) and paints the whole window; the figure is the median of the runs,
// with the process's peak working set. Run by tools/bench/layouts.sh.
//   uilib_layout_bench vertical|tile|container [runs (default 15)] [count (default 10000)]
#include "BenchFigures.h"
#include "controls/UILabel.h"
#include "controls/UITileLayout.h"
#include "controls/UIVerticalLayout.h"
#include "core/manager/UIManager.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace UiLib;

namespace {

typedef std::chrono::steady_clock Clock;

CPaintManagerUI* g_manager = nullptr;

LRESULT CALLBACK BenchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (g_manager && g_manager->MessageHandler(msg, wp, lp, result)) return result;
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// Children with a text and a colour each: labels in the layouts, plain
// controls in the core container they are compared with.
void Fill(CContainerUI* parent, int count, bool fixedHeight, bool labels) {
    static const DWORD kColours[] = {0xFFE8EEF5, 0xFFDDE7D0, 0xFFF6E3C8, 0xFFD9D2EA};
    for (int i = 0; i < count; ++i) {
        CControlUI* child = labels ? new CLabelUI : new CControlUI;
        child->SetText((L"label " + std::to_wstring(i)).c_str());
        child->SetBkColor(kColours[i % 4]);
        if (fixedHeight) child->SetFixedHeight(20);
        parent->Add(child);
    }
}

CControlUI* MakeTree(const std::string& scenario, int count) {
    if (scenario == "vertical") {
        CVerticalLayoutUI* column = new CVerticalLayoutUI;
        column->EnableScrollBar(true, false);
        Fill(column, count, true, true);
        return column;
    }
    if (scenario == "tile") {
        CTileLayoutUI* grid = new CTileLayoutUI;
        grid->EnableScrollBar(true, false);
        grid->SetItemSize(SIZE{40, 30});
        Fill(grid, count, true, true);
        return grid;
    }
    if (scenario == "container") {
        CContainerUI* box = new CContainerUI;
        Fill(box, count, false, false);
        return box;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: uilib_layout_bench vertical|tile|container [runs] [count]\n");
        return 2;
    }
    const std::string scenario = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    const int count = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10000;

    WNDCLASSW wc = {};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UiLayoutBench";
    ::RegisterClassW(&wc);
    CPaintManagerUI manager;
    g_manager = &manager;
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"layout bench", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    manager.Init(hwnd);
    CControlUI* root = MakeTree(scenario, count);
    if (!hwnd || !root || !manager.AttachRoot(root)) {
        std::fprintf(stderr, "unknown scenario or no window\n");
        return 1;
    }
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd);

    std::vector<double> times, layoutTimes;
    for (int i = 0; i < runs; ++i) {
        const int width = 700 + (i % 2) * 100;  // a new width each run, so the layout really changes
        auto start = Clock::now();
        root->SetPos(RECT{0, 0, width, 600});
        layoutTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        ::InvalidateRect(hwnd, nullptr, FALSE);
        ::UpdateWindow(hwnd);
        ::GdiFlush();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    const double median = benchfigures::Median(times), layoutMedian = benchfigures::Median(layoutTimes);
    std::printf("scenario=%s children=%d runs=%d median_ms=%.2f (setpos %.2f) min_ms=%.2f max_ms=%.2f "
                "peak_working_set_mib=%.1f\n",
                scenario.c_str(), count, runs, median, layoutMedian, times.front(), times.back(),
                benchfigures::PeakWorkingSetMiB());
    ::DestroyWindow(hwnd);
    return 0;
}
