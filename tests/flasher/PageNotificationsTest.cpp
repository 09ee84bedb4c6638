// The flashing page built by the real Brevlin.dll in a host window: the main
// program's notifications move its pages, its buttons send the main window
// its messages, the backup items make the backup mask, and requests the page
// cannot take are refused with a balloon.
#include "AdbTestPeers.h"
#include "HostWindow.h"
#include "TestPaths.h"
#include "controls/UIOption.h"
#include "controls/UITabLayout.h"
#include "record/PackageRecord.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr UINT kPrepareHelper = WM_USER + 501, kBackup = WM_USER + 502, kRestore = WM_USER + 503,
               kGames = WM_USER + 504, kApps = WM_USER + 505, kConnect = WM_USER + 506;

UiLib::COptionUI* Box(BrevlinHost& host, const wchar_t* name) {
    UiLib::CControlUI* control = host.Find(name);
    return control ? static_cast<UiLib::COptionUI*>(control->GetInterface(L"Option")) : nullptr;
}

PackageRecord Request(const char* type, bool marked, const char* path) {
    PackageRecord record = {};
    strncpy(record.Type, type, 4);
    if (marked) record.Type[4] = kPackageInstallMarker;
    strncpy(record.ObjectUrl, path, 259);
    return record;
}

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Ready());
        ASSERT_NE(nullptr, host_.Find(L"StepContentsTab")) << "the page's skin was not built";
    }
    void Connect(const char* url, const char* ids = "7,3") {
        host_.Send(L"romflash_connect", reinterpret_cast<WPARAM>(url), reinterpret_cast<LPARAM>(ids));
    }
    void ShowPage(int page) {
        auto* tab = static_cast<UiLib::CTabLayoutUI*>(host_.Find(L"StepContentsTab")->GetInterface(L"TabLayout"));
        tab->SelectItem(page);
        host_.Window().Settle();
    }

    BrevlinHost host_;
};

TEST_F(PageTest, StartsWaitingForAPhone) {
    EXPECT_EQ(0, host_.CurrentPage());
    EXPECT_TRUE(host_.Find(L"StepIndexTab")->IsVisible());
    EXPECT_FALSE(host_.Find(L"Forward")->IsVisible());
}

TEST_F(PageTest, ConnectWithAValidRecoveryUrlShowsTheRomChoice) {
    Connect("http://127.0.0.1/rec/cancro.zip");
    EXPECT_EQ(1, host_.CurrentPage());
}

TEST_F(PageTest, ConnectWithAShortRecoveryUrlKeepsThePage) {
    Connect("ab/cd");
    EXPECT_EQ(0, host_.CurrentPage());
    // ... but the phone counts as connected: "Return" goes to the ROM choice.
    host_.Click(L"Return");
    EXPECT_EQ(1, host_.CurrentPage());
}

TEST_F(PageTest, DisconnectReturnsToWaitingExceptWhileFlashingOrDone) {
    DialogCloser closer;
    struct Case {
        int page;
        int after;
    };
    for (const Case& c : {Case{1, 0}, Case{2, 0}, Case{3, 3}, Case{4, 4}}) {
        ShowPage(c.page);
        host_.Send(L"romflash_Disconnect");
        EXPECT_EQ(c.after, host_.CurrentPage()) << "disconnected on page " << c.page;
    }
    EXPECT_EQ(1, host_.Main().Count(kPrepareHelper));  // page 2 asked for the phone helper once
}

TEST_F(PageTest, ResultPageHidesTheStepIndex) {
    ShowPage(4);
    host_.Send(L"romflash_runcmd_error");
    EXPECT_EQ(4, host_.CurrentPage());
    EXPECT_FALSE(host_.Find(L"StepIndexTab")->IsVisible());
}

TEST_F(PageTest, BackwardAndForwardStopAtTheEnds) {
    host_.Click(L"Backward");
    EXPECT_EQ(0, host_.CurrentPage());
    ShowPage(4);
    host_.Click(L"Forward");
    EXPECT_EQ(4, host_.CurrentPage());
}

