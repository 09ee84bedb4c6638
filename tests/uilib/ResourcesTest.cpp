// Paint manager resources: fonts, default attribute lists, style sheets,
// option and action groups, the parent chain and window settings.
#include "TestPaths.h"
#include "UiHarness.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

TEST(Resources, FontsFallBackToTheDefaultAndLongFaceNamesAreBounded) {
    CPaintManagerUI manager;
    HFONT bold = manager.AddFont(L"Tahoma", 14, true, false, false);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(manager.GetFont(0), bold);
    EXPECT_EQ(manager.GetFont(1), manager.GetDefaultFontInfo()->hFont);
    EXPECT_EQ(manager.GetFont(-1), manager.GetDefaultFontInfo()->hFont);
    EXPECT_EQ(manager.FindFont(L"Tahoma", 14, true, false, false), bold);
    EXPECT_EQ(manager.FindFont(L"Tahoma", 14, false, false, false), nullptr);
    EXPECT_EQ(manager.GetFontInfo(bold)->iSize, 14);

    std::wstring longFace(300, L'F');
    HFONT longFont = manager.AddFont(longFace.c_str(), 12, false, false, false);
    ASSERT_NE(longFont, nullptr);
    EXPECT_LT(manager.GetFontInfo(1)->sFontName.GetLength(), LF_FACESIZE);
    manager.SetDefaultFont(longFace.c_str(), 20, false, false, false);
    EXPECT_EQ(manager.GetDefaultFontInfo()->iSize, 20);
}

TEST(Resources, DefaultListsKeepTheFirstAndTheParentChainAnswersMisses) {
    CPaintManagerUI parent, child;
    ASSERT_TRUE(child.SetParentManager(&parent));
    EXPECT_FALSE(parent.SetParentManager(&child));  // no cycles
    parent.AddDefaultAttributeList(L"Button", L"width=\"10\"");
    parent.AddDefaultAttributeList(L"Button", L"width=\"20\"");
    EXPECT_STREQ(child.GetDefaultAttributeList(L"Button"), L"width=\"10\"");
    EXPECT_EQ(child.GetDefaultAttributeList(L"Edit"), nullptr);
    parent.AddEffectsStyle(L"fade", L"anim='zoom+'");
    EXPECT_STREQ(child.GetEffectsStyle(L"fade"), L"anim='zoom+'");
    EXPECT_STREQ(child.GetEffectsStyle(L"none"), L"");

    child.SetDefaultFontColor(0xFF123456);
    parent.SetDefaultFontColor(0xFF654321);
    EXPECT_EQ(child.GetDefaultFontColor(), 0xFF654321u);  // the root of the chain answers
    EXPECT_EQ(child.GetDefaultSelectedBkColor(), 0xFFBAE4FFu);
    EXPECT_EQ(child.GetDefaultFontInfo(), parent.GetDefaultFontInfo());

    EXPECT_EQ(child.AddImage(L"missing.png"), nullptr);  // an image that cannot load is not entered
    EXPECT_EQ(child.GetImage(L"missing.png"), nullptr);
    EXPECT_EQ(child.AddImage(L"png", L"PNG"), nullptr);   // resource names must be numbers
}

TEST(Resources, StylesApplyInOrderAndEverySheetCanBeRemoved) {
    CPaintManagerUI manager;
    ASSERT_TRUE(manager.AddStyleAttribute(nullptr, L"warn", L"bkcolor", L"#FFFF0000"));
    ASSERT_TRUE(manager.AddStyleAttribute(nullptr, L"warn", L"width", L"30"));
    ASSERT_TRUE(manager.AddStyleAttribute(nullptr, L"warn", L"width", L"40"));  // replaces
    ASSERT_TRUE(manager.AddStyleAttribute(L"dark", L"warn", L"bkcolor", L"#FF000000"));
    ASSERT_TRUE(manager.AddStyleAttribute(L"light", L"warn", L"bkcolor", L"#FFFFFFFF"));

    CControlUI control;
    control.SetStyleName(L"warn", &manager);
    EXPECT_EQ(control.GetBkColor(), 0xFFFF0000u);
    EXPECT_EQ(control.GetFixedWidth(), 40);
    EXPECT_STREQ(control.GetStyleName(), L"warn");
    control.SetStyleName(L"unknown", &manager);
    EXPECT_STREQ(control.GetStyleName(), L"warn");

    ASSERT_TRUE(manager.SetCurrentStyles(L"dark", false));
    EXPECT_FALSE(manager.SetCurrentStyles(L"nosuch", false));
    EXPECT_FALSE(manager.RemoveStyleSheet(L"dark"));  // the current sheet stays
    control.SetStyleName(L"warn", &manager);
    EXPECT_EQ(control.GetBkColor(), 0xFF000000u);

    manager.RemoveAllStyleSheets();
    EXPECT_TRUE(manager.GetCurrentStyleSheet().IsEmpty());
    EXPECT_FALSE(manager.SetCurrentStyles(L"dark", false));
    EXPECT_FALSE(manager.SetCurrentStyles(L"light", false));
    EXPECT_NE(manager.GetStyle(L"warn"), nullptr);  // the default style map is back
}

