// Menus in real windows: a click reported to the main window with a name
// the receiver frees, check items, sub-menus opening beside their parent
// (also at the screen's right edge), Escape closing one level, and the
// observer closing all menus or those below a window.
#include "UiHarness.h"
#include "controls/UIMenu.h"
#include "controls/UIMenuElement.h"
#include "controls/UIMenuObserver.h"
#include "controls/UIMenuWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

const wchar_t kMenuXml[] =
    L"<Window><Menu bkcolor=\"#FFFFFFFF\" itemtextpadding=\"30,0,0,0\" itemhotbkcolor=\"#FF3060C0\">"
    L"<MenuElement name=\"Menu_Plain\" text=\"Plain\" width=\"150\" height=\"30\"/>"
    L"<MenuElement name=\"Menu_Check\" text=\"Check\" checkitem=\"true\" ischeck=\"true\" width=\"150\" height=\"30\"/>"
    L"<MenuElement name=\"Menu_Line\" linetype=\"true\" height=\"20\" linecolor=\"#FFFF0000\" linepadding=\"10,0,10,0\"/>"
    L"<MenuElement name=\"Menu_More\" text=\"More\" expland=\"true\" width=\"150\" height=\"30\">"
    L"<MenuElement name=\"Sub_A\" text=\"A\" width=\"120\" height=\"30\"/>"
    L"<MenuElement name=\"Sub_B\" text=\"B\" width=\"120\" height=\"30\">"
    L"<MenuElement name=\"Deep_A\" text=\"Deep\" width=\"120\" height=\"30\"/>"
    L"</MenuElement>"
    L"</MenuElement>"
    L"<MenuElement name=\"Menu_Exit\" text=\"Exit\" width=\"150\" height=\"30\"/>"
    L"</Menu></Window>";

// Item tops inside the top menu window: three 30-pixel items around a 20-pixel line.
const int kPlainY = 15, kCheckY = 45, kMoreY = 95, kExitY = 125;

// Click messages the main window received; the names are freed here, as a
// receiver must.
struct ClickLog {
    std::vector<std::wstring> names;
    std::vector<LPARAM> checked;
};
ClickLog* g_log = nullptr;
WNDPROC g_harnessProc = nullptr;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MENUCLICK) {
        CUiString* name = reinterpret_cast<CUiString*>(wp);
        if (g_log) {
            g_log->names.push_back(name->GetData());
            g_log->checked.push_back(lp);
        }
        delete name;
        return 0;
    }
    return ::CallWindowProcW(g_harnessProc, hwnd, msg, wp, lp);
}

int OpenMenus() { return ObserverImpl::Instance().GetReceiverCount(); }

CMenuWnd* MenuAt(int index) {
    ObserverImpl& observer = ObserverImpl::Instance();
    return index < observer.GetReceiverCount() ? dynamic_cast<CMenuWnd*>(observer.GetReceiverAt(index)) : nullptr;
}

RECT WindowRect(CMenuWnd* menu) {
    RECT rc = {};
    ::GetWindowRect(menu->GetHWND(), &rc);
    return rc;
}

RECT WorkArea() {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

void MouseTo(HWND hwnd, int x, int y) { ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

void ClickAt(HWND hwnd, int x, int y) {
    MouseTo(hwnd, x, y);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log = &log;
        ASSERT_TRUE(main.Show(new CControlUI));
        g_harnessProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(main.Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindowProc)));
    }
    void TearDown() override {
        ObserverImpl::Instance().Broadcast(kMenuCloseAll, nullptr);
        PumpUntil([] { return OpenMenus() == 0; });
        ::SetWindowLongPtrW(main.Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_harnessProc));
        g_log = nullptr;
    }

    // Opens the test menu at a screen point and waits for its first paint.
    CMenuWnd* Open(POINT at, DWORD alignment = 0) {
        CMenuWnd* menu = new CMenuWnd;
        menu->Init(nullptr, &states, &main.Manager(), kMenuXml, alignment, at);
        PumpUntil([menu] { return !menu->GetManager().IsUpdateNeeded(); }, 1000);
        return OpenMenus() > 0 ? MenuAt(OpenMenus() - 1) : nullptr;
    }

    // Hovers the sub-menu item of `menu` at y and waits for the new level.
    CMenuWnd* OpenSubMenuAt(CMenuWnd* menu, int y) {
        const int before = OpenMenus();
        MouseTo(menu->GetHWND(), 40, y);
        if (!PumpUntil([before] { return OpenMenus() == before + 1; })) return nullptr;
        CMenuWnd* sub = MenuAt(before);
        PumpUntil([sub] { return !sub->GetManager().IsUpdateNeeded(); }, 1000);
        return sub;
    }

    HarnessWindow main{300, 200};
    MenuCheckStates states;
    ClickLog log;
};

