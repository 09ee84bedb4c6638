// The list against the system ListView in the same process setup: build the
// rows, first layout and paint, 200 wheel steps each repainted, Ctrl+A, and
// removing every row; with the process's peak working set. Scenarios:
//   text         10,000 three-column text rows in a CListUI
//   container    2,000 container rows shaped like a download item
//   listview     10,000 rows in a SysListView32 in report mode (LVM_INSERTITEM)
//   listview2k   2,000 rows in the same ListView, with the download item's texts
// Run by tools/bench/list.sh, one process per scenario.
//   uilib_list_bench text|container|listview|listview2k
#include "BenchFigures.h"
#include "controls/UIButton.h"
#include "controls/UILabel.h"
#include "controls/UIList.h"
#include "controls/UIListContainerElement.h"
#include "controls/UIListElement.h"
#include "controls/UIListHeader.h"
#include "controls/UIProgress.h"
#include "controls/UIVerticalLayout.h"
#include "core/manager/UIManager.h"

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

using namespace UiLib;

namespace {

typedef std::chrono::steady_clock Clock;

const int kWidth = 800, kHeight = 600;
const int kWheelSteps = 200;

CPaintManagerUI* g_manager = nullptr;

LRESULT CALLBACK BenchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (g_manager && g_manager->MessageHandler(msg, wp, lp, result)) return result;
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// Runs what is queued, such as the deletion of removed rows.
void DrainMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Times one phase. Whatever an earlier phase left queued runs first, on both
// sides alike, so no phase is charged with another's work.
double TimeMs(const std::function<void()>& work) {
    DrainMessages();
    auto start = Clock::now();
    work();
    ::GdiFlush();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Repaint(HWND hwnd) {
    ::UpdateWindow(hwnd);
    ::GdiFlush();
}

std::wstring Name(int i) { return L"package-" + std::to_wstring(i) + L".zip"; }
std::wstring Size(int i) { return std::to_wstring(1 + i % 900) + L".5 MB"; }
std::wstring Speed(int i) { return std::to_wstring(20 + i % 700) + L" KB/s"; }

struct Figures {
    double build = 0, firstPaint = 0, wheel = 0, selectAll = 0, removeAll = 0;
    int rows = 0;
};

void Print(const char* scenario, const Figures& f) {
    std::printf("scenario=%s rows=%d build_ms=%.1f first_paint_ms=%.1f wheel200_ms=%.1f ctrl_a_ms=%.1f "
                "remove_all_ms=%.1f peak_working_set_mib=%.1f\n",
                scenario, f.rows, f.build, f.firstPaint, f.wheel, f.selectAll, f.removeAll,
                benchfigures::PeakWorkingSetMiB());
}

HWND MakeWindow(const wchar_t* className, WNDPROC proc) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, className, L"list bench", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                             wc.hInstance, nullptr);
}

CListUI* MakeList(int columns, const int* widths) {
    CListUI* list = new CListUI;
    list->ApplyAttributeList(L"vscrollbar=\"true\" itemtextpadding=\"4,0,4,0\" itemlinecolor=\"#FFE0E0E0\" "
                             L"bkcolor=\"#FFFFFFFF\"");
    const wchar_t* titles[] = {L"Name", L"Size", L"Speed"};
    for (int c = 0; c < columns; ++c) {
        CListHeaderItemUI* item = new CListHeaderItemUI;
        item->SetText(titles[c]);
        item->SetFixedWidth(widths[c]);
        item->SetFixedHeight(24);
        list->Add(item);
    }
    return list;
}

// A download item: icon, name over a progress bar, speed, and two buttons.
CListContainerElementUI* DownloadRow(int i) {
    CListContainerElementUI* row = new CListContainerElementUI;
    row->SetFixedHeight(56);
    CControlUI* icon = new CControlUI;
    icon->ApplyAttributeList(L"width=\"40\" padding=\"8,8,8,8\" bkcolor=\"#FF4A90D9\"");
    row->Add(icon);
    CVerticalLayoutUI* middle = new CVerticalLayoutUI;
    middle->SetAttribute(L"padding", L"0,8,0,8");
    CLabelUI* name = new CLabelUI;
    name->SetText(Name(i).c_str());
    name->SetFixedHeight(20);
    middle->Add(name);
    CProgressUI* progress = new CProgressUI;
    progress->ApplyAttributeList(L"height=\"10\" bkcolor=\"#FFE0E0E0\" forecolor=\"#FF2E7D32\"");
    progress->SetMaxValue(100);
    progress->SetValue(i % 101);
    middle->Add(progress);
    row->Add(middle);
    CLabelUI* speed = new CLabelUI;
    speed->SetText(Speed(i).c_str());
    speed->SetFixedWidth(90);
    row->Add(speed);
    for (const wchar_t* caption : {L"Pause", L"Delete"}) {
        CButtonUI* button = new CButtonUI;
        button->SetText(caption);
        button->ApplyAttributeList(L"width=\"60\" padding=\"4,14,4,14\" bkcolor=\"#FFF0F0F0\"");
        row->Add(button);
    }
    return row;
}

