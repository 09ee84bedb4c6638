// The main program's small dialogs, run as the frame runs them, from the
// skins of the installation: real clicks on their controls give their close
// codes, their texts are read back from the controls, and each is saved as a
// screenshot in bin\screenshots\.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "PngWriter.h"
#include "TestPaths.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "WebServicePeer.h"
#include "core/window/WindowImplBase.h"
#include "dialogs/DialogHelpers.h"
#include "dialogs/SmallDialogs.h"

using namespace UiLib;

namespace {

// The dialogs read their skins from the installation's skin archive, as the
// program does.
void UseInstalledSkins() {
    CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourcePath((apptest::InstallationFolder() + L"skin").c_str());
    CPaintManagerUI::SetResourceZip(L"Torvanik.zip", false);
}

WindowImplBase* DialogOf(HWND hwnd) {
    return dynamic_cast<WindowImplBase*>(reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
}

// The dialog of that class and title once its modal loop answers and its
// controls are built.
HWND WaitForDialog(const wchar_t* className, const wchar_t* title) {
    for (int i = 0; i < 1000; ++i) {
        if (HWND hwnd = FindWindowW(className, title)) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result)) {
                Sleep(150);  // the first paint sends "windowinit"
                return hwnd;
            }
        }
        Sleep(10);
    }
    return nullptr;
}

CControlUI* ControlOf(HWND dialog, const wchar_t* name) {
    WindowImplBase* window = DialogOf(dialog);
    return window ? window->m_PaintManager.FindControl(name) : nullptr;
}

// The control's text once the dialog's "windowinit" has set it (a loaded
// machine may paint late; the skins leave these texts empty), or "" after 10 s.
std::wstring TextOnceSet(HWND dialog, const wchar_t* name) {
    for (int i = 0; i < 1000; ++i) {
        CControlUI* control = ControlOf(dialog, name);
        if (control && !control->GetText().IsEmpty()) return control->GetText().GetData();
        Sleep(10);
    }
    return L"";
}

// A real click in the middle of the named control.
bool ClickControl(HWND dialog, const wchar_t* name) {
    CControlUI* control = ControlOf(dialog, name);
    if (!control) return false;
    const RECT rc = control->GetPos();
    const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SendMessageW(dialog, WM_MOUSEMOVE, 0, at);
    SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(dialog, WM_LBUTTONUP, 0, at);
    return true;
}

void Screenshot(HWND dialog, const wchar_t* name) {
    const uiharness::Snapshot shot = uiharness::CaptureScreen(dialog);
    std::vector<uint32_t> argb(shot.pixels.size());
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = 0xFF000000u | shot.pixels[i];
    const std::wstring folder = testsupport::ProgramFolder() + L"screenshots\\";
    std::filesystem::create_directories(folder);
    testsupport::WritePng(folder + name, shot.width, shot.height, argb);
}

// Runs `act` on another thread once the dialog is up, while the test thread
// runs the dialog.
class Driver {
public:
    Driver(const wchar_t* className, const wchar_t* title, std::function<void(HWND)> act)
        : thread_([=] {
              if (HWND hwnd = WaitForDialog(className, title)) {
                  found_ = true;
                  act(hwnd);
              }
          }) {}
    ~Driver() { Join(); }
    bool Found() {
        Join();
        return found_;
    }

private:
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<bool> found_{false};
    std::thread thread_;
};

struct ApplyCase {
    const wchar_t* button;
    UINT expected;
};

}  // namespace

