// The real Torvanik.exe from the installation: its window, its web panes as
// the web service peer sees them, caption hit-testing, the single instance,
// the updater's close request and start-up with pieces missing.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>

#include "AdbTestPeers.h"
#include "TestPaths.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "WebServicePeer.h"
#include "core/window/UIDlgBuilder.h"

using apptest::TorvanikProcess;
using testpeers::WebServicePeer;

namespace {

struct FrameFixture : ::testing::Test {
    // The program's start-up probe asks for a phone: a running server answers
    // it, so no server of the probe's own outlives the test (and keeps its
    // output open).
    AdbServerPeer adb;
    WebServicePeer peer;
    void SetUp() override {
        // The program inherits where the maker's service is: here, the peer.
        SetEnvironmentVariableA("TORVANIK_API_HOST", peer.HostAndPort().c_str());
        SetEnvironmentVariableA("TORVANIK_PAGE_HOST", peer.HostAndPort().c_str());
        peer.SetHtml("", "<title>推荐</title>");
        peer.SetHtml("svapp/", "<title>应用中心</title>");
    }
    void TearDown() override {
        SetEnvironmentVariableA("TORVANIK_API_HOST", nullptr);
        SetEnvironmentVariableA("TORVANIK_PAGE_HOST", nullptr);
    }
    bool PeerSaw(const std::string& path, DWORD timeoutMs = 10000) {
        return uiharness::PumpUntil(
            [&] {
                auto requests = peer.Requests();
                return std::any_of(requests.begin(), requests.end(), [&](auto& r) { return r.path == path; });
            },
            timeoutMs);
    }
};

bool SendCopyData(HWND frame, const std::wstring& text) {
    COPYDATASTRUCT data = {};
    data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.data());
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 5000, &result) != 0;
}

LRESULT HitTest(HWND frame, int clientX, int clientY) {
    POINT pt = {clientX, clientY};
    ClientToScreen(frame, &pt);
    return SendMessageW(frame, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
}

}  // namespace

TEST_F(FrameFixture, ShowsTheCentredFrameAndLoadsBothWebPanesFromThePageHost) {
    TorvanikProcess torvanik;
    ASSERT_TRUE(torvanik.Started());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    RECT rc;
    GetWindowRect(frame, &rc);
    EXPECT_EQ(800, rc.right - rc.left);
    EXPECT_EQ(600, rc.bottom - rc.top);
    const LONG_PTR style = GetWindowLongPtrW(frame, GWL_STYLE);
    EXPECT_EQ(0, style & WS_MAXIMIZEBOX);
    EXPECT_NE(WS_CAPTION, style & WS_CAPTION);
    EXPECT_TRUE(PeerSaw("svapp/"));
    EXPECT_TRUE(PeerSaw(""));
    const std::string frameLog = testsupport::ReadFileBytes(apptest::InstallationFolder() + L"log\\frame.log");
    EXPECT_NE(std::string::npos, frameLog.find("    - This is a <Warn> log message... VOvoduReridOro ["));
    EXPECT_NE(std::string::npos, frameLog.find("    - VOvoduReridOro::Init ["));
}

TEST_F(FrameFixture, CaptionDragsOnEmptyPartsOnlyWithinTheTop110Pixels) {
    TorvanikProcess torvanik;
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    RECT client;
    GetClientRect(frame, &client);
    const struct {
        int x, y;
        LRESULT expected;
        const wchar_t* needs;  // the control class the point lies on, if any
    } cases[] = {
        {100, 100, HTCAPTION, nullptr},              // empty caption below the logo
        {100, 10, HTCAPTION, nullptr},               // above it
        {100, 109, HTCAPTION, nullptr},              // last caption row
        {100, 110, HTCLIENT, nullptr},               // first row below it
        {400, 300, HTCLIENT, nullptr},               // the page
        {230, 60, HTCLIENT, L"Option"},              // a tab
        {client.right - 15, 12, HTCLIENT, L"Button"},  // the close button
        {client.right - 45, 12, HTCLIENT, L"Button"},  // the minimise button
    };
    for (const auto& c : cases) {
        // The skin's buttons and tabs exist once the UI library has those controls.
        std::unique_ptr<UiLib::CControlUI> known(c.needs ? UiLib::CDialogBuilder::CreateKnownControl(c.needs) : nullptr);
        if (c.needs && !known) continue;
        EXPECT_EQ(c.expected, HitTest(frame, c.x, c.y)) << c.x << "," << c.y;
    }
}

TEST_F(FrameFixture, SecondStartShowsTheHiddenFrameAndEndsWithOne) {
    TorvanikProcess first;
    HWND frame = first.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    SendMessageW(frame, WM_CLOSE, 0, 0);  // closing only hides
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_TRUE(first.Running());

    TorvanikProcess second;
    EXPECT_EQ(1, second.WaitForExit());
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_TRUE(first.Running());
}

