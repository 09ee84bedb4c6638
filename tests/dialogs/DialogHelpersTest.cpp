// The shared modal dialogs: their close codes through real clicks, their
// placement, the message text and the balloon that closes itself (its skin
// timer or a lost focus).
#include "UiHarness.h"
#include "dialogs/DialogHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace UiLib;

namespace {

const wchar_t kSkinFolder[] = L"\\skins\\dialogs";

// Each dialog finds its skin under the program folder, as in the programs.
void UseProgramFolderSkins() {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourceZip(nullptr, false);
    CPaintManagerUI::SetResourcePath(L"");
}

// The dialog once its modal loop runs: it is created visible, so it can be
// found before it is placed; a sent message is handled only by the loop.
HWND WaitForWindow(const wchar_t* className) {
    for (int i = 0; i < 2000; ++i) {
        if (HWND hwnd = ::FindWindowW(className, nullptr)) {
            DWORD_PTR result = 0;
            if (::SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result)) return hwnd;
        }
        ::Sleep(10);
    }
    return nullptr;
}

// Runs `act` on the dialog from another thread while the test thread runs it modally.
class DialogDriver {
public:
    DialogDriver(const wchar_t* className, std::function<void(HWND)> act)
        : thread_([this, className, act] {
              hwnd_ = WaitForWindow(className);
              if (hwnd_) act(hwnd_);
          }) {}
    ~DialogDriver() { Finish(); }
    HWND Window() {
        Finish();
        return hwnd_;
    }

private:
    void Finish() {
        if (thread_.joinable()) thread_.join();
    }

    std::atomic<HWND> hwnd_{nullptr};
    std::thread thread_;
};

void ClickAt(HWND hwnd, int x, int y) {
    ::Sleep(100);  // let the first paint send "windowinit"
    LPARAM at = MAKELPARAM(x, y);
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

struct ButtonCase {
    const char* button;
    int x, y;
    UINT expected;
};

TEST(DialogHelpers, MessageBoxButtonsGiveTheirCloseCodes) {
    UseProgramFolderSkins();
    uiharness::HarnessWindow parent(400, 300);
    const ButtonCase cases[] = {{"ok", 80, 125, 1}, {"cancel", 220, 125, 2}, {"close", 285, 12, 0}};
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.button);
        DialogDriver driver(L"CMsgBox", [&](HWND hwnd) { ClickAt(hwnd, c.x, c.y); });
        EXPECT_EQ(ShowMsgBox(kSkinFolder, L"\\Message.xml", L"提示", parent.Hwnd(), -1, -1, L""), c.expected);
        EXPECT_NE(driver.Window(), nullptr);
    }
    EXPECT_TRUE(::IsWindowEnabled(parent.Hwnd()));
}

TEST(DialogHelpers, ABasicDialogClosesOnlyThroughClose) {
    UseProgramFolderSkins();
    uiharness::HarnessWindow parent(400, 300);
    DialogDriver driver(L"CBasicDialog", [](HWND hwnd) {
        ClickAt(hwnd, 80, 125);  // "ok" means nothing to the plain dialog
        ClickAt(hwnd, 285, 12);
    });
    EXPECT_EQ(ShowBasicDialog(kSkinFolder, L"\\Message.xml", L"提示", parent.Hwnd(), -1, -1, L"x"), 0u);
}

