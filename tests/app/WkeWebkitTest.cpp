// The web view control over the stand-in engine, in a real window: the page
// the web service peer serves is drawn on screen, input reaches the view,
// visibility follows the control, and a page's msgBox call reaches the bound
// function.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "UiHarness.h"
#include "WebServicePeer.h"
#include "core/manager/UIContainer.h"
#include "core/manager/UIManager.h"
#include "web/WkeEngine.h"
#include "web/WkeWebkitUI.h"

using testpeers::WebServicePeer;
using uiharness::HarnessWindow;
using uiharness::PumpUntil;

namespace {

typedef const wchar_t*(WKE_CALL* EventLogFn)(wkeWebView);

std::wstring EventLog(wkeWebView view) {
    auto fn = reinterpret_cast<EventLogFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"wke.dll"), "wkeStandInEventLog")));
    return fn && view ? fn(view) : L"";
}

// Pixels of a child window as the screen shows them.
COLORREF ScreenPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

int DarkPixelsIn(HWND window, RECT area) {
    HDC dc = GetDC(window);
    int dark = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; x += 2)
            if (GetRValue(GetPixel(dc, x, y)) < 120) ++dark;
    ReleaseDC(window, dc);
    return dark;
}

std::string g_lastUtf8;
std::wstring g_lastWide;
jsValue WKE_CALL RecordMsgBox(jsExecState es) {
    WkeEngine& engine = WkeEngine::Instance();
    g_lastUtf8 = engine.ToString(es, engine.Arg(es, 0));
    g_lastWide = engine.ToStringW(es, engine.Arg(es, 1));
    return engine.Undefined();
}

struct WkeFixture : ::testing::Test {
    static void SetUpTestSuite() { ASSERT_TRUE(WkeEngine::Instance().Init()); }
    WebServicePeer peer;
    HarnessWindow window{400, 300};
    UiLib::CContainerUI* root = new UiLib::CContainerUI;
    CWkeWebkitUI* web = new CWkeWebkitUI;

    void SetUp() override {
        root->Add(web);
        // Pixels are read from the screen: stay above other tests' windows.
        SetWindowPos(window.Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_TRUE(window.Show(root));
        ASSERT_NE(nullptr, web->Window());
    }
    std::wstring Url(const char* path) const {
        return L"http://127.0.0.1:" + std::to_wstring(peer.Port()) + L"/" + std::wstring(path, path + strlen(path));
    }
    bool Load(const char* path) {
        web->Navigate(Url(path));
        return PumpUntil([this] { return web->IsLoadComplete(); }, 5000);
    }
    HWND Child() const { return web->Window()->GetHWND(); }
};

}  // namespace

TEST_F(WkeFixture, DrawsTheServedPageInItsChildWindowAtTheControlsPlace) {
    peer.SetHtml("svapp/", "<html><title>App centre</title><body><p>Hello phones</p></body></html>");
    ASSERT_TRUE(Load("svapp/"));
    ASSERT_EQ(1u, peer.Requests().size());
    EXPECT_EQ("svapp/", peer.Requests()[0].path);
    uiharness::PumpFor(200);

    RECT placed;
    GetWindowRect(Child(), &placed);
    MapWindowPoints(nullptr, window.Hwnd(), reinterpret_cast<POINT*>(&placed), 2);
    const RECT& pos = web->GetPos();
    EXPECT_EQ(pos.left, placed.left);
    EXPECT_EQ(pos.right, placed.right);
    EXPECT_EQ(pos.bottom, placed.bottom);

    EXPECT_EQ(RGB(236, 239, 243), ScreenPixel(Child(), 2, 2));      // the address bar
    EXPECT_EQ(RGB(255, 255, 255), ScreenPixel(Child(), 2, 150));    // the page
    EXPECT_GT(DarkPixelsIn(Child(), {16, 40, 200, 72}), 20);         // the title's letters
    EXPECT_EQ(0, DarkPixelsIn(Child(), {16, 200, 380, 260}));        // nothing below the text
}

