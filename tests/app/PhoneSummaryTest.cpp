// The phone data summary as a real window over a stand-in frame: the counts
// each reply carries by its labels, the buttons that appear with the first
// reply and open the backup window's pages; then the real frame in-process:
// its button opens the summary, the phone's counts show in it, and a click
// elsewhere on the frame hides it.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "AdbTestPeers.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "InProcessUi.h"
#include "core/manager/UIManager.h"
#include "frame/MainFrame.h"
#include "phonelink/PhoneCounts.h"
#include "summary/PhoneMsg.h"

using namespace UiLib;

namespace {

std::wstring TextOf(PhoneMsg& window, const wchar_t* name) {
    CControlUI* control = window.m_PaintManager.FindControl(name);
    return control ? control->GetText().GetData() : L"<missing>";
}

bool VisibleControl(PhoneMsg& window, const wchar_t* name) {
    CControlUI* control = window.m_PaintManager.FindControl(name);
    return control && control->IsVisible();
}

struct Opened {
    HWND owner;
    PhoneMsg::BackupMode mode;
    PhoneCounts counts;
};

struct SummaryFixture : ::testing::Test {
    uiharness::HarnessWindow frame{800, 600};
    void SetUp() override {
        apptest::UseInstalledSkin();
        SetWindowPos(frame.Hwnd(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    // A summary over the stand-in frame, shown and initialised.
    PhoneMsg* Open(std::vector<Opened>* opened = nullptr) {
        RECT rc;
        GetWindowRect(frame.Hwnd(), &rc);
        auto* window = new PhoneMsg(frame.Hwnd(), 5, 6, rc.left, rc.top, rc.right, rc.bottom);
        if (opened)
            window->SetBackupOpener([opened](HWND owner, PhoneMsg::BackupMode mode, const PhoneCounts& counts) {
                opened->push_back({owner, mode, counts});
            });
        if (!window->Create(frame.Hwnd(), L"PhoneMsg", 0x90CF0000, WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT)) {
            delete window;
            return nullptr;
        }
        window->CenterWindow();
        ::ShowWindow(window->GetHWND(), SW_SHOW);
        // "windowinit" comes with the first paint and moves the window over the frame.
        uiharness::PumpUntil([&] {
            RECT at;
            GetWindowRect(window->GetHWND(), &at);
            return at.left == rc.left + 56 && at.top == rc.top + 157;
        });
        return window;
    }
};

}  // namespace

TEST_F(SummaryFixture, OpensOverTheFrameWithItsButtonsHiddenUntilTheFirstReply) {
    PhoneMsg* window = Open();
    ASSERT_NE(nullptr, window);
    HWND hwnd = window->GetHWND();
    RECT frameRect, at;
    GetWindowRect(frame.Hwnd(), &frameRect);
    GetWindowRect(hwnd, &at);
    EXPECT_EQ(frameRect.left + 56, at.left);
    EXPECT_EQ(frameRect.top + 157, at.top);
    EXPECT_EQ(330, at.right - at.left);  // the skin sizes it
    EXPECT_FALSE(VisibleControl(*window, L"btnBackup"));
    EXPECT_FALSE(VisibleControl(*window, L"btnRestore"));
    EXPECT_EQ(L"读取中", TextOf(*window, L"msgLaontactsA"));
    apptest::SaveShotIfAsked(uiharness::CaptureWindow(hwnd), L"summary-waiting");
    DestroyWindow(hwnd);  // the window deletes its object
}

TEST_F(SummaryFixture, EachCountIsReadAfterItsOwnLabelWhereverItStands) {
    const struct {
        const char* reply;
        const wchar_t *contacts, *messages, *calls;
    } cases[] = {
        {"contact(12)_msg(3)_calllog(40)", L"12", L"3", L"40"},
        {"calllog(40)_contact(12)_msg(3)", L"12", L"3", L"40"},
        {"msg(0)_calllog(7)_contact(1024)", L"1024", L"0", L"7"},
        // A label the reply lacks keeps what was shown before.
        {"contact(5)_calllog(9)", L"5", L"0", L"9"},
        {"contact(6)", L"6", L"0", L"9"},
    };
    PhoneMsg* window = Open();
    ASSERT_NE(nullptr, window);
    window->ShowCounts([] {
        PhoneCounts counts;
        ParsePhoneCounts("contact(0)_msg(3)_calllog(0)", counts);
        return counts;
    }());
    for (const auto& c : cases) {
        PhoneCounts counts;
        ParsePhoneCounts(c.reply, counts);
        window->ShowCounts(counts);
        EXPECT_EQ(c.contacts, TextOf(*window, L"msgLaontactsA")) << c.reply;
        EXPECT_EQ(c.messages, TextOf(*window, L"msgLaMsg")) << c.reply;
        EXPECT_EQ(c.calls, TextOf(*window, L"msgLaRecord")) << c.reply;
        EXPECT_EQ(std::stoi(c.contacts), window->Counts().contacts) << c.reply;
        EXPECT_EQ(std::stoi(c.messages), window->Counts().messages) << c.reply;
        EXPECT_EQ(std::stoi(c.calls), window->Counts().calls) << c.reply;
    }
    EXPECT_TRUE(VisibleControl(*window, L"btnBackup"));
    EXPECT_TRUE(VisibleControl(*window, L"btnRestore"));
    EXPECT_TRUE(VisibleControl(*window, L"msgLaMsg"));

    // The counts are painted: blue, green and orange figures in their tiles.
    PhoneCounts shown;
    ParsePhoneCounts("contact(12)_msg(3)_calllog(40)", shown);
    window->ShowCounts(shown);
    uiharness::PumpFor(100);
    const uiharness::Snapshot shot = uiharness::CaptureWindow(window->GetHWND());
    apptest::SaveShotIfAsked(shot, L"summary-counts");
    for (const auto& label : {std::make_pair(L"msgLaontactsA", 0), std::make_pair(L"msgLaMsg", 8)}) {
        const RECT rc = window->m_PaintManager.FindControl(label.first)->GetPos();
        EXPECT_GT(uiharness::CountTinted(shot, rc, label.second), 10) << label.first;
    }
    DestroyWindow(window->GetHWND());
}

// The frame posts each reply as WM_ANDROID_MSG with a copy the window frees:
// a text without "(" only shows the buttons, a counts reply its numbers.
TEST_F(SummaryFixture, PostedRepliesShowTheButtonsAndTheCounts) {
    PhoneMsg* window = Open();
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(PhoneMsg::PostReplyCopy(window->GetHWND(), "Server ready"));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return VisibleControl(*window, L"btnBackup"); }));
    EXPECT_TRUE(VisibleControl(*window, L"btnRestore"));
    EXPECT_EQ(0, window->Counts().contacts);
    ASSERT_TRUE(PhoneMsg::PostReplyCopy(window->GetHWND(), "contact(12)_msg(3)_calllog(40)"));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return TextOf(*window, L"msgLaRecord") == L"40"; }));
    EXPECT_EQ(L"12", TextOf(*window, L"msgLaontactsA"));
    EXPECT_EQ(L"3", TextOf(*window, L"msgLaMsg"));
    EXPECT_EQ(12, window->Counts().contacts);
    HWND hwnd = window->GetHWND();
    DestroyWindow(hwnd);
    EXPECT_FALSE(PhoneMsg::PostReplyCopy(hwnd, "contact(1)"));  // no window: the copy is freed here
}

