// The backup window in-process, drawn under the test X server and driven by
// mouse clicks where its skin puts its controls: what it asks the phone for,
// replies it must not count, a copy that fails and a phone that goes silent.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "AdbTestPeers.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "backup/Databackup.h"
#include "core/manager/UIManager.h"
#include "messages/AppMessages.h"

using namespace UiLib;

namespace {

constexpr POINT kContactsOption = {92, 225};
constexpr POINT kMessagesOption = {207, 225};
constexpr POINT kBackupRun = {309, 428};

// Stands in for the main window: records the requests the window sends it.
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

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<RequestSink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && (msg == appmsg::kSendPhoneRequest || msg == appmsg::kSendPhoneRequest2) && wp) {
            self->requests.push_back(reinterpret_cast<const char*>(wp));
            return 0;
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

struct DatabackupWindow : ::testing::Test {
    RequestSink sink;
    CDatabackup* window = nullptr;

    void SetUp() override {
        // The window's copies go through the adb server: one that lives as
        // long as the program answers them (the phone has no such files), so
        // the bridge never starts a server of its own that would stay behind
        // on the adb port. Stopped when the program ends.
        static AdbServerPeer adb;
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourcePath((apptest::InstallationFolder() + L"skin").c_str());
        CPaintManagerUI::SetResourceZip(L"Torvanik.zip", false);
        WindowImplBase::SetSkinFailureHandler([](WindowImplBase*) {});
    }
    void Open(UINT timeoutMs) {
        window = CDatabackup::Open(sink.Hwnd(), CDatabackup::kModeBackup, PhoneCounts{3, 0, 2}, timeoutMs);
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(uiharness::PumpUntil([&] { return IsWindowVisible(window->GetHWND()) != FALSE; }));
        uiharness::PumpFor(300);
    }
    void TearDown() override {
        if (window && IsWindow(window->GetHWND())) DestroyWindow(window->GetHWND());
        uiharness::PumpFor(100);
    }
};

}  // namespace

TEST_F(DatabackupWindow, NothingIsAskedForUntilAnItemIsChosenAndASilentPhoneTimesOut) {
    Open(1500);
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

    ASSERT_TRUE(uiharness::PumpUntil([&] { return !window->Busy(); }, 5000));
    EXPECT_EQ(L"手机没有响应，备份未完成，请检查手机连接后重试", window->PromptText());
}

TEST_F(DatabackupWindow, RepliesForItemsNotAwaitedChangeNothingAndAFailedCopyStops) {
    Open(CDatabackup::kDefaultTimeoutMs);
    Click(window->GetHWND(), kContactsOption);
    Click(window->GetHWND(), kBackupRun);
    ASSERT_TRUE(window->Busy());
    const char other[] = "backup_4_/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcl";
    SendMessageW(window->GetHWND(), appmsg::kAndroidMsg, reinterpret_cast<WPARAM>(other),
                 reinterpret_cast<LPARAM>("phone"));
    EXPECT_EQ(1, window->PendingBackupMask());
    EXPECT_TRUE(window->Busy());

    // No phone answers the copy: the backup stops and says which item failed.
    const char contacts[] = "backup_1_/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcf";
    SendMessageW(window->GetHWND(), appmsg::kAndroidMsg, reinterpret_cast<WPARAM>(contacts),
                 reinterpret_cast<LPARAM>("phone"));
    EXPECT_FALSE(window->Busy());
    EXPECT_EQ(1, window->PendingBackupMask());
    EXPECT_EQ(L"联系人未能复制到电脑，备份失败，请检查手机连接后重试", window->PromptText());
}