TEST(DialogHelpers, PlacedAtThePointOrCentredOnTheParentWhenEitherIsMinusOne) {
    UseProgramFolderSkins();
    uiharness::HarnessWindow parent(400, 300);
    ::SetWindowPos(parent.Hwnd(), nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT owner = {};
    ::GetWindowRect(parent.Hwnd(), &owner);
    struct Case {
        int x, y;
        bool centred;
    } cases[] = {{150, 120, false}, {-1, 200, true}, {200, -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        RECT placed = {};
        DialogDriver driver(L"CMsgBox", [&](HWND hwnd) {
            ::GetWindowRect(hwnd, &placed);
            ClickAt(hwnd, 285, 12);
        });
        ShowMsgBox(kSkinFolder, L"\\Message.xml", L"提示", parent.Hwnd(), c.x, c.y, L"");
        driver.Window();
        EXPECT_EQ(placed.right - placed.left, 300);
        EXPECT_EQ(placed.bottom - placed.top, 160);
        if (c.centred) {
            EXPECT_NEAR((placed.left + placed.right) / 2, (owner.left + owner.right) / 2, 1);
            EXPECT_NEAR((placed.top + placed.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
        } else {
            EXPECT_EQ(placed.left, c.x);
            EXPECT_EQ(placed.top, c.y);
        }
    }
}

// The dialog object itself, created on the test thread, to read its controls.
TEST(DialogHelpers, TheMessageReplacesTheSkinTextOnlyWhenGiven) {
    UseProgramFolderSkins();
    const struct {
        const wchar_t* message;
        const wchar_t* shown;
    } cases[] = {{L"手机已断开", L"手机已断开"}, {L"", L"皮肤自带的提示"}};
    for (const auto& c : cases) {
        CBasicDialog dialog(kSkinFolder, L"\\Message.xml", L"CBasicDialog", c.message);
        ASSERT_NE(dialog.Create(nullptr, L"提示", 0x96C80000, 0x81, 0, 0, -1, -1), nullptr);
        ::ShowWindow(dialog.GetHWND(), SW_SHOWNOACTIVATE);
        CControlUI* info = dialog.m_PaintManager.FindControl(L"info");
        ASSERT_NE(info, nullptr);
        EXPECT_TRUE(uiharness::PumpUntil([&] { return info->GetText() == c.shown; }));
        EXPECT_EQ(::GetWindowLongPtrW(dialog.GetHWND(), GWL_STYLE) & WS_MAXIMIZEBOX, 0);
        ::DestroyWindow(dialog.GetHWND());
    }
}

TEST(DialogHelpers, ABalloonClosesItselfWhenItsTimerHasRunItsLife) {
    UseProgramFolderSkins();
    uiharness::HarnessWindow parent(400, 300);
    DWORD start = ::GetTickCount();
    EXPECT_EQ(ShowBallonTip(kSkinFolder, L"\\Balloon.xml", L"", parent.Hwnd(), 300, 300, L"已复制"), 1u);
    DWORD took = ::GetTickCount() - start;
    // Nothing else can close it: the first tick (200 ms) did.
    EXPECT_GE(took, 150u);
}

TEST(DialogHelpers, ABalloonClosesWhenAnotherWindowTakesTheFocus) {
    UseProgramFolderSkins();
    uiharness::HarnessWindow parent(400, 300);
    DialogDriver driver(L"CBallonTip", [&](HWND hwnd) {
        ::Sleep(50);
        // Focus moves to the parent's thread's window: the balloon sees WM_KILLFOCUS.
        ::SendMessageW(hwnd, WM_KILLFOCUS, reinterpret_cast<WPARAM>(parent.Hwnd()), 0);
    });
    // A long timer, so only the lost focus can close it in time.
    CBallonTip tip(kSkinFolder, L"\\Message.xml", L"CBallonTip", L"");
    ASSERT_NE(tip.Create(parent.Hwnd(), L"", 0x96C80000, 0x81, 10, 10, -1, -1), nullptr);
    EXPECT_EQ(tip.ShowModal(), 1u);
    driver.Window();
}

TEST(TimerControl, NotifiesItsOwnerEveryPauseUntilItsLifeIsUsedUp) {
    struct Recorder : INotifyUI {
        int ticks = 0;
        CUiString type;
        void Notify(TNotifyUI& msg) override {
            ++ticks;
            type = msg.sType;
        }
    } recorder;
    uiharness::HarnessWindow window(100, 100);
    auto* root = new CContainerUI;
    auto* timer = new CTimerUI(&recorder);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } attributes[] = {{L"id", L"9"}, {L"life", L"150"}, {L"pause", L"50"}, {L"message", L"beat"}};
    for (const auto& a : attributes) timer->SetAttribute(a.name, a.value);
    root->Add(timer);
    ASSERT_TRUE(window.Show(root));
    EXPECT_TRUE(uiharness::PumpUntil([&] { return recorder.ticks >= 3; }));
    uiharness::PumpFor(300);
    EXPECT_EQ(recorder.ticks, 3);
    EXPECT_EQ(recorder.type, L"beat");
    EXPECT_EQ(timer->TimerId(), 9u);
}

}  // namespace