TEST_F(FrameFixture, UpdateCloseEndsWithZeroAndLeavesTheDownloaderAlone) {
    apptest::DownloaderWindow downloader;
    ASSERT_NE(nullptr, downloader.Hwnd());
    TorvanikProcess torvanik;
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);

    ASSERT_TRUE(SendCopyData(frame, L"updateclose"));  // another case is not the request
    ASSERT_TRUE(SendCopyData(frame, L"UpdateClos"));
    uiharness::PumpFor(500);
    EXPECT_TRUE(torvanik.Running());

    ASSERT_TRUE(SendCopyData(frame, L"UpdateClose"));
    uiharness::PumpUntil([&] { return !torvanik.Running(); }, 20000);
    EXPECT_EQ(0, torvanik.WaitForExit());
    uiharness::PumpFor(200);
    EXPECT_EQ(0, downloader.Closes());
}

TEST_F(FrameFixture, TheTrayMenusExitClosesTheDownloaderAndEndsWithZeroThroughTheMessageLoop) {
    testsupport::ScratchDir dir;
    const std::wstring mark = dir.File(L"engine-shut-down");
    SetEnvironmentVariableW(L"TORVANIK_WKE_SHUTDOWN_MARK", mark.c_str());
    apptest::DownloaderWindow downloader;
    TorvanikProcess torvanik;
    HWND frame = torvanik.WaitForFrame();
    SetEnvironmentVariableW(L"TORVANIK_WKE_SHUTDOWN_MARK", nullptr);
    ASSERT_NE(nullptr, frame);
    ShowWindow(frame, SW_HIDE);

    // A right-click on the program's tray icon, as the shell reports it.
    PostMessageW(frame, 0x1C, 109, WM_RBUTTONUP);
    HWND menu = nullptr;
    uiharness::PumpUntil([&] { return (menu = FindWindowW(L"UiMenuWnd", nullptr)) && IsWindowVisible(menu); }, 10000);
    ASSERT_NE(nullptr, menu);
    EXPECT_FALSE(IsWindowVisible(frame));
    uiharness::PumpFor(300);  // laid out and painted
    // The exit item is the menu's last: 30 pixels high above a 4-pixel inset.
    RECT rc;
    GetClientRect(menu, &rc);
    const LPARAM exitItem = MAKELPARAM(40, rc.bottom - 4 - 15);
    PostMessageW(menu, WM_MOUSEMOVE, 0, exitItem);
    PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, exitItem);
    PostMessageW(menu, WM_LBUTTONUP, 0, exitItem);

    uiharness::PumpUntil([&] { return !torvanik.Running(); }, 20000);
    EXPECT_EQ(0, torvanik.WaitForExit());
    EXPECT_EQ(1, downloader.Closes());
    // The program left through its message loop: the engine was shut down.
    EXPECT_EQ("wkeShutdown", testsupport::ReadFileBytes(mark));
}

TEST_F(FrameFixture, TheFlashingPageInsideTheFrameShowsItsOwnImages) {
    TorvanikProcess torvanik;
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    // The flashing tab, second of the caption's tabs.
    const LPARAM romTab = MAKELPARAM(312, 60);
    PostMessageW(frame, WM_MOUSEMOVE, 0, romTab);
    PostMessageW(frame, WM_LBUTTONDOWN, MK_LBUTTON, romTab);
    PostMessageW(frame, WM_LBUTTONUP, 0, romTab);
    uiharness::PumpFor(1500);
    const uiharness::Snapshot shot = uiharness::CaptureScreen(frame);
    apptest::SaveScreenshot(L"torvanik-rom-page.png", shot.width, shot.height, shot.pixels);
    // The page's waiting phone (the plug-in's own image from skin\BrevlinsUI):
    // its dark body and light screen, on the page's white background.
    ASSERT_GE(shot.width, 600);
    ASSERT_GE(shot.height, 400);
    EXPECT_EQ(0x34404Fu, shot.At(363, 300));
    EXPECT_EQ(0xDCEBFDu, shot.At(400, 300));
    EXPECT_EQ(0xFFFFFFu, shot.At(600, 300));
}

TEST_F(FrameFixture, MissingFontFlasherAndDeviceLibraryStillGiveAWorkingFrame) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(apptest::CopyInstallation(dir.Path(), {L"font", L"hemlar.dll", L"brevlin.dll"}));
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.File(L"Hemlar.dll").c_str()));
    {
        TorvanikProcess torvanik(dir.Path());
        HWND frame = torvanik.WaitForFrame();
        ASSERT_NE(nullptr, frame);
        // The web panes do not depend on the device library.
        EXPECT_TRUE(PeerSaw("svapp/"));
        EXPECT_EQ(HTCAPTION, HitTest(frame, 100, 100));
        ASSERT_TRUE(SendCopyData(frame, L"UpdateClose"));
        EXPECT_EQ(0, torvanik.WaitForExit());
    }
    EXPECT_NE(std::string::npos,
              testsupport::ReadFileBytes(dir.File(L"log\\frame.log")).find("Hemlar.dll is missing"));
}
