// The update dialog as a real window under the test display, built from the
// skin embedded in this program: what it shows, its buttons, and the update
// it runs. The dialog lives in UiLib_u.dll, so its controls are read back
// through its own paint manager.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "PngWriter.h"
#include "TestPaths.h"
#include "UiHarness.h"
#include "UpdaterFixture.h"
#include "WebServicePeer.h"
#include "controls/UIList.h"
#include "core/manager/UIScrollBar.h"
#include "core/Flavour.h"
#include "core/RefusalDay.h"
#include "ui/FakeProgressUI.h"
#include "ui/InfoListUI.h"
#include "ui/UpdaterFrame.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

namespace {

using updatertest::FileSet;

// Runs this thread's messages until `done` holds or the time is up.
bool RunMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // the dialog's end; the test decides when to stop
            if (!UiLib::CPaintManagerUI::TranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

class UpdateDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        UiLib::CPaintManagerUI::SetResourceInstance(GetModuleHandleW(nullptr));
        const std::wstring installation = updatertest::MakeInstallationFolder(scratch);
        values.flavour = DescribeFlavour(1, 1);
        values.flavour.reportUrls = {"http://" + peer.HostAndPort() +
                                     "/report?mac=%s&os=%s&version=%s&msg=%s&channel=%s"};
        values.request.paths = UpdatePaths::ForInstallation(installation);
        values.request.version = "2.0.0";
        values.request.keepList = values.flavour.keepList;
        values.request.settingsFile = values.flavour.settingsFile;
        values.report = {"00-11-22-33-44-55", "Windows 7 64-bit", "", "", "web"};
        const std::string changes = "[2.0.0]\r\ncount=3\r\n1=" +
                                    WideToAnsi(L"\x4FEE\x590D\x4E86\x90E8\x5206\x624B\x673A\x5237\x673A\x5931\x8D25\x7684\x95EE\x9898", 936) +
                                    "\r\n2=" + WideToAnsi(L"\x65B0\x589E\x901A\x8BDD\x8BB0\x5F55\x5907\x4EFD\x4E0E\x6062\x590D", 936) +
                                    "\r\n3=" + WideToAnsi(L"\x4E0B\x8F7D\x901F\x5EA6\x63D0\x5347\xFF0C\x754C\x9762\x66F4\x6E05\x6670", 936) + "\r\n";
        testsupport::WriteFileBytes(values.request.paths.versionIni, changes);
        updatertest::WriteFiles(installation, {{"readme.txt", "version 1"}});
        testsupport::WriteFileBytes(values.request.paths.curjson, updatertest::VersionJson("1.0.0"));
        testsupport::WriteFileBytes(values.request.paths.newjson, updatertest::VersionJson("2.0.0"));
    }

    // Opens the dialog and waits for its first layout.
    HWND Open() {
        frame = std::make_unique<CUpdaterFrame>(values);
        HWND window = frame->Create(nullptr, L"Updater", 0x96C80000, WS_EX_TOPMOST, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT);
        if (!window) return nullptr;
        frame->CenterWindow();
        frame->ShowWindow(true, true);
        RunMessagesUntil([&] { return List() && List()->GetCount() > 0; }, 5000);
        return window;
    }
    void TearDown() override {
        if (frame && IsWindow(frame->GetHWND())) DestroyWindow(frame->GetHWND());
        RunMessagesUntil([] { return false; }, 50);
        frame.reset();
    }
    UiLib::CControlUI* Find(const wchar_t* name) { return frame->m_PaintManager.FindControl(name); }
    CInfoListUI* List() { return static_cast<CInfoListUI*>(frame->m_PaintManager.FindControl(L"InfoList")); }
    void Click(const wchar_t* name) {
        UiLib::CControlUI* control = Find(name);
        ASSERT_NE(control, nullptr) << name;
        frame->m_PaintManager.SendNotify(control, L"click", 0, 0);
    }
    int WindowHeight() {
        RECT rect = {};
        GetWindowRect(frame->GetHWND(), &rect);
        return rect.bottom - rect.top;
    }

    testsupport::ScratchDir scratch;
    testpeers::WebServicePeer peer;
    UpdateDialogValues values;
    std::unique_ptr<CUpdaterFrame> frame;
};

// A change list longer than the list scrolls with a scroll bar drawn from the
// skin's images: a filled thumb on its track, never the bare outline that
// marks a missing image.
TEST_F(UpdateDialogTest, ALongChangeListScrollsWithItsScrollBarImages) {
    std::string changes = "[2.0.0]\r\ncount=30\r\n";
    for (int i = 1; i <= 30; ++i) changes += std::to_string(i) + "=change number " + std::to_string(i) + "\r\n";
    testsupport::WriteFileBytes(values.request.paths.versionIni, changes);
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(List()->GetCount(), 30);
    RunMessagesUntil([] { return false; }, 500);
    UiLib::CScrollBarUI* bar = List()->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->IsVisible());
    const RECT track = bar->GetPos();
    const RECT thumb = bar->GetThumbRect();
    EXPECT_EQ(track.right - track.left, 10);
    ASSERT_GT(thumb.bottom - thumb.top, 10);

    const uiharness::Snapshot shot = uiharness::CaptureWindow(window);
    std::vector<uint32_t> argb(shot.pixels.size());
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = 0xFF000000u | shot.pixels[i];
    const std::wstring folder = testsupport::ProgramFolder() + L"screenshots\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    testsupport::WritePng(folder + L"updater-long-change-list.png", shot.width, shot.height, argb);
    auto count = [&](const RECT& rc, DWORD colour) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                if (shot.At(x, y) == colour) ++n;
        return n;
    };
    const int thumbArea = (thumb.right - thumb.left) * (thumb.bottom - thumb.top);
    EXPECT_GT(count(thumb, 0xA9BACD), thumbArea / 2);  // the thumb's face, filled
    const RECT below = {track.left, thumb.bottom + 6, track.right, track.bottom - 6};
    if (below.bottom > below.top) EXPECT_GT(count(below, 0xE6ECF3), 0);  // the track under it
    EXPECT_EQ(count(track, 0x85E4FF), 0);  // no outline of a missing image
}

