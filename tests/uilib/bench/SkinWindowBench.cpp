// Time from building a skinned window of about 500 controls to the end of its
// first paint, in a fresh window each run, and the process's peak working set.
// Run by tools/bench/skin-window.sh under an X display.
//   SkinWindowBench [runs (default 15)] [--sections]
// With --sections it also prints where each run's time went (build, layout
// and paint), to find the hot spot when the total is slow.
#include "core/window/WindowImplBase.h"

#include "BenchFigures.h"
#include "PngWriter.h"
#include "TestPaths.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace UiLib;

namespace {

typedef std::chrono::steady_clock Clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A few pictures the skin draws as control backgrounds: a gradient, a framed
// tile meant for nine-grid stretching and a half transparent strip.
bool WriteSkinImages(const testsupport::ScratchDir& dir) {
    std::vector<uint32_t> gradient(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) gradient[y * 64 + x] = 0xFF000000u | (x * 4) << 16 | (y * 4) << 8 | 0x80;
    std::vector<uint32_t> frame(48 * 48, 0xFFF4F6F9u);
    for (int i = 0; i < 48; ++i)
        for (int edge = 0; edge < 4; ++edge) frame[edge * 48 + i] = frame[(47 - edge) * 48 + i] =
                                                 frame[i * 48 + edge] = frame[i * 48 + 47 - edge] = 0xFF5078A0u;
    std::vector<uint32_t> strip(200 * 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 200; ++x) strip[y * 200 + x] = static_cast<uint32_t>(0x40 + y * 6) << 24 | 0x00208040u;
    return testsupport::WritePng(dir.File(L"gradient.png"), 64, 64, gradient) &&
           testsupport::WritePng(dir.File(L"frame.png"), 48, 48, frame) &&
           testsupport::WritePng(dir.File(L"strip.png"), 200, 24, strip);
}

const char* const kColours[] = {"#FFE8EEF5", "#FFDDE7D0", "#FFF6E3C8", "#FFD9D2EA", "#FFCFE4EA", "#FFF2D4D4"};

// One leaf control; the kinds cycle so every drawing path is taken many times.
std::string Leaf(int panel, int row, int col, int x, int y) {
    std::string pos = std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(x + 100) + "," +
                      std::to_string(y + 40);
    std::string name = "c" + std::to_string(panel) + "_" + std::to_string(row) + "_" + std::to_string(col);
    std::string xml = "<Control name=\"" + name + "\" float=\"true\" pos=\"" + pos + "\" ";
    switch ((panel + row + col) % 5) {
    case 0: xml += "bkcolor=\"" + std::string(kColours[col % 6]) + "\""; break;
    case 1: xml += "style=\"cell\""; break;
    case 2: xml += "bkimage=\"file='gradient.png'\" bordersize=\"1\" bordercolor=\"#FF304050\""; break;
    case 3: xml += "bkimage=\"file='frame.png' corner='4,4,4,4'\""; break;
    default:
        xml += "bkcolor=\"#FFFFFFFF\" bkimage=\"file='strip.png' source='0,0,100,24'\" text=\"item " + name + "\"";
        break;
    }
    return xml + " />\n";
}

// A skin of 8 panels, each of 6 rows of 9 controls, under a title bar and a
// status bar: 500 controls with fonts, defaults, a style and three images.
std::string SkinXml(int* controls) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<Window size=\"1000,780\" caption=\"0,0,0,32\" sizebox=\"4,4,4,4\">\n"
        "  <Font name=\"Tahoma\" size=\"12\" default=\"true\" />\n"
        "  <Font name=\"Tahoma\" size=\"14\" bold=\"true\" />\n"
        "  <Font name=\"Courier New\" size=\"11\" />\n"
        "  <Image name=\"gradient.png\" />\n"
        "  <Default name=\"Control\" value=\"bkcolor=&quot;#FFF0F0F0&quot;\" />\n"
        "  <Styles name=\"bench\" default=\"true\">\n"
        "    <Style stylename=\"cell\" bkcolor=\"#FFEFF3F8\" bordersize=\"1\" bordercolor=\"#FFB0BCCB\" />\n"
        "    <Style stylename=\"panel\" bkcolor=\"#FFFAFBFC\" bordersize=\"2\" bordercolor=\"#FF1F3B5A\" />\n"
        "  </Styles>\n"
        "  <Container name=\"root\" bkcolor=\"#FFFFFFFF\" bordersize=\"1\" bordercolor=\"#FF1F3B5A\">\n"
        "    <Control name=\"title\" float=\"true\" pos=\"0,0,1000,32\" bkcolor=\"#FF1F3B5A\" />\n";
    int count = 2;
    for (int panel = 0; panel < 8; ++panel) {
        int px = 8 + (panel % 2) * 496, py = 40 + (panel / 2) * 182;
        xml += "    <Container name=\"panel" + std::to_string(panel) + "\" style=\"panel\" float=\"true\" pos=\"" +
               std::to_string(px) + "," + std::to_string(py) + "," + std::to_string(px + 488) + "," +
               std::to_string(py + 176) + "\">\n";
        ++count;
        for (int row = 0; row < 6; ++row) {
            int ry = 4 + row * 28;
            xml += "      <Container name=\"row" + std::to_string(panel) + "_" + std::to_string(row) +
                   "\" float=\"true\" pos=\"4," + std::to_string(ry) + ",484," + std::to_string(ry + 26) +
                   "\" bkcolor=\"" + kColours[row % 6] + "\">\n";
            ++count;
            for (int col = 0; col < 9; ++col) {
                xml += "        " + Leaf(panel, row, col, 2 + col * 53, 1);
                ++count;
            }
            xml += "      </Container>\n";
        }
        xml += "    </Container>\n";
    }
    for (; count < 500; ++count) {
        int x = 8 + (count % 12) * 82;
        xml += "    <Control name=\"status" + std::to_string(count) + "\" float=\"true\" pos=\"" +
               std::to_string(x) + ",770," + std::to_string(x + 76) + ",778\" style=\"cell\" />\n";
    }
    xml += "  </Container>\n</Window>\n";
    *controls = count;
    return xml;
}

