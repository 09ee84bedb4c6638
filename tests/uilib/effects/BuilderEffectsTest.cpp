// The skin builder's action scripts and the Window's shadow and tray
// attributes, in a real window: an action bound in the skin plays on its
// real timers when the button is clicked.
#include "UiHarness.h"
#include "controls/UIButton.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

std::vector<NOTIFYICONDATAW> g_trayCalls;
BOOL WINAPI RecordTray(DWORD, PNOTIFYICONDATAW data) {
    g_trayCalls.push_back(*data);
    return TRUE;
}

const wchar_t kSkin[] = LR"(<Window size="200,120" shadowsize="25" shadowsharpness="7" shadowdarkness="300"
    shadowposition="3,4" shadowcolor="#FF112233" showshadow="true" trayiconid="5" traytiptext="托盘提示">
  <ActionScript>
    <AGroup name="grow" msgtype="notify" msgvalue="click" defaultinterval="10" defaulttimer="100">
      <Property name="bkcolor" type="color" startvalue="none" endvalue="#FF00FF00" />
      <Property name="height" type="int" startvalue="5" endvalue="5" />
    </AGroup>
    <AGroup name="ticking" msgtype="timer" msgvalue="1">
      <Property name="width" type="int" startvalue="0" endvalue="9" />
    </AGroup>
    <AGroup name="halfway" msgtype="notify" defaulttimer="100">
      <Property name="width" type="int" startvalue="0" endvalue="9" />
    </AGroup>
    <AGroup name="tint" msgtype="event" msgvalue="11" defaultinterval="10" defaulttimer="50">
      <Property name="bkcolor" type="color" startvalue="#FF000000" endvalue="#FF00FF00" interval="5" />
    </AGroup>
  </ActionScript>
  <Container bkcolor="#FFFFFFFF">
    <Button name="grower" float="true" pos="10,10,30,40" bkcolor="#FF0000FF" action="grow" />
  </Container>
</Window>)";

TEST(BuilderEffects, ActionScriptGroupsAndPropertiesAreReadAsDeclared) {
    HarnessWindow window(200, 120);
    ShellNotifyIconProc previous = CUiTrayIcon::SetShellNotifyIcon(&RecordTray);
    g_trayCalls.clear();
    CDialogBuilder builder;
    CControlUI* root = builder.Create(STRINGorID(kSkin), nullptr, nullptr, &window.Manager());
    ASSERT_NE(root, nullptr);
    CPaintManagerUI& pm = window.Manager();

    tagTActionGroup* grow = pm.GetActionGroup(L"grow");
    ASSERT_NE(grow, nullptr);
    EXPECT_EQ(std::wstring(grow->sNotifyType), L"click");
    EXPECT_EQ(grow->iInterval, 10);
    EXPECT_EQ(grow->aProperties.GetSize(), 1);  // equal start and end: skipped
    EXPECT_EQ(pm.GetActionGroup(L"ticking"), nullptr);
    EXPECT_EQ(pm.GetActionGroup(L"halfway"), nullptr);
    tagTActionGroup* tint = pm.GetActionGroup(L"tint");
    ASSERT_NE(tint, nullptr);
    EXPECT_EQ(tint->iEventType, 11);
    auto* colour = static_cast<tagTProperty*>(tint->aProperties.GetAt(0));
    EXPECT_EQ(colour->iInterval, 5);  // its own interval
    EXPECT_EQ(colour->iTimer, 50);    // the group's timer

    CShadowUI* shadow = pm.GetShadow();
    EXPECT_EQ(shadow->GetSize(), 0);  // 25 is beyond what a skin may set
    EXPECT_EQ(shadow->GetSharpness(), 7);
    EXPECT_EQ(shadow->GetDarkness(), 150);  // 300 is ignored
    EXPECT_EQ(shadow->GetOffsetX(), 3);
    EXPECT_EQ(shadow->GetOffsetY(), 4);
    EXPECT_EQ(shadow->GetColor(), 0xFF112233u);
    EXPECT_TRUE(shadow->IsShowShadow());

    ASSERT_EQ(g_trayCalls.size(), 2u);  // added, then its tip set
    EXPECT_EQ(g_trayCalls[0].uID, 5u);
    EXPECT_EQ(g_trayCalls[0].hWnd, window.Hwnd());
    EXPECT_EQ(std::wstring(g_trayCalls[1].szTip), L"托盘提示");
    EXPECT_TRUE(pm.GetTrayObject()->IsCreated());

    ASSERT_TRUE(window.Show(root));
    EXPECT_TRUE(::IsWindow(shadow->GetShadowWindow()));
    pm.GetTrayObject()->DeleteTrayIcon();
    CUiTrayIcon::SetShellNotifyIcon(previous);
}

TEST(BuilderEffects, AClickPlaysTheBoundActionOnItsTimersAndStillReachesTheWindow) {
    HarnessWindow window(200, 120);
    ShellNotifyIconProc previous = CUiTrayIcon::SetShellNotifyIcon(&RecordTray);
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(STRINGorID(kSkin), nullptr, nullptr, &window.Manager());
    ASSERT_TRUE(window.Show(root));
    CControlUI* button = window.Manager().FindControl(L"grower");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetBkColor(), 0xFF0000FFu);
    window.Click(15, 15);
    EXPECT_EQ(notifier.Count(L"click"), 1);
    EXPECT_TRUE(PumpUntil([button] { return button->GetBkColor() == 0xFF00FF00u; }, 3000))
        << std::hex << button->GetBkColor();
    EXPECT_EQ(button->GetRunningActionName(), nullptr);  // the run is over
    window.Settle();
    EXPECT_EQ(window.Capture().At(15, 15), 0x0000FF00u);
    window.Manager().GetTrayObject()->DeleteTrayIcon();
    CUiTrayIcon::SetShellNotifyIcon(previous);
}

const wchar_t kLargestShadow[] = LR"(<Window shadowsize="20" shadowsharpness="21"><Container /></Window>)";

TEST(BuilderEffects, AShadowOfTwentyIsTaken) {
    HarnessWindow window(100, 100);
    CDialogBuilder builder;
    delete builder.Create(STRINGorID(kLargestShadow), nullptr, nullptr, &window.Manager());
    EXPECT_EQ(window.Manager().GetShadow()->GetSize(), 20);
    EXPECT_EQ(window.Manager().GetShadow()->GetSharpness(), 5);  // 21 is ignored
}

}  // namespace