TEST(SmallDialogs, TheModelApplicationNamesThePhoneAndEachButtonGivesItsResult) {
    UseInstalledSkins();
    uiharness::HarnessWindow main(400, 300);
    const ApplyCase cases[] = {{L"btnClose", 1}, {L"btnRom", 2}, {L"btnMust", 3}, {L"btnUrl", 4}};
    for (const ApplyCase& c : cases) {
        std::wstring label, tip;
        Driver driver(L"ApplyPhoneRom", L"ApplyPhoneRom", [&](HWND dialog) {
            label = TextOnceSet(dialog, L"ApplyRomphoneModel");
            if (CControlUI* model = ControlOf(dialog, L"ApplyRomphoneModel")) tip = model->GetToolTip().GetData();
            if (c.expected == 1) Screenshot(dialog, L"apply-phone-rom.png");
            if (!ClickControl(dialog, c.button)) PostMessageW(dialog, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(c.expected, ShowApplyPhoneRom(main.Hwnd(), L"小米 MI 4LTE")) << c.expected;
        EXPECT_TRUE(driver.Found());
        EXPECT_EQ(L"手机小米 MI 4LTE 申请成功！", label);
        EXPECT_EQ(label, tip);
    }
}

TEST(SmallDialogs, TheNetworkDialogStaysWhileOfflineAndClosesOnceTheProbeHostAnswers) {
    UseInstalledSkins();
    uiharness::HarnessWindow main(400, 300);
    testpeers::WebServicePeer web;
    web.SetHtml("", "<title>probe</title>");
    SetEnvironmentVariableA("TORVANIK_PROBE_HOST", "127.0.0.1:1");  // nothing listens there
    bool stayed = false;
    Driver driver(L"ConnectFailDialog", L"NetFail", [&](HWND dialog) {
        Screenshot(dialog, L"net-connect-err.png");
        ClickControl(dialog, L"BtnRetry");
        Sleep(300);
        stayed = IsWindow(dialog) && IsWindowVisible(dialog);
        SetEnvironmentVariableA("TORVANIK_PROBE_HOST", web.HostAndPort().c_str());
        ClickControl(dialog, L"BtnRetry");
    });
    EXPECT_EQ(1u, ShowNetConnectErr(main.Hwnd()));
    EXPECT_TRUE(driver.Found());
    EXPECT_TRUE(stayed);
    SetEnvironmentVariableA("TORVANIK_PROBE_HOST", nullptr);

    for (const wchar_t* button : {L"BtnYes", L"BtnClose"}) {
        Driver closer(L"ConnectFailDialog", L"NetFail", [&](HWND dialog) { ClickControl(dialog, button); });
        EXPECT_EQ(1u, ShowNetConnectErr(main.Hwnd()));
    }
}

TEST(SmallDialogs, TheVersionDialogShowsTheVersionCaption) {
    UseInstalledSkins();
    uiharness::HarnessWindow main(400, 300);
    std::wstring text;
    Driver driver(L"CBrushVersion", L"BrushVersion", [&](HWND dialog) {
        text = TextOnceSet(dialog, L"LaVerDetail");
        Screenshot(dialog, L"brush-version.png");
        ClickControl(dialog, L"BtnClose");
    });
    ShowBrushVersion(main.Hwnd());
    EXPECT_TRUE(driver.Found());
    EXPECT_EQ(0u, text.find(L"版本号: V")) << text;
}

TEST(SmallDialogs, OneAuthorisationDialogAtATimeAndItsCloseButtonEndsIt) {
    UseInstalledSkins();
    uiharness::HarnessWindow main(400, 300);
    ShowAuthorizeDlg(main.Hwnd());
    ShowAuthorizeDlg(main.Hwnd());  // brings the first one up again
    HWND dialog = FindWindowW(L"AuthorlizeClass", L"AutolizeDlg");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), main.Hwnd());
    int count = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"AuthorlizeClass", nullptr)) != nullptr;) ++count;
    EXPECT_EQ(1, count);
    uiharness::PumpFor(300);
    Screenshot(dialog, L"authorize.png");
    ASSERT_TRUE(ClickControl(dialog, L"BtnClose"));
    EXPECT_TRUE(uiharness::PumpUntil([] { return FindWindowW(L"AuthorlizeClass", L"AutolizeDlg") == nullptr; }, 5000));
}

TEST(SmallDialogs, TheCompanionAppFailureShowsTheInformationDialogWithItsSkinText) {
    UseInstalledSkins();
    std::wstring text;
    Driver driver(L"CBasicDialog", L"DlgInfo", [&](HWND dialog) {
        if (CControlUI* info = ControlOf(dialog, L"info")) text = info->GetText().GetData();
        Screenshot(dialog, L"dlg-info.png");
        ClickControl(dialog, L"close");
    });
    EXPECT_EQ(0u, ShowBasicDialog(L"skin\\Torvanik", L"DlgInfo.xml", L"DlgInfo", nullptr, -1, -1, L""));
    EXPECT_TRUE(driver.Found());
    EXPECT_FALSE(text.empty());
}