TEST_F(SummaryFixture, TheButtonsHideTheSummaryAndOpenTheBackupPages) {
    std::vector<Opened> opened;
    PhoneMsg* window = Open(&opened);
    ASSERT_NE(nullptr, window);
    HWND hwnd = window->GetHWND();
    PhoneCounts counts;
    ParsePhoneCounts("contact(12)_msg(3)_calllog(40)", counts);
    window->ShowCounts(counts);

    window->m_PaintManager.SendNotify(window->m_PaintManager.FindControl(L"btnBackup"), L"click", 0, 0);
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(hwnd, opened[0].owner);
    EXPECT_EQ(PhoneMsg::kBackupPage, opened[0].mode);
    EXPECT_EQ(12, opened[0].counts.contacts);
    EXPECT_EQ(3, opened[0].counts.messages);
    EXPECT_EQ(40, opened[0].counts.calls);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindow(hwnd));  // hidden while the backup window is up, not closed

    ::ShowWindow(hwnd, SW_SHOW);
    window->m_PaintManager.SendNotify(window->m_PaintManager.FindControl(L"btnRestore"), L"click", 0, 0);
    ASSERT_EQ(2u, opened.size());
    EXPECT_EQ(PhoneMsg::kRestorePage, opened[1].mode);
    EXPECT_EQ(0, opened[1].counts.contacts);
    EXPECT_EQ(0, opened[1].counts.messages);
    EXPECT_EQ(0, opened[1].counts.calls);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    DestroyWindow(hwnd);
}

