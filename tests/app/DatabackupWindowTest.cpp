// The backup window in-process, drawn under the test X server and driven by
// mouse clicks where its skin puts its controls: what it asks the phone for,
// replies it must not count, a copy that fails, a phone that stays silent
// for long and then answers, and a link to the phone that is lost.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AdbTestPeers.h"
#include "InProcessUi.h"
#include "TestPaths.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "backup/BackupListFile.h"
#include "backup/Databackup.h"
#include "core/manager/UIManager.h"
#include "messages/AppMessages.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

constexpr POINT kContactsOption = {92, 225};
constexpr POINT kMessagesOption = {207, 225};
constexpr POINT kBackupRun = {309, 428};

// Stands in for the main window: records the requests the window sends it
// and answers its questions about the link to the phone.
class RequestSink {
public:
    RequestSink() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &RequestSink::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BackupRequestSink";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~RequestSink() { DestroyWindow(hwnd_); }
    HWND Hwnd() const { return hwnd_; }
    std::vector<std::string> requests;
    int linkChecks = 0;
    bool linkLost = false;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<RequestSink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && (msg == appmsg::kSendPhoneRequest || msg == appmsg::kSendPhoneRequest2) && wp) {
            self->requests.push_back(reinterpret_cast<const char*>(wp));
            return 0;
        }
        if (self && msg == appmsg::kPhoneLinkState) {
            ++self->linkChecks;
            return self->linkLost ? appmsg::kPhoneLinkLost : 1;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND hwnd_ = nullptr;
};

void Click(HWND window, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    SendMessageW(window, WM_MOUSEMOVE, 0, where);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(window, WM_LBUTTONUP, 0, where);
    uiharness::PumpFor(100);
}

// The adb server the window's copies go through, with a phone attached: one
// that lives as long as the program answers them, so the bridge never
// starts a server of its own that would stay behind on the adb port.
AdbServerPeer& Adb() {
    static AdbServerPeer adb;
    return adb;
}

struct DatabackupWindow : ::testing::Test {
    RequestSink sink;
    CDatabackup* window = nullptr;
    testsupport::ScratchDir backups;
    const std::wstring settings = testsupport::ProgramFolder() + L"data\\BrushConfig.dat";

    void SetUp() override {
        Adb().SetScenario("state=device\nserial=WINDOW01\n");
        CreateDirectoryW((testsupport::ProgramFolder() + L"data").c_str(), nullptr);
        WritePrivateProfileStringW(L"BackupDir", L"BackupPath", backups.Path().c_str(), settings.c_str());
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourcePath((apptest::InstallationFolder() + L"skin").c_str());
        CPaintManagerUI::SetResourceZip(L"Torvanik.zip", false);
        WindowImplBase::SetSkinFailureHandler([](WindowImplBase*) {});
    }
    void Open(UINT linkCheckMs) {
        window = CDatabackup::Open(sink.Hwnd(), CDatabackup::kModeBackup, PhoneCounts{3, 0, 2}, linkCheckMs);
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(uiharness::PumpUntil([&] { return IsWindowVisible(window->GetHWND()) != FALSE; }));
        uiharness::PumpFor(300);
    }
    bool Visible(const wchar_t* name) {
        CControlUI* control = window->m_PaintManager.FindControl(name);
        return control && control->IsVisible();
    }
    void TearDown() override {
        if (window && IsWindow(window->GetHWND())) DestroyWindow(window->GetHWND());
        uiharness::PumpFor(100);
        WritePrivateProfileStringW(L"BackupDir", L"BackupPath", nullptr, settings.c_str());
    }
};

}  // namespace

TEST_F(DatabackupWindow, NothingIsAskedForUntilAnItemIsChosen) {
    Open(CDatabackup::kLinkCheckMs);
    Click(window->GetHWND(), kBackupRun);
    EXPECT_TRUE(sink.requests.empty());
    EXPECT_EQ(L"请先选择要备份的数据", window->PromptText());
    EXPECT_FALSE(window->Busy());

    Click(window->GetHWND(), kMessagesOption);  // no messages on the phone: the option stays off
    Click(window->GetHWND(), kContactsOption);
    Click(window->GetHWND(), kBackupRun);
    ASSERT_EQ(std::vector<std::string>{"backup_1"}, sink.requests);
    EXPECT_TRUE(window->Busy());
    EXPECT_EQ(1, window->PendingBackupMask());
}