int RunList(bool containers) {
    const int rows = containers ? 2000 : 10000;
    HWND hwnd = MakeWindow(L"UiListBench", BenchProc);
    CPaintManagerUI manager;
    g_manager = &manager;
    manager.Init(hwnd);
    Figures f;
    f.rows = rows;
    CListUI* list = nullptr;
    f.build = TimeMs([&] {
        if (containers) {
            list = new CListUI;
            list->ApplyAttributeList(L"vscrollbar=\"true\" header=\"hidden\" bkcolor=\"#FFFFFFFF\"");
            for (int i = 0; i < rows; ++i) list->Add(DownloadRow(i));
        } else {
            const int widths[] = {380, 180, 180};
            list = MakeList(3, widths);
            for (int i = 0; i < rows; ++i) {
                CListTextElementUI* row = new CListTextElementUI;
                row->SetFixedHeight(22);
                list->Add(row);
                row->SetText(0, Name(i).c_str());
                row->SetText(1, Size(i).c_str());
                row->SetText(2, Speed(i).c_str());
            }
        }
        manager.AttachRoot(list);
    });
    f.firstPaint = TimeMs([&] {
        ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        Repaint(hwnd);
    });
    POINT centre = {kWidth / 2, kHeight / 2};
    ::ClientToScreen(hwnd, &centre);
    f.wheel = TimeMs([&] {
        for (int i = 0; i < kWheelSteps; ++i) {
            ::SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                           MAKELPARAM(centre.x, centre.y));
            Repaint(hwnd);
        }
    });
    manager.SetFocus(list);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    f.selectAll = TimeMs([&] {
        ::SendMessageW(hwnd, WM_KEYDOWN, 'A', 1);
        Repaint(hwnd);
    });
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    if (list->GetSelectItemCount() != rows) std::fprintf(stderr, "Ctrl+A selected %d rows\n", list->GetSelectItemCount());
    f.removeAll = TimeMs([&] {
        list->RemoveAll();
        Repaint(hwnd);
        DrainMessages();
    });
    Print(containers ? "container" : "text", f);
    ::DestroyWindow(hwnd);
    return 0;
}

int RunListView(bool downloadRows) {
    const int rows = downloadRows ? 2000 : 10000;
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&init);
    HWND frame = MakeWindow(L"UiListViewBench", ::DefWindowProcW);
    HWND view = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0,
                                  kWidth, kHeight, frame, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const wchar_t* titles[] = {L"Name", L"Size", L"Speed"};
    const int widths[] = {380, 180, 180};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(titles[c]);
        column.cx = widths[c];
        ::SendMessageW(view, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    Figures f;
    f.rows = rows;
    f.build = TimeMs([&] {
        for (int i = 0; i < rows; ++i) {
            const std::wstring texts[] = {Name(i), downloadRows ? Speed(i) : Size(i), Speed(i)};
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<wchar_t*>(texts[0].c_str());
            const int index = static_cast<int>(::SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            for (int c = 1; c < 3; ++c) {
                LVITEMW sub = {};
                sub.iSubItem = c;
                sub.pszText = const_cast<wchar_t*>(texts[c].c_str());
                ::SendMessageW(view, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
            }
        }
    });
    f.firstPaint = TimeMs([&] {
        ::ShowWindow(frame, SW_SHOWNOACTIVATE);
        Repaint(frame);
        Repaint(view);
    });
    POINT centre = {kWidth / 2, kHeight / 2};
    ::ClientToScreen(view, &centre);
    f.wheel = TimeMs([&] {
        for (int i = 0; i < kWheelSteps; ++i) {
            ::SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                           MAKELPARAM(centre.x, centre.y));
            Repaint(view);
        }
    });
    f.selectAll = TimeMs([&] {
        // What the ListView does for Ctrl+A: every item selected.
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        ::SendMessageW(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        Repaint(view);
    });
    f.removeAll = TimeMs([&] {
        ::SendMessageW(view, LVM_DELETEALLITEMS, 0, 0);
        Repaint(view);
        DrainMessages();
    });
    Print(downloadRows ? "listview2k" : "listview", f);
    ::DestroyWindow(frame);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* scenario = argc > 1 ? argv[1] : "";
    if (std::strcmp(scenario, "text") == 0) return RunList(false);
    if (std::strcmp(scenario, "container") == 0) return RunList(true);
    if (std::strcmp(scenario, "listview") == 0) return RunListView(false);
    if (std::strcmp(scenario, "listview2k") == 0) return RunListView(true);
    std::fprintf(stderr, "usage: uilib_list_bench text|container|listview|listview2k\n");
    return 2;
}
