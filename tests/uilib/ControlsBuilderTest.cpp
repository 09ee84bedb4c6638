// The skin builder makes every basic control by its element name, applies
// its attributes and the window paints them.
#include "UiHarness.h"
#include "controls/UIDateTime.h"
#include "controls/UIFadeButton.h"
#include "controls/UIGifAnim.h"
#include "controls/UIOption.h"
#include "controls/UISlider.h"
#include "controls/UIText.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

const wchar_t kSkin[] = LR"(<Window size="300,200">
  <Container bkcolor="#FFFFFFFF">
    <Label name="label" float="true" pos="0,0,100,20" text="标签" textpadding="5" />
    <Text name="text" float="true" pos="0,20,100,60" text="{a x}链接{/a}" showhtml="true" />
    <Button name="button" float="true" pos="0,60,100,80" text="按钮" hottextcolor="#FFFF0000" />
    <FadeButton name="fade" float="true" pos="0,80,100,100" />
    <Option name="option" float="true" pos="100,0,200,20" group="g" selected="true" />
    <CheckBox name="check" float="true" pos="100,20,200,40" selected="true" />
    <Progress name="progress" float="true" pos="100,40,200,52" value="40" hor="false" />
    <Slider name="slider" float="true" pos="100,60,200,80" thumbsize="7" step="3" />
    <DateTime name="date" float="true" pos="100,80,200,100" />
    <GifAnim name="gif" float="true" pos="200,0,240,40" autoplay="false" />
  </Container>
</Window>)";

TEST(ControlsBuilder, EveryBasicControlIsMadeByItsElementName) {
    HarnessWindow window(300, 200);
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.ShowSkin(kSkin));

    const struct {
        const wchar_t* name;
        const wchar_t* cls;
    } expected[] = {{L"label", L"LabelUI"},       {L"text", L"TextUI"},         {L"button", L"ButtonUI"},
                    {L"fade", L"FadeButtonUI"},   {L"option", L"OptionUI"},     {L"check", L"CheckBoxUI"},
                    {L"progress", L"ProgressUI"}, {L"slider", L"SliderUI"},     {L"date", L"DateTimeUI"},
                    {L"gif", L"GifAnimUI"}};
    for (const auto& e : expected) {
        CControlUI* control = window.Manager().FindControl(e.name);
        ASSERT_NE(control, nullptr) << e.name;
        EXPECT_STREQ(control->GetClass(), e.cls);
    }
    auto find = [&](const wchar_t* name) { return window.Manager().FindControl(name); };
    // Short values leave the missing numbers at 0 rather than reading on.
    RECT padding = static_cast<CLabelUI*>(find(L"label"))->GetTextPadding();
    EXPECT_EQ(padding.left, 5);
    EXPECT_EQ(padding.right, 0);
    EXPECT_EQ(static_cast<CSliderUI*>(find(L"slider"))->GetThumbSize().cx, 7);
    EXPECT_EQ(static_cast<CSliderUI*>(find(L"slider"))->GetThumbSize().cy, 0);
    EXPECT_EQ(static_cast<CSliderUI*>(find(L"slider"))->GetChangeStep(), 3);
    EXPECT_EQ(static_cast<CButtonUI*>(find(L"button"))->GetHotTextColor(), 0xFFFF0000u);
    EXPECT_TRUE(static_cast<COptionUI*>(find(L"option"))->IsSelected());
    EXPECT_TRUE(static_cast<CCheckBoxUI*>(find(L"check"))->GetCheck());
    EXPECT_FALSE(static_cast<CProgressUI*>(find(L"progress"))->IsHorizontal());
    EXPECT_EQ(static_cast<CProgressUI*>(find(L"progress"))->GetValue(), 40);
    EXPECT_FALSE(static_cast<CGifAnimUI*>(find(L"gif"))->IsAutoPlay());
    EXPECT_EQ(static_cast<CTextUI*>(find(L"text"))->GetLinkCount(), 1);
    ASSERT_NE(window.Manager().GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(window.Manager().GetOptionGroup(L"g")->GetSize(), 1);  // joined once, in this window
}

// Asks nothing of its own: records which element names reach it.
class AskedCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* name) override {
        asked.push_back(name);
        return nullptr;
    }
    std::vector<std::wstring> asked;
};

// The library makes exactly these element names itself, each into the class
// of the same name; anything else, the menu's elements included, is the
// callback's to make.
TEST(ControlsBuilder, TheLibraryMakesItsOwnElementNamesAndLeavesTheRestToTheCallback) {
    const wchar_t* const ownNames[] = {
        L"Edit", L"List", L"Text", L"Combo", L"Label", L"Flash", L"Button", L"Option", L"Slider", L"Control",
        L"ActiveX", L"GifAnim", L"Progress", L"RichEdit", L"CheckBox", L"ComboBox", L"DateTime", L"TreeView",
        L"TreeNode", L"Container", L"TabLayout", L"ScrollBar", L"ChartView", L"ListHeader", L"TileLayout",
        L"FadeButton", L"WebBrowser", L"ChildLayout", L"VerticalLayout", L"ListHeaderItem", L"ListTextElement",
        L"HorizontalLayout", L"ListLabelElement", L"AnimationTabLayout", L"ListContainerElement",
        L"ListImageTextElement"};
    ASSERT_EQ(sizeof(ownNames) / sizeof(ownNames[0]), 36u);
    for (const wchar_t* name : ownNames) {
        AskedCallback callback;
        CDialogBuilder builder;
        std::wstring xml = L"<Window><" + std::wstring(name) + L" /></Window>";
        CControlUI* control = builder.Create(STRINGorID(xml.c_str()), nullptr, &callback, nullptr, nullptr);
        ASSERT_NE(control, nullptr) << std::wstring(name);
        EXPECT_EQ(std::wstring(control->GetClass()), std::wstring(name) + L"UI");
        EXPECT_TRUE(callback.asked.empty()) << std::wstring(name);
        delete control;
    }
    for (const wchar_t* name : {L"Menu", L"MenuElement", L"button"}) {
        AskedCallback callback;
        CDialogBuilder builder;
        std::wstring xml = L"<Window><" + std::wstring(name) + L" /></Window>";
        EXPECT_EQ(builder.Create(STRINGorID(xml.c_str()), nullptr, &callback, nullptr, nullptr), nullptr);
        EXPECT_EQ(callback.asked, std::vector<std::wstring>{name});
    }
}

}  // namespace