TEST(FrameSummary, TheFramesButtonOpensTheSummaryWhichShowsTheCountsAndHidesOnAClickElsewhere) {
    // The frame's start-up probe and the companion-app workers the button
    // starts (they outlive this test by seconds) ask for a phone: a server
    // that lives until the program ends answers them, so none of their own
    // is started and left behind on the adb port.
    static AdbServerPeer adb;
    VOvoduReridOro* frame = apptest::OpenFrameInProcess();
    ASSERT_NE(nullptr, frame);
    HWND frameWnd = frame->GetHWND();
    CControlUI* button = frame->m_PaintManager.FindControl(L"BtnPhoneMsg");
    ASSERT_NE(nullptr, button);
    auto popup = [] { return FindWindowW(L"PhoneMsg", L"PhoneMsg"); };
    auto popupAt = [&] {
        RECT frameRect, at;
        GetWindowRect(frameWnd, &frameRect);
        GetWindowRect(popup(), &at);
        return at.left == frameRect.left + 56 && at.top == frameRect.top + 157;
    };
    // A counts reply before the summary was ever opened only is kept.
    frame->ShowPhoneSummary("contact(2)_msg(1)_calllog(4)");
    EXPECT_EQ(nullptr, popup());

    frame->m_PaintManager.SendNotify(button, L"click", 0, 0);
    ASSERT_NE(nullptr, popup());
    EXPECT_TRUE(IsWindowVisible(popup()));
    EXPECT_EQ(frameWnd, GetWindow(popup(), GW_OWNER));
    EXPECT_TRUE(uiharness::PumpUntil(popupAt));
    auto* summary = dynamic_cast<PhoneMsg*>(apptest::WindowObject(popup()));
    ASSERT_NE(nullptr, summary);
    EXPECT_EQ(L"2", TextOf(*summary, L"msgLaontactsA"));  // what the phone said before

    // A click on the frame hides it; the next counts reply shows it again, over the frame.
    SendMessageW(frameWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageW(frameWnd, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
    EXPECT_FALSE(IsWindowVisible(popup()));
    SetWindowPos(frameWnd, nullptr, 20, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    frame->ShowPhoneSummary("calllog(40)_msg(3)_contact(12)");
    EXPECT_TRUE(IsWindowVisible(popup()));
    EXPECT_TRUE(popupAt());
    // The reply reaches the summary as its own posted message.
    EXPECT_TRUE(uiharness::PumpUntil([&] { return TextOf(*summary, L"msgLaontactsA") == L"12"; }));
    EXPECT_EQ(L"3", TextOf(*summary, L"msgLaMsg"));
    EXPECT_EQ(L"40", TextOf(*summary, L"msgLaRecord"));
    CControlUI* busy = frame->m_PaintManager.FindControl(L"Backupgif");
    ASSERT_NE(nullptr, busy);
    EXPECT_FALSE(busy->IsVisible());
    uiharness::PumpFor(200);
    apptest::SaveShotIfAsked(uiharness::CaptureScreen(frameWnd), L"summary-over-frame");

    // While it is open, every second click on the button hides it; none opens a second one.
    frame->m_PaintManager.SendNotify(button, L"click", 0, 0);
    EXPECT_TRUE(IsWindowVisible(popup()));
    EXPECT_TRUE(busy->IsVisible());
    // The busy animation has its picture: blue dots turning beside the buttons.
    uiharness::PumpFor(300);
    EXPECT_GT(uiharness::CountTinted(uiharness::CaptureScreen(frameWnd), busy->GetPos(), 0), 5);
    frame->m_PaintManager.SendNotify(button, L"click", 0, 0);
    EXPECT_FALSE(IsWindowVisible(popup()));
    EXPECT_EQ(summary, dynamic_cast<PhoneMsg*>(apptest::WindowObject(popup())));

    DestroyWindow(frameWnd);  // takes the summary with it
    EXPECT_EQ(nullptr, popup());
}