// The phone says nothing for longer than a minute (the window's link checks
// come every 20 ms here instead of every 5 s: 13 of them stand for 65 s of
// silence), then answers: the window has kept waiting, its animation
// running, and the late answer completes the backup.
TEST_F(DatabackupWindow, ASilentPhoneIsWaitedForAndItsLateAnswerCompletesTheBackup) {
    const char stamp[] = "2015-12-08-10-00-00";
    const std::string contacts = "BEGIN:VCARD\r\nFN:甲\r\nEND:VCARD\r\n";
    const std::wstring onPhone = Adb().PhoneFile(L"/storage/emulated/0/doruvadedi/" + AnsiToWide(stamp) + L".vcf");
    std::filesystem::create_directories(std::filesystem::path(onPhone).parent_path());
    ASSERT_TRUE(testsupport::WriteFileBytes(onPhone, contacts));
    const UINT checkMs = 20;
    Open(checkMs);
    Click(window->GetHWND(), kContactsOption);
    Click(window->GetHWND(), kBackupRun);
    ASSERT_EQ(std::vector<std::string>{"backup_1"}, sink.requests);
    const int silentChecks = (65000 + CDatabackup::kLinkCheckMs - 1) / CDatabackup::kLinkCheckMs;
    ASSERT_TRUE(uiharness::PumpUntil([&] { return sink.linkChecks >= silentChecks; }, 20000));
    EXPECT_TRUE(window->Busy());
    EXPECT_EQ(L"正在备份数据，请稍等...", window->PromptText());
    EXPECT_TRUE(Visible(L"Contactorgif"));
    const uiharness::Snapshot before = uiharness::CaptureWindow(window->GetHWND());
    uiharness::PumpFor(300);
    const uiharness::Snapshot after = uiharness::CaptureWindow(window->GetHWND());
    const RECT gif = window->m_PaintManager.FindControl(L"Contactorgif")->GetPos();
    bool turned = false;  // a later frame of the animation is drawn
    for (LONG y = gif.top; y < gif.bottom && !turned; ++y)
        for (LONG x = gif.left; x < gif.right && !turned; ++x)
            turned = before.pixels[y * before.width + x] != after.pixels[y * after.width + x];
    EXPECT_TRUE(turned);
    apptest::SaveShotIfAsked(after, L"databackup-waiting");

    const std::string reply = std::string("backup_1_/storage/emulated/0/doruvadedi/") + stamp + ".vcf";
    SendMessageW(window->GetHWND(), appmsg::kAndroidMsg, reinterpret_cast<WPARAM>(reply.c_str()),
                 reinterpret_cast<LPARAM>("phone"));
    // The file is copied on a copy thread; the window hears when it ended.
    EXPECT_TRUE(uiharness::PumpUntil([&] { return !window->Busy(); }, 10000));
    EXPECT_EQ(0, window->PendingBackupMask());
    EXPECT_EQ(contacts, testsupport::ReadFileBytes(backups.File(AnsiToWide(stamp) + L"\\" + AnsiToWide(stamp) + L".vcf")));
    EXPECT_TRUE(Visible(L"LabelComplete"));
    // Done: no more checks of the link.
    const int checks = sink.linkChecks;
    uiharness::PumpFor(200);
    EXPECT_EQ(checks, sink.linkChecks);
}

// Only a lost link ends the wait: the user is told and the items stop turning.
TEST_F(DatabackupWindow, ALostLinkEndsTheWaitAndSaysSo) {
    Open(20);
    Click(window->GetHWND(), kContactsOption);
    Click(window->GetHWND(), kBackupRun);
    ASSERT_TRUE(window->Busy());
    ASSERT_TRUE(uiharness::PumpUntil([&] { return sink.linkChecks >= 3; }, 5000));
    EXPECT_TRUE(window->Busy());
    sink.linkLost = true;
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !window->Busy(); }, 5000));
    EXPECT_EQ(L"与手机的连接已断开，备份未完成，请检查手机连接后重试", window->PromptText());
    EXPECT_FALSE(Visible(L"Contactorgif"));
    EXPECT_TRUE(Visible(L"BtnDatabackupCancel"));
    uiharness::PumpFor(100);
    apptest::SaveShotIfAsked(uiharness::CaptureWindow(window->GetHWND()), L"databackup-link-lost");
}