TEST_F(MenuTest, ClickOnAPlainItemPostsItsNameOnceAndClosesEveryMenu) {
    CMenuWnd* menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(::IsWindowVisible(menu->GetHWND()));
    ClickAt(menu->GetHWND(), 40, kPlainY);
    ASSERT_TRUE(PumpUntil([this] { return !log.names.empty() && OpenMenus() == 0; }));
    PumpFor(100);
    ASSERT_EQ(log.names.size(), 1u);
    EXPECT_EQ(log.names[0], L"Menu_Plain");
    EXPECT_EQ(log.checked[0], 0);
}

TEST_F(MenuTest, CheckItemFlipsItsStateInTheApplicationsMap) {
    states[L"Menu_Check"] = false;  // "ischeck" must not override what the map holds
    CMenuWnd* menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    CMenuElementUI* check = static_cast<CMenuElementUI*>(menu->GetManager().FindControl(L"Menu_Check"));
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->GetChecked());
    ClickAt(menu->GetHWND(), 40, kCheckY);
    ASSERT_TRUE(PumpUntil([this] { return log.names.size() == 1 && OpenMenus() == 0; }));
    EXPECT_EQ(log.names[0], L"Menu_Check");
    EXPECT_EQ(log.checked[0], 1);
    EXPECT_TRUE(states[L"Menu_Check"]);

    menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    ClickAt(menu->GetHWND(), 40, kCheckY);
    ASSERT_TRUE(PumpUntil([this] { return log.names.size() == 2 && OpenMenus() == 0; }));
    EXPECT_EQ(log.checked[1], 0);
    EXPECT_FALSE(states[L"Menu_Check"]);
}

TEST_F(MenuTest, IsCheckFillsAnEmptyMapAndTheSeparatorKeepsItsHeightAndColour) {
    CMenuWnd* menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(states[L"Menu_Check"]);
    CControlUI* line = menu->GetManager().FindControl(L"Menu_Line");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetFixedHeight(), 20);
    EXPECT_FALSE(line->IsEnabled());
    Snapshot shot = CaptureWindow(menu->GetHWND());
    // The line runs at the middle of the separator, inside its padding.
    EXPECT_EQ(shot.At(75, 60 + 10), 0xFF0000u);
    EXPECT_EQ(shot.At(5, 60 + 10), 0xFFFFFFu);
    EXPECT_EQ(shot.At(75, 60 + 3), 0xFFFFFFu);
}

TEST_F(MenuTest, SubMenuOpensBesideItsItemAndMovingToASiblingClosesIt) {
    CMenuWnd* menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    CMenuWnd* sub = OpenSubMenuAt(menu, kMoreY);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->GetOwnerElement(), menu->GetManager().FindControl(L"Menu_More"));
    const RECT parent = WindowRect(menu);
    const RECT placed = WindowRect(sub);
    EXPECT_EQ(placed.left, parent.right);
    EXPECT_EQ(placed.top, parent.top + 80);
    EXPECT_EQ(placed.bottom - placed.top, 60);
    // The borrowed items belong to the sub-menu window while it is open.
    CControlUI* subA = sub->GetManager().FindControl(L"Sub_A");
    ASSERT_NE(subA, nullptr);
    EXPECT_EQ(subA->GetManager(), &sub->GetManager());

    MouseTo(menu->GetHWND(), 40, kExitY);
    ASSERT_TRUE(PumpUntil([] { return OpenMenus() == 1; }));
    EXPECT_EQ(MenuAt(0), menu);
    // The items went back to their owner and hide again.
    EXPECT_EQ(subA->GetManager(), &menu->GetManager());
    EXPECT_FALSE(subA->IsVisible());
}