TEST_F(WkeFixture, InputReachesTheViewWithCaptureAndUnconvertedKeyboardMenus) {
    ASSERT_TRUE(Load("nothing"));
    SendMessageW(Child(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(30, 40));
    EXPECT_EQ(Child(), GetCapture());
    EXPECT_EQ(Child(), GetFocus());
    SendMessageW(Child(), WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-5), 500));  // released outside
    EXPECT_EQ(nullptr, GetCapture());
    SendMessageW(Child(), WM_CONTEXTMENU, 0, MAKELPARAM(0xFFFF, 0xFFFF));
    SendMessageW(Child(), WM_KEYDOWN, 'A', (1 << 30) | (1 << 24));  // repeat and extended bits
    SendMessageW(Child(), WM_CHAR, L'a', 0);
    const std::wstring log = EventLog(web->View());
    EXPECT_NE(std::wstring::npos, log.find(L"mouse 513 30,40 9\n")) << log;
    EXPECT_NE(std::wstring::npos, log.find(L"mouse 514 -5,500 0\n")) << log;
    EXPECT_NE(std::wstring::npos, log.find(L"contextmenu -1,-1 0\n")) << log;
    EXPECT_NE(std::wstring::npos, log.find(L"keydown 65 16640\n")) << log;
    EXPECT_NE(std::wstring::npos, log.find(L"keypress 97 0\n")) << log;
    EXPECT_NE(std::wstring::npos, log.find(L"focus\n")) << log;
}

TEST_F(WkeFixture, HidingClearsTheFocusAndHidesTheWindowShowingBringsItBack) {
    window.Manager().SetFocus(web);
    ASSERT_EQ(web, window.Manager().GetFocus());
    web->SetVisible(false);
    EXPECT_EQ(nullptr, window.Manager().GetFocus());
    EXPECT_FALSE(IsWindowVisible(Child()));
    web->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(Child()));
}

TEST_F(WkeFixture, HistoryGoesBackOnlyWhereThereIsSome) {
    peer.SetHtml("a", "<title>A</title>");
    peer.SetHtml("b", "<title>B</title>");
    web->GoBack();  // no history: nothing happens
    ASSERT_TRUE(Load("a"));
    web->GoBack();
    ASSERT_TRUE(Load("b"));
    web->GoBack();
    ASSERT_TRUE(PumpUntil([this] { return web->IsLoadComplete(); }, 5000));
    const auto requests = peer.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ("a", requests[2].path);
    web->GoForward();
    ASSERT_TRUE(PumpUntil([this] { return peer.Requests().size() == 4; }, 5000));
    EXPECT_EQ("b", peer.Requests()[3].path);
}

TEST_F(WkeFixture, APagesMsgBoxCallReachesTheBoundFunction) {
    WkeEngine::Instance().BindFunction("msgBox", RecordMsgBox, 2);
    peer.SetHtml("rec", u8"<title>x</title><script>msgBox('{\"id\":\"7\"}','安装')</script>");
    ASSERT_TRUE(Load("rec"));
    ASSERT_TRUE(PumpUntil([] { return !g_lastWide.empty(); }));
    EXPECT_EQ("{\"id\":\"7\"}", g_lastUtf8);
    EXPECT_EQ(L"安装", g_lastWide);
}

TEST_F(WkeFixture, RemovingTheControlClosesItsWindowLaterWithoutTouchingIt) {
    HWND child = Child();
    root->Remove(web);
    web = nullptr;
    EXPECT_TRUE(PumpUntil([child] { return !IsWindow(child); }));
    uiharness::PumpFor(100);
}

TEST(WkeRefused, AControlWithoutAViewDoesNothing) {
    ASSERT_TRUE(WkeEngine::Instance().Init());
    SetEnvironmentVariableW(L"TORVANIK_WKE_REFUSE", L"1");
    HarnessWindow window(200, 100);
    auto* web = new CWkeWebkitUI;
    ASSERT_TRUE(window.Show(web));
    SetEnvironmentVariableW(L"TORVANIK_WKE_REFUSE", nullptr);
    EXPECT_EQ(nullptr, web->Window());
    web->Navigate(L"http://127.0.0.1:1/");
    web->GoBack();
    EXPECT_FALSE(web->IsLoadComplete());
    web->SetPos({0, 0, 50, 50});
}