TEST_F(DatabackupWindow, RepliesForItemsNotAwaitedChangeNothingAndAFailedCopyStops) {
    Open(CDatabackup::kLinkCheckMs);
    Click(window->GetHWND(), kContactsOption);
    Click(window->GetHWND(), kBackupRun);
    ASSERT_TRUE(window->Busy());
    const char other[] = "backup_4_/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcl";
    SendMessageW(window->GetHWND(), appmsg::kAndroidMsg, reinterpret_cast<WPARAM>(other),
                 reinterpret_cast<LPARAM>("phone"));
    EXPECT_EQ(1, window->PendingBackupMask());
    EXPECT_TRUE(window->Busy());

    // The phone has no such file: the backup stops and says which item failed.
    const char contacts[] = "backup_1_/storage/emulated/0/doruvadedi/2015-12-08-11-00-00.vcf";
    SendMessageW(window->GetHWND(), appmsg::kAndroidMsg, reinterpret_cast<WPARAM>(contacts),
                 reinterpret_cast<LPARAM>("phone"));
    EXPECT_TRUE(uiharness::PumpUntil([&] { return !window->Busy(); }, 10000));
    EXPECT_EQ(1, window->PendingBackupMask());
    EXPECT_EQ(L"联系人未能复制到电脑，备份失败，请检查手机连接后重试", window->PromptText());
}

// A restore counts the items of each file for its labels without holding up
// the phone's answer to "getDir": the counts show, and once the phone names
// its restore folder every file is pushed there and the restore asked for.
TEST_F(DatabackupWindow, RestoreShowsTheCountsAndPushesOnceThePhoneNamesItsFolder) {
    const std::string stamp = "2026-01-02-03-04-05";
    const std::wstring base = backups.File(L"2026-01-02-03-04-05");
    const std::string files[] = {"BEGIN:VCARD\r\nFN:a\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD\r\n",
                                 "<sms date=\"1\" /><sms date=\"2\" />\n<sms date=\"3\" />\n", "[{\"a\":1},{\"a\":2}]\n"};
    const wchar_t* extensions[] = {L".vcf", L".xml", L".vcl"};
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(testsupport::WriteFileBytes(base + extensions[i], files[i]));
    const std::wstring list = BackupListPath();
    ASSERT_TRUE(CreateBackupList(list));
    ASSERT_TRUE(AppendBackupRecord(list, MakeBackupRecord(stamp, "phone", WideToAnsi(base))));
    window = CDatabackup::Open(sink.Hwnd(), CDatabackup::kModeRestore, PhoneCounts{0, 0, 0});
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(uiharness::PumpUntil([&] { return IsWindowVisible(window->GetHWND()) != FALSE; }));
    uiharness::PumpFor(300);
    Click(window->GetHWND(), {652, 140});  // the backup's point in the list
    Click(window->GetHWND(), kBackupRun);  // "BtnRestoerRun" stands where "BtnDatabackupRun" does
    ASSERT_EQ(std::vector<std::string>{"getDir"}, sink.requests);
    auto text = [&](const wchar_t* name) {
        CControlUI* label = window->m_PaintManager.FindControl(name);
        return label ? std::wstring(label->GetText().GetData()) : std::wstring();
    };
    EXPECT_TRUE(uiharness::PumpUntil([&] {
        return text(L"ContactorsNum") == L"2 个联系人" && text(L"MessageNum") == L"3 条短信" &&
               text(L"CalllRecordNum") == L"2 条通话记录";
    })) << WideToUtf8(text(L"ContactorsNum") + L"|" + text(L"MessageNum") + L"|" + text(L"CalllRecordNum"));

    const char folder[] = "restoreDir_/sdcard/doruvadedi/restore/#";
    SendMessageW(window->GetHWND(), appmsg::kAndroidMsgOther, reinterpret_cast<WPARAM>(folder), 0);
    const std::string restore = "restore_7_" + stamp + "_" + stamp;
    EXPECT_TRUE(uiharness::PumpUntil([&] { return sink.requests.size() == 2; }, 20000));
    EXPECT_EQ((std::vector<std::string>{"getDir", restore}), sink.requests);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(files[i], testsupport::ReadFileBytes(
                                Adb().PhoneFile(L"/sdcard/doruvadedi/restore/2026-01-02-03-04-05" + std::wstring(extensions[i]))));
    DeleteFileW(list.c_str());
}
