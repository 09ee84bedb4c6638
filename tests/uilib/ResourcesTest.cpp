// Paint manager resources: fonts, default attribute lists, style sheets,
// option groups, the parent chain and window settings.
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
