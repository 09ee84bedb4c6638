// The frame's tray icon and menus in-process, through real windows: the icon
// the skin declares, the tray menu opened by a right-click on the icon (also
// while the frame is hidden), the main menu under the caption's menu button,
// the settings dialog opened from a menu, and the exit item, which closes the
// downloader and leaves through the message loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AdbTestPeers.h"
#include "TestPaths.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "controls/UIMenu.h"
#include "controls/UIMenuObserver.h"
#include "controls/UIMenuWnd.h"
#include "core/manager/UIManager.h"
#include "core/manager/UITrayIcon.h"
#include "frame/MainFrame.h"
#include "web/WkeEngine.h"

using namespace UiLib;

namespace {

// What the frame asked the shell for.
struct ShellCall {
    DWORD message;
    NOTIFYICONDATAW data;
};
std::vector<ShellCall> g_shellCalls;

BOOL WINAPI RecordShellCall(DWORD message, PNOTIFYICONDATAW data) {
    g_shellCalls.push_back({message, *data});
    return TRUE;
}

// The frame with its paint manager in reach of the test.
class TestFrame : public VOvoduReridOro {
public:
    CPaintManagerUI& Manager() { return m_PaintManager; }
};

int OpenMenus() { return ObserverImpl::Instance().GetReceiverCount(); }

CMenuWnd* TopMenu() {
    ObserverImpl& observer = ObserverImpl::Instance();
    return observer.GetReceiverCount() > 0 ? dynamic_cast<CMenuWnd*>(observer.GetReceiverAt(0)) : nullptr;
}

void ClickAt(HWND hwnd, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, where);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, where);
}

POINT CentreOf(CControlUI* control) {
    const RECT& rc = control->GetPos();
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// The names of the open top menu's items, in order, separators left out.
std::vector<std::wstring> ItemNames(CMenuWnd* menu) {
    std::vector<std::wstring> names;
    CMenuUI* root = menu->GetMenuRoot();
    for (int i = 0; root && i < root->GetCount(); ++i) {
        const std::wstring name = root->GetItemAt(i)->GetName().GetData();
        if (name != L"Menu_Line") names.push_back(name);
    }
    return names;
}

class FrameMenus : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourcePath((apptest::InstallationFolder() + L"skin").c_str());
        CPaintManagerUI::SetResourceZip(L"Torvanik.zip", false);
        ASSERT_TRUE(WkeEngine::Instance().Init());
        // A skin that cannot load fails the test instead of stopping it in a message box.
        WindowImplBase::SetSkinFailureHandler([](WindowImplBase*) {});
        g_shellCalls.clear();
        previousShell_ = CUiTrayIcon::SetShellNotifyIcon(&RecordShellCall);
        frame_ = new TestFrame;
        ASSERT_NE(nullptr, frame_->Create(nullptr, L"Kovi刷机", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 800, 600));
        hwnd_ = frame_->GetHWND();
        ASSERT_TRUE(uiharness::PumpUntil([this] { return !frame_->Manager().IsUpdateNeeded(); }));
    }
    void TearDown() override {
        ObserverImpl::Instance().Broadcast(kMenuCloseAll, nullptr);
        uiharness::PumpUntil([] { return OpenMenus() == 0; });
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);  // deletes the frame
        CUiTrayIcon::SetShellNotifyIcon(previousShell_);
        Pump();
    }

    // Runs the frame's messages for a while, or until the message loop is
    // asked to end; true once it was.
    bool Pump(DWORD milliseconds = 50) {
        const DWORD start = GetTickCount();
        do {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) quit_ = true;
                if (!CPaintManagerUI::TranslateMessage(&msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
            if (quit_) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        } while (GetTickCount() - start < milliseconds);
        return quit_;
    }

    void TrayMouse(UINT mouseMessage) { SendMessageW(hwnd_, CUiTrayIcon::kDefaultMessage, 109, mouseMessage); }

    // The top menu once it is open and laid out.
    CMenuWnd* WaitForMenu() {
        if (!uiharness::PumpUntil([] { return OpenMenus() == 1 && TopMenu() && TopMenu()->GetMenuRoot(); }, 15000))
            return nullptr;
        CMenuWnd* menu = TopMenu();
        uiharness::PumpUntil([menu] { return !menu->GetManager().IsUpdateNeeded(); });
        return menu;
    }

    // Clicks a menu item by name; the click reaches the frame as a posted message.
    void ClickItem(CMenuWnd* menu, const wchar_t* name) {
        CControlUI* item = menu->GetManager().FindControl(name);
        ASSERT_NE(nullptr, item) << name;
        ClickAt(menu->GetHWND(), CentreOf(item));
    }

    // The frame's main-menu button, clicked with the mouse.
    void ClickMenuButton() {
        CControlUI* button = frame_->Manager().FindControl(L"BtnSet");
        ASSERT_NE(nullptr, button);
        ClickAt(hwnd_, CentreOf(button));
    }

    // The frame's start-up probe asks for a phone: a running server answers
    // it, so no server of the probe's own outlives the test.
    AdbServerPeer adb_;
    ShellNotifyIconProc previousShell_ = nullptr;
    TestFrame* frame_ = nullptr;
    HWND hwnd_ = nullptr;
    bool quit_ = false;
};

}  // namespace