TEST_F(PageTest, ButtonsAskTheMainWindow) {
    const struct {
        const wchar_t* button;
        UINT message;
    } cases[] = {{L"RestoreUsersData", kRestore}, {L"RecommendGames", kGames}, {L"RecommendApps", kApps},
                 {L"Connect", kConnect}};
    for (const auto& c : cases) {
        host_.Main().Clear();
        host_.Click(c.button);
        ASSERT_EQ(1u, host_.Main().Messages().size()) << c.button;
        EXPECT_EQ(c.message, host_.Main().Messages()[0].message);
        EXPECT_EQ(0u, host_.Main().Messages()[0].wParam);
    }
}

TEST_F(PageTest, PhoneDataSetsTheBackupItems) {
    host_.Send(L"romflash_phonedata_status", reinterpret_cast<WPARAM>("contact(3)_msg(0)_calllog(12)"));
    EXPECT_TRUE(Box(host_, L"BackupItemContacts")->IsSelected());
    EXPECT_FALSE(Box(host_, L"BackupItemSmses")->IsSelected());
    EXPECT_FALSE(Box(host_, L"BackupItemSmses")->IsMouseEnabled());
    EXPECT_TRUE(Box(host_, L"BackupItemCallhistorys")->IsSelected());
    EXPECT_EQ(L"12", host_.TextOf(L"BackupItemCallhistorys"));
    EXPECT_FALSE(Box(host_, L"BackupItemApps")->IsSelected());
}

TEST_F(PageTest, FlashDecidedAsksForTheBackupOfTheCheckedItems) {
    DialogCloser closer(2);  // the unfinished-backup warning is refused
    host_.Send(L"romflash_phonedata_status", reinterpret_cast<WPARAM>("contact(3)_msg(0)_calllog(12)"));
    host_.Click(L"FlashDecided");
    EXPECT_EQ(3, host_.CurrentPage());
    ASSERT_EQ(1, host_.Main().Count(kBackup));
    EXPECT_EQ(1u | 4u, host_.Main().Messages().back().wParam);
    EXPECT_EQ(L"正在备份", host_.TextOf(L"FlashingProgressTitle"));
    EXPECT_EQ(L"备份 (0/2)", host_.TextOf(L"FlashingsText-CheckingSomething"));

    host_.Send(L"romflash_backup_recevie", 1, 1);
    EXPECT_EQ(L"联系人备份完成", host_.TextOf(L"FlashingsText-OkSomething"));
    EXPECT_EQ(L"备份 (1/2)", host_.TextOf(L"FlashingsText-CheckingSomething"));
    // Unfinished after the wait and refused: back to the backup page.
    EXPECT_TRUE(host_.WaitForPage(2, 15000));
    EXPECT_EQ(1, closer.Count(L"CMsgBox"));
}

