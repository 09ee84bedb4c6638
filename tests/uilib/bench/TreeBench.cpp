// A tree of 10,000 nodes (one root, 100 children of 100 leaves each) in a
// shown window: build it, collapse and expand the root, check the root; each
// step includes the repaint it causes. "ours" is the library's tree view,
// "system" the system TreeView control (SysTreeView32) doing the same work:
// its check boxes do not propagate, so checking the root sets every node's
// check box. Median of the runs, each run on a fresh tree, and the first
// build of the process on its own. Run by tools/bench/tree.sh.
//   uilib_tree_bench ours|system [runs (default 5)] [children (default 100)] [leaves (default 100)]
#include "BenchFigures.h"
#include "controls/UITreeView.h"
#include "core/manager/UIManager.h"

#include <commctrl.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace UiLib;

namespace {

typedef std::chrono::steady_clock Clock;

struct StepTimes {
    std::vector<double> build, collapse, expand, check, checkAll;
};

// The system tree only: also set every node's check box one by one, as a
// program must to propagate a check there (slow under Wine: minutes).
bool g_checkAll = false;

double TimeMs(const std::function<void()>& step) {
    const auto start = Clock::now();
    step();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Repaint(HWND hwnd) {
    ::UpdateWindow(hwnd);
    ::GdiFlush();
}

// ---- the library's tree view ----

CPaintManagerUI* g_manager = nullptr;

LRESULT CALLBACK OurProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (g_manager && g_manager->MessageHandler(msg, wp, lp, result)) return result;
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

CTreeNodeUI* NewNode(const std::wstring& text) {
    CTreeNodeUI* node = new CTreeNodeUI;
    node->SetItemText(text.c_str());
    node->GetFolderButton()->SetSelected(true);  // expanded, so expanding the root shows every row
    return node;
}

void RunOurs(StepTimes& times, int children, int leaves) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OurProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UiTreeBench";
    ::RegisterClassW(&wc);
    CPaintManagerUI manager;
    g_manager = &manager;
    HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"tree bench", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    manager.Init(hwnd);
    CTreeViewUI* view = new CTreeViewUI;
    view->SetVisibleCheckBtn(true);
    manager.AttachRoot(view);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    Repaint(hwnd);

    CTreeNodeUI* root = nullptr;
    times.build.push_back(TimeMs([&] {
        root = NewNode(L"root");
        view->AddNode(root);
        for (int c = 0; c < children; ++c) {
            CTreeNodeUI* child = NewNode(L"child " + std::to_wstring(c));
            root->Add(child);
            for (int l = 0; l < leaves; ++l) child->Add(NewNode(L"leaf " + std::to_wstring(l)));
        }
        Repaint(hwnd);
    }));
    times.collapse.push_back(TimeMs([&] {
        root->GetFolderButton()->SetSelected(false);
        Repaint(hwnd);
    }));
    times.expand.push_back(TimeMs([&] {
        root->GetFolderButton()->SetSelected(true);
        Repaint(hwnd);
    }));
    times.check.push_back(TimeMs([&] {
        root->GetCheckBox()->SetSelected(true);
        Repaint(hwnd);
    }));
    if (view->GetCount() != 1 + children * (1 + leaves) || !root->GetChildNode(children - 1)->IsChecked())
        std::fprintf(stderr, "the tree is not what it should be\n");
    ::DestroyWindow(hwnd);
    g_manager = nullptr;
}

// ---- the system TreeView ----

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::wstring& text) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void SetChecked(HWND tree, HTREEITEM item) {
    TVITEMW state = {};
    state.mask = TVIF_HANDLE | TVIF_STATE;
    state.hItem = item;
    state.stateMask = TVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(2);
    ::SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&state));
}

void RunSystem(StepTimes& times, int children, int leaves) {
    HWND frame = ::CreateWindowExW(0, L"STATIC", L"tree bench", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    HWND tree = ::CreateWindowExW(0, WC_TREEVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                      TVS_CHECKBOXES,
                                  0, 0, 800, 600, frame, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(frame, SW_SHOWNOACTIVATE);
    Repaint(tree);

    HTREEITEM root = nullptr;
    std::vector<HTREEITEM> items;
    times.build.push_back(TimeMs([&] {
        root = Insert(tree, TVI_ROOT, L"root");
        items.push_back(root);
        for (int c = 0; c < children; ++c) {
            HTREEITEM child = Insert(tree, root, L"child " + std::to_wstring(c));
            items.push_back(child);
            for (int l = 0; l < leaves; ++l) items.push_back(Insert(tree, child, L"leaf " + std::to_wstring(l)));
            ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(child));
        }
        ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        Repaint(tree);
    }));
    times.collapse.push_back(TimeMs([&] {
        ::SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(root));
        Repaint(tree);
    }));
    times.expand.push_back(TimeMs([&] {
        ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        Repaint(tree);
    }));
    times.check.push_back(TimeMs([&] {
        SetChecked(tree, root);
        Repaint(tree);
    }));
    if (g_checkAll) {
        times.checkAll.push_back(TimeMs([&] {
            ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
            for (HTREEITEM item : items) SetChecked(tree, item);
            ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
            ::InvalidateRect(tree, nullptr, FALSE);
            Repaint(tree);
        }));
    }
    if (::SendMessageW(tree, TVM_GETCOUNT, 0, 0) != 1 + children * (1 + leaves))
        std::fprintf(stderr, "the system tree is not what it should be\n");
    ::DestroyWindow(frame);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: uilib_tree_bench ours|system [runs] [children] [leaves]\n");
        return 2;
    }
    const std::string which = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int children = argc > 3 ? std::max(1, std::atoi(argv[3])) : 100;
    const int leaves = argc > 4 ? std::max(1, std::atoi(argv[4])) : 100;
    g_checkAll = argc > 5 && std::string(argv[5]) == "checkall";
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));

    StepTimes times;
    for (int i = 0; i < runs; ++i) {
        if (which == "ours")
            RunOurs(times, children, leaves);
        else if (which == "system")
            RunSystem(times, children, leaves);
        else
            return 2;
    }
    // The first build pays for what a fresh process loads once (code pages,
    // fonts, the control classes); the median shows the warm cost.
    const double firstBuild = times.build.front();
    std::printf("tree=%-6s nodes=%d runs=%d first_build_ms=%.1f build_ms=%.1f collapse_root_ms=%.1f "
                "expand_root_ms=%.1f check_root_ms=%.1f%s peak_working_set_mib=%.1f\n",
                which.c_str(), 1 + children * (1 + leaves), runs, firstBuild, benchfigures::Median(times.build),
                benchfigures::Median(times.collapse), benchfigures::Median(times.expand),
                benchfigures::Median(times.check),
                times.checkAll.empty()
                    ? ""
                    : (" check_every_node_ms=" + std::to_string(benchfigures::Median(times.checkAll))).c_str(),
                benchfigures::PeakWorkingSetMiB());
    return 0;
}