TEST_F(FrameMenus, TheSkinsTrayIconIsTheFramesWithItsTooltip) {
    ASSERT_FALSE(g_shellCalls.empty());
    const ShellCall& add = g_shellCalls.front();
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    EXPECT_EQ(hwnd_, add.data.hWnd);
    EXPECT_EQ(109u, add.data.uID);
    EXPECT_EQ(static_cast<UINT>(CUiTrayIcon::kDefaultMessage), add.data.uCallbackMessage);
    EXPECT_STREQ(L"Kovi刷机", g_shellCalls.back().data.szTip);
}

TEST_F(FrameMenus, RightClickOnTheTrayIconOpensTheTrayMenuWithoutShowingAHiddenFrame) {
    ShowWindow(hwnd_, SW_HIDE);
    Pump(1000);  // the system has moved the activation elsewhere
    TrayMouse(WM_RBUTTONUP);
    CMenuWnd* menu = WaitForMenu();
    ASSERT_NE(nullptr, menu);
    EXPECT_TRUE(IsWindowVisible(menu->GetHWND()));
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    const std::vector<std::wstring> expected = {L"AppSetting", L"AppQuesion", L"AppVersion", L"Menu_Main_Exit"};
    EXPECT_EQ(expected, ItemNames(menu));
    // The menu opens at the cursor (moved up or left only to stay on screen).
    POINT cursor;
    GetCursorPos(&cursor);
    RECT placed;
    GetWindowRect(menu->GetHWND(), &placed);
    EXPECT_TRUE(placed.left == cursor.x || placed.right == cursor.x) << placed.left << " " << cursor.x;
    EXPECT_TRUE(placed.top == cursor.y || placed.bottom == cursor.y) << placed.top << " " << cursor.y;

    // A double-click on the icon shows the frame again.
    ObserverImpl::Instance().Broadcast(kMenuCloseAll, nullptr);
    ASSERT_TRUE(uiharness::PumpUntil([] { return OpenMenus() == 0; }));
    TrayMouse(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
}

TEST_F(FrameMenus, OnlyTheIconsOwnCallbackOpensTheMenu) {
    // Another message with a mouse message's value in lParam is no tray input.
    SendMessageW(hwnd_, WM_APP + 77, 0, WM_RBUTTONUP);
    Pump(200);
    EXPECT_EQ(0, OpenMenus());
    // A click report of a name that is no item does nothing (and frees the name).
    SendMessageW(hwnd_, VOvoduReridOro::kMenuClick, reinterpret_cast<WPARAM>(new CUiString(L"AppGovernment")), 0);
    EXPECT_FALSE(Pump(100));
}

TEST_F(FrameMenus, TheMenuButtonOpensTheMainMenuLeftOfAndBelowIt) {
    ClickMenuButton();
    CMenuWnd* menu = WaitForMenu();
    ASSERT_NE(nullptr, menu);
    const std::vector<std::wstring> expected = {L"AppSetting", L"AppLog", L"AppGov", L"AppQuesion", L"AppVersion"};
    EXPECT_EQ(expected, ItemNames(menu));
    const RECT& button = frame_->Manager().FindControl(L"BtnSet")->GetPos();
    POINT at = {button.left - 94, button.top + 24};
    ClientToScreen(hwnd_, &at);
    RECT placed;
    GetWindowRect(menu->GetHWND(), &placed);
    EXPECT_EQ(at.x, placed.left);
    EXPECT_EQ(at.y, placed.top);
    // For looking at: bin\screenshots\main-menu.png.
    const uiharness::Snapshot shot = uiharness::CaptureWindow(menu->GetHWND());
    apptest::SaveScreenshot(L"main-menu.png", shot.width, shot.height, shot.pixels);
}

TEST_F(FrameMenus, TheSettingsItemOpensTheSettingsDialogModallyOverTheFrame) {
    ClickMenuButton();
    CMenuWnd* menu = WaitForMenu();
    ASSERT_NE(nullptr, menu);
    // The dialog runs its own modal loop inside the click's handling: another
    // thread looks at it and closes it with its close button.
    HWND dialog = nullptr;
    BOOL ownerDisabled = FALSE;
    bool closedByItsButton = false;
    RECT placed = {};
    std::thread driver([&] {
        for (int i = 0; i < 1500 && !dialog; ++i, Sleep(20)) {
            HWND found = FindWindowW(L"SettingPath", L"SettingPath");
            // Once the modal loop has disabled the owner, the dialog is placed.
            if (found && !IsWindowEnabled(hwnd_)) dialog = found;
        }
        if (!dialog) return;
        // Its first paint (the blue title bar) comes after its layout.
        for (int i = 0; i < 1000 && !apptest::CaptionPainted(dialog, 10, 10); ++i) Sleep(20);
        ownerDisabled = !IsWindowEnabled(hwnd_);
        GetWindowRect(dialog, &placed);
        const LPARAM closeButton = MAKELPARAM(placed.right - placed.left - 21, 18);
        PostMessageW(dialog, WM_MOUSEMOVE, 0, closeButton);
        PostMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, closeButton);
        PostMessageW(dialog, WM_LBUTTONUP, 0, closeButton);
        for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(20);
        closedByItsButton = !IsWindow(dialog);
        if (!closedByItsButton) PostMessageW(dialog, WM_CLOSE, 0, 0);  // never leave the test hanging
    });
    ClickItem(menu, L"AppSetting");
    Pump(200);
    driver.join();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(closedByItsButton);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(hwnd_));
    EXPECT_EQ(460, placed.right - placed.left);
    EXPECT_EQ(250, placed.bottom - placed.top);
    RECT frameRect;
    GetWindowRect(hwnd_, &frameRect);
    EXPECT_NEAR((frameRect.left + frameRect.right) / 2, (placed.left + placed.right) / 2, 1);
    EXPECT_NEAR((frameRect.top + frameRect.bottom) / 2, (placed.top + placed.bottom) / 2, 1);
}

TEST_F(FrameMenus, TheExitItemClosesTheDownloaderAndEndsTheMessageLoop) {
    auto downloader = std::make_unique<apptest::DownloaderWindow>();
    TrayMouse(WM_RBUTTONUP);
    CMenuWnd* menu = WaitForMenu();
    ASSERT_NE(nullptr, menu);
    ClickItem(menu, L"Menu_Main_Exit");
    EXPECT_TRUE(Pump(3000));
    EXPECT_EQ(1, downloader->Closes());
    EXPECT_EQ(0, OpenMenus());
    EXPECT_TRUE(IsWindow(hwnd_));  // the frame itself stays until the process ends

    // After the loop the program stops the frame's services: the icon leaves
    // the notification area.
    g_shellCalls.clear();
    frame_->StopServices();
    ASSERT_EQ(1u, g_shellCalls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), g_shellCalls[0].message);

    // Destroying the frame (which the program itself never does) deletes it and
    // closes the downloader once more.
    DestroyWindow(hwnd_);
    EXPECT_EQ(2, downloader->Closes());
}