// A copy the main program could not make (lParam 0) is not done: the page
// says which item failed and the flash waits for the user's word. A new
// flash backs up anew: the earlier run's results count for nothing.
TEST_F(PageTest, AFailedBackupCopyIsNotCountedDoneAndTheUserIsAsked) {
    DialogCloser closer(2);  // the unfinished-backup warning is refused
    host_.Send(L"romflash_phonedata_status", reinterpret_cast<WPARAM>("contact(3)_msg(0)_calllog(12)"));
    host_.Click(L"FlashDecided");
    ASSERT_EQ(1, host_.Main().Count(kBackup));
    host_.Send(L"romflash_backup_recevie", 1, 1);
    host_.Send(L"romflash_backup_recevie", 4, 0);
    EXPECT_EQ(L"通话记录备份失败", host_.TextOf(L"FlashingsText-OkSomething"));
    EXPECT_EQ(L"备份 (1/2)，1 项失败", host_.TextOf(L"FlashingsText-CheckingSomething"));
    EXPECT_TRUE(Box(host_, L"BackupItemCallhistorys")->GetUserData() == L"0");
    EXPECT_TRUE(host_.WaitForPage(2, 15000));
    EXPECT_EQ(1, closer.Count(L"CMsgBox"));

    // Flashing again: both items are awaited afresh, and once both copies
    // are here the flash goes on without asking.
    host_.Click(L"FlashDecided");
    ASSERT_EQ(2, host_.Main().Count(kBackup));
    EXPECT_EQ(L"备份 (0/2)", host_.TextOf(L"FlashingsText-CheckingSomething"));
    host_.Send(L"romflash_backup_recevie", 4, 1);
    EXPECT_EQ(L"备份 (1/2)", host_.TextOf(L"FlashingsText-CheckingSomething"));
    host_.Send(L"romflash_backup_recevie", 1, 1);
    EXPECT_EQ(L"联系人备份完成", host_.TextOf(L"FlashingsText-OkSomething"));
    EXPECT_TRUE(host_.WaitForPage(4, 20000));  // no ROM: the damaged-package result
    EXPECT_EQ(1, closer.Count(L"CMsgBox"));
}

TEST_F(PageTest, NoBackupMaskSendsNoBackupMessage) {
    host_.Click(L"FlashDecided");
    EXPECT_EQ(3, host_.CurrentPage());
    EXPECT_EQ(0, host_.Main().Count(kBackup));
    EXPECT_EQ(L"等待设备", host_.TextOf(L"FlashingProgressTitle"));
    // No ROM to check: the flash ends on the result page, with the damaged-package text.
    EXPECT_TRUE(host_.WaitForPage(4, 15000));
    EXPECT_EQ(L"ROM包已损坏", host_.TextOf(L"DonePageInfo"));
}

TEST_F(PageTest, DownloaderRequestsWithoutTheMarkAreIgnored) {
    DialogCloser closer;
    PackageRecord app = Request("1", false, "C:\\apps\\a.apk");
    host_.Send(L"romflash_update_downloader", reinterpret_cast<WPARAM>(&app));
    uiharness::PumpFor(300);
    EXPECT_TRUE(closer.Seen().empty());
}

TEST_F(PageTest, MarkedRequestsWithoutAPhoneAreRefusedWithABalloon) {
    DialogCloser closer;
    for (const char* type : {"0", "1", "2"}) {
        PackageRecord record = Request(type, true, "C:\\pkgs\\p.zip");
        host_.Send(L"romflash_update_downloader", reinterpret_cast<WPARAM>(&record));
    }
    EXPECT_EQ(3, closer.Count(L"CBallonTip"));
    EXPECT_EQ(0, host_.CurrentPage());
}

TEST_F(PageTest, RomRequestWhileFlashingIsRefused) {
    DialogCloser closer;
    Connect("http://127.0.0.1/rec/cancro.zip");
    ShowPage(3);
    PackageRecord rom = Request("0", true, "C:\\roms\\other.zip");
    host_.Send(L"romflash_update_downloader", reinterpret_cast<WPARAM>(&rom));
    EXPECT_EQ(1, closer.Count(L"CBallonTip"));
    EXPECT_EQ(3, host_.CurrentPage());
}

TEST_F(PageTest, AppInstallResultIsShown) {
    // An adb server without a phone, stopped again at the end (one the bridge
    // started itself would outlive the test).
    AdbServerPeer adb;
    adb.SetScenario("state=none\n");
    DialogCloser closer;
    Connect("http://127.0.0.1/rec/cancro.zip");
    PackageRecord app = Request("1", true, "C:\\apps\\missing.apk");
    host_.Send(L"romflash_update_downloader", reinterpret_cast<WPARAM>(&app));
    // No phone answers: the install fails after its wait, and says so.
    EXPECT_TRUE(uiharness::PumpUntil([&] { return closer.Count(L"CBallonTip") == 1; }, 30000));
}

}  // namespace
