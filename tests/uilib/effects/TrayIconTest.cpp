// The tray icon: the records it hands the shell, through the replaceable
// shell call, and one call of the real Shell_NotifyIconW.
#include "core/manager/UITrayIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;

namespace {

struct Call {
    DWORD message;
    NOTIFYICONDATAW data;
};
std::vector<Call> g_calls;

BOOL WINAPI RecordCall(DWORD message, PNOTIFYICONDATAW data) {
    g_calls.push_back(Call{message, *data});
    return TRUE;
}

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        previous_ = CUiTrayIcon::SetShellNotifyIcon(&RecordCall);
        window_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        CUiTrayIcon::SetShellNotifyIcon(previous_);
        ::DestroyWindow(window_);
    }
    ShellNotifyIconProc previous_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(TrayIcon, CreateAddsTheIconWithAFullSizedRecord) {
    CUiTrayIcon tray;
    tray.CreateTrayIcon(window_, 0);  // no icon id: nothing
    tray.CreateTrayIcon(nullptr, 5);  // no window: nothing
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(tray.IsCreated());

    tray.CreateTrayIcon(window_, 101);
    ASSERT_EQ(g_calls.size(), 1u);
    const Call& add = g_calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.data.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(add.data.hWnd, window_);
    EXPECT_EQ(add.data.uID, 101u);
    EXPECT_EQ(add.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.data.uCallbackMessage, 0x1Cu);
    EXPECT_TRUE(tray.IsCreated());
}

TEST_F(TrayIcon, TooltipKeepsAtMost127CharactersAndWaitsForCreate) {
    CUiTrayIcon tray;
    std::wstring longTip(200, L'x');
    longTip[126] = L'y';
    EXPECT_FALSE(tray.SetTooltipText(longTip.c_str()));  // kept for a later Create
    EXPECT_TRUE(g_calls.empty());
    tray.CreateTrayIcon(window_, 7);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(std::wstring(g_calls[0].data.szTip), longTip.substr(0, 127));

    EXPECT_TRUE(tray.SetTooltipText(L"同步中"));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(g_calls[1].data.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(std::wstring(g_calls[1].data.szTip), L"同步中");
}

TEST_F(TrayIcon, DeleteTwiceIsHarmlessAndResetsTheState) {
    CUiTrayIcon tray;
    tray.CreateTrayIcon(window_, 9);
    tray.DeleteTrayIcon();
    tray.DeleteTrayIcon();
    ASSERT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(g_calls[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(g_calls[1].data.uID, 9u);
    EXPECT_FALSE(tray.IsCreated());
    EXPECT_FALSE(tray.IsFlashing());
    EXPECT_EQ(tray.GetMessage(), 0x1Cu);
    tray.StopFlashing();  // nothing flashes: no shell call
    EXPECT_EQ(g_calls.size(), 3u);
}

TEST(TrayMouseMessage, OnlyMouseMessagesInLParamCount) {
    struct Case {
        LPARAM lParam;
        bool mouse;
    } cases[] = {{WM_LBUTTONUP, true},   {WM_RBUTTONUP, true}, {WM_LBUTTONDBLCLK, true}, {WM_MOUSEMOVE, true},
                 {WM_KEYDOWN, false},    {0, false},           {NIN_SELECT, false},      {0x7FFF0201, false}};
    for (const Case& c : cases) EXPECT_EQ(CUiTrayIcon::IsTrayMouseMessage(c.lParam), c.mouse) << c.lParam;
}

// The real shell call: Wine's notification area takes the icon and lets it go.
TEST(TrayIconShell, RealCallAddsAndDeletes) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CUiTrayIcon tray;
    tray.SetTooltipText(L"Torvanik");
    tray.CreateTrayIcon(window, 32512);  // any id: a missing icon resource is shown as none
    EXPECT_TRUE(tray.IsCreated());
    tray.DeleteTrayIcon();
    EXPECT_FALSE(tray.IsCreated());
    ::DestroyWindow(window);
}

}  // namespace