TEST_F(UpdateDialogTest, ShowsTheVersionAndItsChanges) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowHeight(), 402);
    EXPECT_STREQ(Find(L"VerTag1")->GetText(), L"V 2.0.0");
    ASSERT_EQ(List()->GetCount(), 3);
    auto* row = static_cast<UiLib::CContainerUI*>(List()->GetItemAt(1));
    EXPECT_STREQ(row->GetItemAt(0)->GetText(), L"\x65B0\x589E\x901A\x8BDD\x8BB0\x5F55\x5907\x4EFD\x4E0E\x6062\x590D");
    EXPECT_FALSE(row->GetItemAt(1)->IsVisible());  // marks show once the update runs
    EXPECT_TRUE(Find(L"Ok")->IsVisible());
    EXPECT_FALSE(Find(L"ProgressLayout")->IsVisible());
    // The caption's double click does not maximise.
    SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ((GetWindowLongPtrW(window, GWL_STYLE) & WS_MAXIMIZEBOX), 0);
}

TEST_F(UpdateDialogTest, CancelIsNotTodayAndWritesTheDate) {
    ASSERT_NE(Open(), nullptr);
    Click(L"Cancel");
    EXPECT_TRUE(DeclinedToday(values.request.paths.dayFile));
    EXPECT_FALSE(IsWindowVisible(frame->GetHWND()));
    EXPECT_EQ(testsupport::ReadFileBytes(values.request.paths.curjson), updatertest::VersionJson("1.0.0"));
}

TEST_F(UpdateDialogTest, OkAppliesTicksTheChangesAndReports) {
    testsupport::WriteFileBytes(values.request.paths.package,
                                updatertest::PackageOf({{"readme.txt", "version 2"}}));
    ASSERT_NE(Open(), nullptr);
    Click(L"Ok");
    EXPECT_FALSE(Find(L"Ok")->IsVisible());
    EXPECT_FALSE(Find(L"Cancel")->IsVisible());
    EXPECT_TRUE(Find(L"ProgressLayout")->IsVisible());
    // While files are replaced neither "Close1" nor the system close ends the dialog.
    EXPECT_FALSE(Find(L"Close1")->IsEnabled());
    SendMessageW(frame->GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindowVisible(frame->GetHWND()));
    // The ticks come one by one.
    ASSERT_TRUE(RunMessagesUntil([&] { return List()->TickedRows() == 1; }, 3000));
    EXPECT_LT(List()->TickedRows(), 3);
    ASSERT_TRUE(RunMessagesUntil([&] { return frame->Finished(); }, 20000));
    EXPECT_EQ(List()->TickedRows(), 3);
    auto* progress = static_cast<CFakeProgressUI*>(Find(L"Progress"));
    EXPECT_EQ(progress->GetValue(), progress->GetMaxValue());
    EXPECT_EQ(WindowHeight(), 259);
    EXPECT_STREQ(Find(L"VerTag3")->GetText(), L"V 2.0.0");
    EXPECT_EQ(testsupport::ReadFileBytes(values.request.paths.base + L"readme.txt"), "version 2");
    EXPECT_EQ(testsupport::ReadFileBytes(values.request.paths.curjson), updatertest::VersionJson("2.0.0"));
    ASSERT_TRUE(RunMessagesUntil([&] { return !peer.Requests().empty(); }, 10000));
    EXPECT_EQ(peer.Requests()[0].path,
              "report?mac=00-11-22-33-44-55&os=Windows%207%2064-bit&version=1.0.0&msg=UpTo2.0.0&channel=web");
}

TEST_F(UpdateDialogTest, AFailedUpdateIsSaidAndChangesNothing) {
    testsupport::WriteFileBytes(values.request.paths.package, "not a zip");
    values.automatic = true;  // class 1 starts without a click
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(RunMessagesUntil([&] { return frame->Finished(); }, 20000));
    EXPECT_STREQ(Find(L"ResultText")->GetText(),
                 L"\x5347\x7EA7\x5931\x8D25\xFF0C\x5DF2\x6062\x590D\x539F\x6709\x6587\x4EF6");
    EXPECT_STREQ(Find(L"DoneTitle")->GetText(), L"\x5347\x7EA7\x5931\x8D25");
    EXPECT_FALSE(Find(L"DoneMark")->IsVisible());
    EXPECT_EQ(testsupport::ReadFileBytes(values.request.paths.base + L"readme.txt"), "version 1");
    EXPECT_EQ(testsupport::ReadFileBytes(values.request.paths.curjson), updatertest::VersionJson("1.0.0"));
    EXPECT_TRUE(FileExists(values.request.paths.newjson));
    RunMessagesUntil([] { return false; }, 500);
    EXPECT_TRUE(peer.Requests().empty());  // no install report for a failed update
}

}  // namespace
