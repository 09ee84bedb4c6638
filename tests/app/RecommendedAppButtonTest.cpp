// The recommended app's button in a window of its own: the short name, the
// name giving way to the hover picture while the mouse is over it, and a
// width that follows the name but never leaves the icon's cell.
#include <gtest/gtest.h>

#include <windows.h>

#include "UiHarness.h"
#include "core/manager/UIContainer.h"
#include "controls/UIHorizontalLayout.h"
#include "frame/RecommendedAppButton.h"

using namespace UiLib;

TEST(RecommendedAppButton, ShortNamesStayWholeAndLongOnesKeepFourCharacters) {
    const struct {
        std::wstring name, shown;
    } cases[] = {{L"", L""}, {L"微信", L"微信"}, {L"123456", L"123456"}, {L"1234567", L"1234.."},
                 {L"腾讯手机管家极速版", L"腾讯手机.."}};
    for (const auto& c : cases) EXPECT_EQ(c.shown, ShortAppName(c.name)) << c.name.size();
}

TEST(RecommendedAppButton, TheNameGivesWayToTheHoverPictureAndComesBack) {
    uiharness::HarnessWindow window(400, 120);
    auto* row = new CHorizontalLayoutUI;
    auto* button = new CRecommendedAppButton(L"腾讯手机管家极速版", L"C:\\none\\icon.png");
    auto* shortOne = new CRecommendedAppButton(L"微信", L"C:\\none\\icon2.png");
    row->Add(button);
    row->Add(shortOne);
    ASSERT_TRUE(window.Show(row));
    EXPECT_EQ(CUiString(L"腾讯手机管家极速版"), button->GetName());
    EXPECT_EQ(CUiString(L"腾讯手机管家极速版"), button->GetToolTip());
    EXPECT_EQ(CUiString(L"腾讯手机.."), button->GetText());
    EXPECT_EQ(85, button->GetHeight());
    // Both are at least as wide as the icon's cell, the short name too.
    EXPECT_GE(button->GetWidth(), 74);
    EXPECT_EQ(74, shortOne->GetWidth());

    // What the window's mouse tracking tells a control as the mouse comes and goes.
    auto mouse = [](CControlUI* control, int type) {
        TEventUI event = {};
        event.Type = type;
        event.pSender = control;
        event.dwTimestamp = GetTickCount();
        control->DoEvent(event);
    };
    mouse(button, UIEVENT_MOUSEENTER);
    EXPECT_EQ(CUiString(L""), button->GetText());
    mouse(button, UIEVENT_MOUSELEAVE);
    mouse(shortOne, UIEVENT_MOUSEENTER);
    EXPECT_EQ(CUiString(L"腾讯手机.."), button->GetText());
    EXPECT_EQ(CUiString(L""), shortOne->GetText());
    mouse(shortOne, UIEVENT_MOUSELEAVE);
    EXPECT_EQ(CUiString(L"微信"), shortOne->GetText());
}