class BenchWindow : public WindowImplBase {
public:
    const wchar_t* GetWindowClassName() const override { return L"UiSkinBenchWindow"; }
    CUiString GetSkinDirectory() override { return L""; }
    CUiString GetSkinFileName() override { return L"skin.xml"; }
};

// Lets Wine deliver whatever the last window left behind.
void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

struct Run {
    double total = 0, build = 0, paint = 0;
    bool painted = false;
};

Run OneWindow(bool sections) {
    Run run;
    BenchWindow window;
    auto start = Clock::now();
    HWND hwnd = window.Create(nullptr, L"skin bench", WS_POPUP, 0, 0, 0, 0, 0);
    if (!hwnd) return run;
    run.build = MsSince(start);
    window.ShowWindow(true, false);
    ::InvalidateRect(hwnd, nullptr, FALSE);  // the whole client area, whatever the window manager did
    auto paintStart = Clock::now();
    ::UpdateWindow(hwnd);
    ::GdiFlush();
    run.paint = MsSince(paintStart);
    run.total = MsSince(start);

    // The first paint must have drawn the title bar, or the figure means nothing.
    HDC dc = ::GetDC(hwnd);
    run.painted = ::GetPixel(dc, 500, 16) == RGB(0x1F, 0x3B, 0x5A);
    ::ReleaseDC(hwnd, dc);
    if (sections) {
        // A second full paint has nothing left to load or lay out: the rest of
        // the first paint's time is drawing.
        auto again = Clock::now();
        ::InvalidateRect(hwnd, nullptr, FALSE);
        ::UpdateWindow(hwnd);
        ::GdiFlush();
        std::printf("  build+create=%.1f ms show=%.1f ms layout+paint=%.1f ms (repaint=%.1f ms)\n", run.build,
                    run.total - run.build - run.paint, run.paint, MsSince(again));
    }
    ::DestroyWindow(hwnd);
    Pump();
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 15;
    bool sections = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sections") == 0)
            sections = true;
        else
            runs = std::max(1, std::atoi(argv[i]));
    }

    testsupport::ScratchDir dir;
    int controls = 0;
    if (!WriteSkinImages(dir) || !testsupport::WriteFileBytes(dir.File(L"skin.xml"), SkinXml(&controls))) {
        std::fprintf(stderr, "cannot write the skin\n");
        return 1;
    }
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourceZip(nullptr, false);
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());

    std::vector<double> totals;
    for (int i = 0; i < runs; ++i) {
        Run run = OneWindow(sections);
        if (!run.painted) {
            std::fprintf(stderr, "run %d: the window was not built or not painted\n", i + 1);
            return 1;
        }
        totals.push_back(run.total);
    }
    double median = benchfigures::Median(totals);
    std::printf("controls=%d runs=%d median_ms=%.1f min_ms=%.1f max_ms=%.1f peak_working_set_mib=%.1f\n", controls,
                runs, median, totals.front(), totals.back(), benchfigures::PeakWorkingSetMiB());
    return 0;
}