TEST(Resources, OptionGroupsRefuseDuplicatesAndVanishWhenEmpty) {
    CPaintManagerUI manager;
    CControlUI a, b;
    EXPECT_TRUE(manager.AddOptionGroup(L"tabs", &a));
    EXPECT_TRUE(manager.AddOptionGroup(L"tabs", &b));
    EXPECT_FALSE(manager.AddOptionGroup(L"tabs", &a));
    ASSERT_NE(manager.GetOptionGroup(L"tabs"), nullptr);
    EXPECT_EQ(manager.GetOptionGroup(L"tabs")->GetSize(), 2);
    manager.RemoveOptionGroup(L"tabs", &a);
    manager.RemoveOptionGroup(L"tabs", &b);
    EXPECT_EQ(manager.GetOptionGroup(L"tabs"), nullptr);
}

TEST(Resources, ActionGroupsAreFoundUpTheParentChainAndOwnNamesWin) {
    CPaintManagerUI parent, popup;
    ASSERT_TRUE(popup.SetParentManager(&parent));
    ASSERT_TRUE(parent.AddActionGroupNotify(L"grow", L"click", 20, 200, false, true, false));
    ASSERT_TRUE(parent.AddActionGroupEvent(L"flash", UIEVENT_MOUSEENTER, 30, 10, true, false, true));
    EXPECT_FALSE(parent.AddActionGroupNotify(L"grow", L"setfocus", 1, 1, false, false, false));  // taken
    EXPECT_FALSE(parent.AddActionGroupNotify(nullptr, L"click", 1, 1, false, false, false));
    EXPECT_FALSE(parent.AddActionGroupNotify(L"nameless", nullptr, 1, 1, false, false, false));
    EXPECT_FALSE(parent.AddActionGroupEvent(L"noevent", 0, 1, 1, false, false, false));
    EXPECT_EQ(parent.GetActionGroup(nullptr), nullptr);

    // A pop-up's lookups that miss go to the window that opened it.
    tagTActionGroup* grow = popup.GetActionGroup(L"grow");
    ASSERT_NE(grow, nullptr);
    EXPECT_EQ(grow, parent.GetActionGroup(L"grow"));
    EXPECT_EQ(grow->sMsgType, L"notify");
    EXPECT_EQ(grow->sNotifyType, L"click");
    EXPECT_EQ(grow->iInterval, 20);
    EXPECT_EQ(grow->iTimer, 200);
    EXPECT_TRUE(grow->bLoop);
    tagTActionGroup* flash = popup.GetActionGroup(L"flash");
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->sMsgType, L"event");
    EXPECT_EQ(flash->iEventType, UIEVENT_MOUSEENTER);
    EXPECT_EQ(flash->iTimer, 30);  // the total lasts at least one interval
    EXPECT_EQ(popup.GetActionGroup(L"missing"), nullptr);
    EXPECT_EQ(parent.GetActionGroup(L"missing"), nullptr);

    // The pop-up's own group of the same name hides the parent's; the parent never sees it.
    ASSERT_TRUE(popup.AddActionGroupNotify(L"grow", L"dbclick", 5, 50, false, false, false));
    ASSERT_NE(popup.GetActionGroup(L"grow"), grow);
    EXPECT_EQ(popup.GetActionGroup(L"grow")->sNotifyType, L"dbclick");
    EXPECT_EQ(parent.GetActionGroup(L"grow"), grow);

    // Properties go only to a group entered in the manager they are added to.
    EXPECT_FALSE(popup.AddPropertyAction(L"flash", L"bkcolor", L"color", L"#FF000000", L"#FFFFFFFF", 1, 1,
                                         false, false, false));
    EXPECT_TRUE(parent.AddPropertyAction(L"flash", L"bkcolor", L"color", L"#FF000000", L"#FFFFFFFF", 1, 1,
                                         false, false, false));
    EXPECT_EQ(popup.GetActionGroup(L"flash")->aProperties.GetSize(), 1);
}