TEST_F(MenuTest, EscapeClosesOnlyTheMenuThatHasIt) {
    CMenuWnd* menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    CMenuWnd* sub = OpenSubMenuAt(menu, kMoreY);
    ASSERT_NE(sub, nullptr);
    CMenuWnd* deep = OpenSubMenuAt(sub, 45);
    ASSERT_NE(deep, nullptr);
    ASSERT_EQ(OpenMenus(), 3);

    ::PostMessageW(deep->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(PumpUntil([] { return OpenMenus() == 2; }));
    EXPECT_EQ(MenuAt(1), sub);
    ::PostMessageW(sub->GetHWND(), WM_KEYDOWN, VK_LEFT, 1);
    ASSERT_TRUE(PumpUntil([] { return OpenMenus() == 1; }));
    EXPECT_EQ(MenuAt(0), menu);
    EXPECT_TRUE(::IsWindowVisible(menu->GetHWND()));
    // The item can open its sub-menu again once the mouse comes back to it.
    MouseTo(menu->GetHWND(), 40, kPlainY);
    EXPECT_NE(OpenSubMenuAt(menu, kMoreY), nullptr);
}

TEST_F(MenuTest, SubMenusAtTheRightEdgeOpenToTheLeftLevelAfterLevel) {
    const RECT work = WorkArea();
    CMenuWnd* menu = Open(POINT{work.right - 160, 100});
    ASSERT_NE(menu, nullptr);
    const RECT parent = WindowRect(menu);
    EXPECT_EQ(parent.left, work.right - 160);
    CMenuWnd* sub = OpenSubMenuAt(menu, kMoreY);
    ASSERT_NE(sub, nullptr);
    const RECT second = WindowRect(sub);
    EXPECT_EQ(second.right, parent.left);
    CMenuWnd* deep = OpenSubMenuAt(sub, 45);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(WindowRect(deep).right, second.left);
}

TEST_F(MenuTest, TrayMenuAtTheBottomRightCornerKeepsItsLastItemOnScreen) {
    const RECT work = WorkArea();
    CMenuWnd* menu = Open(POINT{work.right - 1, work.bottom - 1});
    ASSERT_NE(menu, nullptr);
    const RECT rc = WindowRect(menu);
    EXPECT_LE(rc.bottom, work.bottom);
    EXPECT_LE(rc.right, work.right);
    EXPECT_EQ(rc.bottom - rc.top, 140);
    CControlUI* exit = menu->GetManager().FindControl(L"Menu_Exit");
    ASSERT_NE(exit, nullptr);
    POINT bottom = {exit->GetPos().left, exit->GetPos().bottom};
    ::ClientToScreen(menu->GetHWND(), &bottom);
    EXPECT_LE(bottom.y, work.bottom);
}

TEST_F(MenuTest, ObserverClosesMenusBelowAWindowOrAll) {
    CMenuWnd* menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(OpenSubMenuAt(menu, kMoreY), nullptr);
    ASSERT_EQ(OpenMenus(), 2);
    EXPECT_EQ(ObserverImpl::Instance().GetMainManager(), &main.Manager());

    ObserverImpl::Instance().Broadcast(kMenuCloseBelow, menu->GetHWND());
    ASSERT_TRUE(PumpUntil([] { return OpenMenus() == 1; }));
    EXPECT_EQ(MenuAt(0), menu);

    ObserverImpl::Instance().Broadcast(kMenuCloseAll, nullptr);
    ASSERT_TRUE(PumpUntil([] { return OpenMenus() == 0; }));
    EXPECT_TRUE(log.names.empty());
}

TEST_F(MenuTest, FocusMovingToTheApplicationClosesEveryMenu) {
    CMenuWnd* menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(OpenSubMenuAt(menu, kMoreY), nullptr);
    ::SendMessageW(menu->GetHWND(), WM_KILLFOCUS, reinterpret_cast<WPARAM>(main.Hwnd()), 0);
    EXPECT_TRUE(PumpUntil([] { return OpenMenus() == 0; }));
}

TEST_F(MenuTest, ClickWithTheMainWindowGoneFreesTheNameItself) {
    CMenuWnd* menu = Open(POINT{100, 100});
    ASSERT_NE(menu, nullptr);
    // A main manager whose window is gone: the post fails and the menu frees the name.
    CPaintManagerUI orphan;
    ObserverImpl::Instance().SetMainManager(&orphan);
    ClickAt(menu->GetHWND(), 40, kPlainY);
    EXPECT_TRUE(PumpUntil([] { return OpenMenus() == 0; }));
    ObserverImpl::Instance().SetMainManager(&main.Manager());
    EXPECT_TRUE(log.names.empty());
}

}  // namespace