TEST(Resources, PropertyActionsReadTheirValuesByTypeAndReplaceTheSameNameAndType) {
    CPaintManagerUI manager;
    ASSERT_TRUE(manager.AddActionGroupNotify(L"g", L"click", 10, 100, false, false, false));
    struct Case {
        const wchar_t* type;
        const wchar_t* text;
        INT32 expected[4];
    };
    const Case cases[] = {
        {L"int", L"25", {25, 0, 0, 0}},
        {L"image.fade", L"-7", {-7, 0, 0, 0}},
        {L"color", L"#FF102030", {static_cast<INT32>(0xFF102030u), 0, 0, 0}},
        {L"image.mask", L"00ff00", {0x00FF00, 0, 0, 0}},
        {L"rect", L"1,2,3,4", {1, 2, 3, 4}},
        {L"image.dest", L"10 20 30", {10, 20, 30, 0}},  // a missing number reads 0
        {L"point", L"5,-6", {5, -6, 0, 0}},
        {L"size", L"8", {8, 0, 0, 0}},  // other types read one decimal number
        {L"rect", L"none", {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << testsupport::ToAnsi(c.type) << " " << testsupport::ToAnsi(c.text));
        ASSERT_TRUE(manager.AddPropertyAction(L"g", L"p", c.type, c.text, c.text, 4, 2, true, false, false));
        CStdPtrArray& properties = manager.GetActionGroup(L"g")->aProperties;
        auto* property = static_cast<tagTProperty*>(properties.GetAt(properties.GetSize() - 1));
        EXPECT_EQ(property->sStartValue, c.text);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(property->startValue[i], c.expected[i]) << i;
            EXPECT_EQ(property->endValue[i], c.expected[i]) << i;
        }
        EXPECT_EQ(property->iInterval, 4);
        EXPECT_EQ(property->iTimer, 4);
        EXPECT_TRUE(property->bAutoStart);
    }
    // "rect" was added twice: the second replaced the first and went to the end.
    CStdPtrArray& properties = manager.GetActionGroup(L"g")->aProperties;
    ASSERT_EQ(properties.GetSize(), 8);
    EXPECT_EQ(static_cast<tagTProperty*>(properties.GetAt(7))->sType, L"rect");
    EXPECT_EQ(static_cast<tagTProperty*>(properties.GetAt(7))->sStartValue, L"none");

    EXPECT_FALSE(manager.AddPropertyAction(L"g", nullptr, L"int", L"1", L"2", 1, 1, false, false, false));
    EXPECT_FALSE(manager.AddPropertyAction(L"g", L"width", nullptr, L"1", L"2", 1, 1, false, false, false));
    EXPECT_FALSE(manager.AddPropertyAction(L"g", L"width", L"int", nullptr, L"2", 1, 1, false, false, false));
    EXPECT_FALSE(manager.AddPropertyAction(L"none", L"width", L"int", L"1", L"2", 1, 1, false, false, false));
    EXPECT_EQ(properties.GetSize(), 8);
    manager.RemoveAllActionGroups();
    EXPECT_EQ(manager.GetActionGroup(L"g"), nullptr);
}

TEST(Resources, ResourcePathGetsASeparatorAndOpacityClampsAndDropsTheLayeredStyle) {
    struct Case {
        const wchar_t* path;
        const wchar_t* stored;
    } cases[] = {{L"C:\\skins", L"C:\\skins\\"}, {L"C:/skins/", L"C:/skins/"}, {L"", L""}};
    for (const Case& c : cases) {
        CPaintManagerUI::SetResourcePath(c.path);
        EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), c.stored);
    }
    CPaintManagerUI::SetResourcePath(nullptr);

    HarnessWindow window;
    ASSERT_TRUE(window.Show(new CContainerUI));
    window.Manager().SetOpacity(128);
    EXPECT_EQ(window.Manager().GetOpacity(), 128);
    EXPECT_NE(::GetWindowLongW(window.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    window.Manager().SetOpacity(300);
    EXPECT_EQ(window.Manager().GetOpacity(), 255);
    EXPECT_EQ(::GetWindowLongW(window.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
}

}  // namespace
