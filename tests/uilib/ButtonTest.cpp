// Buttons, options and check boxes in real windows: click routing, the
// keyboard, option groups and their notification order, and the state
// images and colours read back as pixels.
#include "PngWriter.h"
#include "StillTimer.h"
#include "TestPaths.h"
#include "UiHarness.h"
#include "controls/UIFadeButton.h"
#include "controls/UIOption.h"
#include "controls/UITabLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

template <class T>
T* Placed(CContainerUI* parent, const wchar_t* name, const wchar_t* attributes) {
    T* control = AddFloating<T>(parent, attributes);
    control->SetName(name);
    return control;
}

// "type:name" of each notification other than the window's own.
std::vector<std::wstring> Trail(const RecordingNotifier& notifier) {
    std::vector<std::wstring> trail;
    for (const auto& entry : notifier.entries)
        if (entry.type != L"windowinit" && entry.type != L"setfocus" && entry.type != L"killfocus")
            trail.push_back(entry.type + L":" + entry.sender->GetName().ToWideString());
    return trail;
}

TEST(Button, ReleaseOutsideSendsNoClickButClearsPushedAndCaptured) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    CButtonUI* button = Placed<CButtonUI>(root, L"Ok", L"pos=\"10,10,110,40\" text=\"确定\"");
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(root));

    window.MouseMove(20, 20);
    window.MouseDown(20, 20);
    EXPECT_EQ(button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED),
              static_cast<UINT>(UISTATE_PUSHED | UISTATE_CAPTURED));
    window.MouseMove(150, 100);
    EXPECT_EQ(button->GetButtonState() & UISTATE_PUSHED, 0u);  // dragged off: no longer pushed
    window.MouseUp(150, 100);
    EXPECT_EQ(notifier.Count(L"click"), 0);
    EXPECT_EQ(button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED), 0u);

    window.MouseMove(20, 20);
    window.Click(20, 20);
    EXPECT_EQ(notifier.Count(L"click"), 1);
}

TEST(Button, SpaceOrReturnOnTheFocusedButtonClicksUnlessTheKeyboardIsOff) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    CButtonUI* button = Placed<CButtonUI>(root, L"Ok", L"pos=\"10,10,110,40\"");
    CButtonUI* mute = Placed<CButtonUI>(root, L"Mute", L"pos=\"10,50,110,80\" keyboard=\"false\"");
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(root));
    EXPECT_EQ(button->GetControlFlags(), static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR));
    EXPECT_EQ(mute->GetControlFlags(), static_cast<UINT>(UIFLAG_SETCURSOR));

    button->SetFocus();
    window.Key(VK_SPACE);
    window.Key(VK_RETURN);
    EXPECT_EQ(notifier.Count(L"click"), 2);
    mute->SetFocus();
    window.Key(VK_SPACE);
    EXPECT_EQ(notifier.Count(L"click"), 2);
    button->SetEnabled(false);
    button->SetFocus();
    window.Key(VK_SPACE);
    EXPECT_EQ(notifier.Count(L"click"), 2);
}

TEST(Option, GroupKeepsOneSelectedAndClickComesBeforeSelectChanged) {
    HarnessWindow window(300, 150);
    CContainerUI* root = new CContainerUI;
    COptionUI* a = Placed<COptionUI>(root, L"A", L"pos=\"10,10,60,40\" group=\"g\" selected=\"true\"");
    COptionUI* b = Placed<COptionUI>(root, L"B", L"pos=\"70,10,120,40\" group=\"g\"");
    CCheckBoxUI* check = Placed<CCheckBoxUI>(root, L"C", L"pos=\"130,10,180,40\"");
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(root));
    ASSERT_TRUE(a->IsSelected());
    notifier.entries.clear();

    window.Click(80, 20);
    EXPECT_EQ(Trail(notifier), (std::vector<std::wstring>{L"click:B", L"selectchanged:B"}));
    EXPECT_FALSE(a->IsSelected());  // deselected without a notification of its own
    EXPECT_TRUE(b->IsSelected());

    notifier.entries.clear();
    window.Click(80, 20);  // a selected option of a group stays selected
    EXPECT_EQ(Trail(notifier), (std::vector<std::wstring>{L"click:B"}));
    EXPECT_TRUE(b->IsSelected());

    notifier.entries.clear();
    window.Click(140, 20);
    window.Click(140, 20);
    EXPECT_EQ(Trail(notifier), (std::vector<std::wstring>{L"click:C", L"selectchanged:C", L"click:C",
                                                          L"selectchanged:C"}));
    EXPECT_FALSE(check->GetCheck());
    check->SetCheck(true);
    EXPECT_TRUE(check->IsSelected());
    EXPECT_EQ(check->GetClass(), std::wstring(L"CheckBoxUI"));
    EXPECT_NE(check->GetInterface(L"Option"), nullptr);

    // Disabling keeps the selected bit; the group survives the window's options.
    b->SetEnabled(false);
    EXPECT_EQ(b->GetButtonState(), static_cast<UINT>(UISTATE_SELECTED));
    ASSERT_NE(window.Manager().GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(window.Manager().GetOptionGroup(L"g")->GetSize(), 2);
}

TEST(Option, MovedToAnotherWindowItLeavesItsOldGroupFirst) {
    HarnessWindow first;
    HarnessWindow second;
    CContainerUI* root = new CContainerUI;
    COptionUI* option = Placed<COptionUI>(root, L"Moving", L"pos=\"10,10,60,40\" group=\"g\"");
    ASSERT_TRUE(first.Show(root));
    ASSERT_NE(first.Manager().GetOptionGroup(L"g"), nullptr);

    option->SetManager(&second.Manager(), nullptr, true);
    EXPECT_EQ(first.Manager().GetOptionGroup(L"g"), nullptr);  // the emptied group is gone
    ASSERT_NE(second.Manager().GetOptionGroup(L"g"), nullptr);
    EXPECT_EQ(second.Manager().GetOptionGroup(L"g")->GetAt(0), option);

    option->SetManager(&first.Manager(), root, true);  // back home before the tree goes away
    EXPECT_EQ(second.Manager().GetOptionGroup(L"g"), nullptr);
}

class ButtonPixels : public ::testing::Test {
protected:
    void SetUp() override {
        const struct {
            const wchar_t* file;
            uint32_t colour;
        } images[] = {{L"normal.png", 0xFF0000FF}, {L"hot.png", 0xFF00FF00}, {L"pushed.png", 0xFFFF0000},
                      {L"focused.png", 0xFFFFFF00}, {L"disabled.png", 0xFF808080}, {L"sel.png", 0xFF00FFFF}};
        for (const auto& image : images)
            ASSERT_TRUE(testsupport::WritePng(dir_.File(image.file), 4, 4, std::vector<uint32_t>(16, image.colour)));
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(dir_.Path().c_str());
        root_ = new CContainerUI;
        root_->SetAttribute(L"bkcolor", L"#FFFFFFFF");
    }
    DWORD At(int x, int y) { return window_.Capture().At(x, y); }

    testsupport::ScratchDir dir_;
    HarnessWindow window_{300, 150};
    CContainerUI* root_ = nullptr;
};

TEST_F(ButtonPixels, EachStateDrawsItsOwnImage) {
    CButtonUI* button = Placed<CButtonUI>(root_, L"B",
                                          L"pos=\"10,10,110,60\" normalimage=\"normal.png\" hotimage=\"hot.png\" "
                                          L"pushedimage=\"pushed.png\" focusedimage=\"focused.png\" "
                                          L"disabledimage=\"disabled.png\"");
    Placed<CButtonUI>(root_, L"Other", L"pos=\"200,10,250,60\"");
    ASSERT_TRUE(window_.Show(root_));
    window_.Manager().SetFocus(nullptr);
    window_.Settle();
    EXPECT_EQ(At(60, 35), 0x0000FFu);
    window_.MouseMove(60, 35);
    EXPECT_EQ(At(60, 35), 0x00FF00u);
    window_.MouseDown(60, 35);
    EXPECT_EQ(At(60, 35), 0xFF0000u);
    window_.MouseMove(220, 35);  // dragged off: hot went with the mouse, focus stayed
    window_.MouseUp(220, 35);
    EXPECT_EQ(At(60, 35), 0xFFFF00u);
    button->SetEnabled(false);
    EXPECT_EQ(At(60, 35), 0x808080u);
    EXPECT_EQ(std::wstring(button->GetAttribute(L"pushedimage").pstrValue), L"pushed.png");
}

// A property action plays on a state image: halfway through its run the
// image is drawn half faded over the white ground, at the end not at all.
TEST_F(ButtonPixels, PropertyActionsAnimateTheStateImages) {
    struct Case {
        const wchar_t* image;
        bool disabled;
    } cases[] = {{L"normalimage", false}, {L"disabledimage", true}};
    delete root_;  // each case builds its own window
    root_ = nullptr;
    for (const Case& c : cases) {
        HarnessWindow window(300, 150);
        CContainerUI* root = new CContainerUI;
        root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
        CPaintManagerUI& pm = window.Manager();
        // Long frames: the real timer of the run never reaches one while the test plays them.
        pm.AddActionGroupNotify(L"dim", L"click", 10000, 100000, false, false, false);
        pm.AddPropertyAction(L"dim", c.image, L"image.fade", L"255", L"0", 10000, 100000, false, false, false);
        std::wstring attributes =
            L"pos=\"10,10,110,60\" " + std::wstring(c.image) + L"=\"file='normal.png' fade='255'\"";
        CButtonUI* button = Placed<CButtonUI>(root, L"B", attributes.c_str());
        button->SetEnabled(!c.disabled);
        ASSERT_TRUE(window.Show(root));
        button->SetAction(L"dim");  // the groups are the manager's
        window.Settle();
        EXPECT_EQ(window.Capture().At(60, 35), 0x0000FFu) << std::wstring(c.image);

        pm.SendNotify(button, L"click");
        StillTimer timer(10000, 100000);
        tagTProperty* property = static_cast<tagTProperty*>(pm.GetActionGroup(L"dim")->aProperties.GetAt(0));
        timer.current = 50000;  // frame 5 of 10: fade 255 - 5 * 25 = 130
        button->OnPropertyActionTimer(&timer, property);
        const wchar_t* now = button->GetAttribute(c.image).pstrValue;
        EXPECT_EQ(std::wstring(now), L"file='normal.png' fade='130'");
        // Blue at 130/255 over white: (125, 125, 255).
        DWORD half = window.Capture().At(60, 35);
        EXPECT_NEAR(static_cast<int>(half >> 16), 125, 6) << std::hex << half;
        EXPECT_NEAR(static_cast<int>((half >> 8) & 0xFF), 125, 6) << std::hex << half;
        EXPECT_EQ(half & 0xFF, 0xFFu);

        timer.current = 100000;
        button->OnPropertyActionTimer(&timer, property);
        EXPECT_EQ(window.Capture().At(60, 35), 0xFFFFFFu) << std::wstring(c.image);
    }
}

TEST_F(ButtonPixels, HotColoursFillOnlyWithAlphaAndSelectedOptionsUseTheirImage) {
    Placed<CButtonUI>(root_, L"Green", L"pos=\"10,10,60,60\" hotbkcolor=\"#FF00FF00\"");
    Placed<CButtonUI>(root_, L"Clear", L"pos=\"70,10,120,60\" hotbkcolor=\"#0000FF00\"");
    COptionUI* option = Placed<COptionUI>(root_, L"Opt",
                                          L"pos=\"130,10,180,60\" normalimage=\"normal.png\" selectedimage=\"sel.png\"");
    CButtonUI* text = Placed<CButtonUI>(
        root_, L"Text", L"pos=\"10,80,290,140\" text=\"HHHH 按钮\" textcolor=\"#FF000000\" hottextcolor=\"#FFFF0000\"");
    ASSERT_TRUE(window_.Show(root_));

    window_.MouseMove(30, 30);
    EXPECT_EQ(At(30, 30), 0x00FF00u);
    window_.MouseMove(90, 30);
    EXPECT_EQ(At(90, 30), 0xFFFFFFu);  // alpha 0: nothing painted

    EXPECT_EQ(At(150, 30), 0x0000FFu);
    option->SetSelected(true);
    EXPECT_EQ(At(150, 30), 0x00FFFFu);

    auto redPixels = [&]() {
        Snapshot shot = window_.Capture();
        int count = 0;
        for (int y = 80; y < 140; ++y)
            for (int x = 10; x < 290; ++x) {
                DWORD p = shot.At(x, y);
                count += ((p >> 16) & 0xFF) > 0xC0 && (p & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60;
            }
        return count;
    };
    EXPECT_EQ(redPixels(), 0);
    window_.MouseMove(150, 110);
    EXPECT_GT(redPixels(), 20);
    EXPECT_EQ(text->GetHotTextColor(), 0xFFFF0000u);
}

TEST_F(ButtonPixels, AFadeButtonBlendsNormalIntoHotAndBack) {
    CFadeButtonUI* fade = Placed<CFadeButtonUI>(
        root_, L"Fade", L"pos=\"10,10,110,60\" normalimage=\"normal.png\" hotimage=\"pushed.png\"");
    ASSERT_TRUE(window_.Show(root_));
    EXPECT_EQ(At(60, 35), 0x0000FFu);

    auto tick = [&](UINT id, int times) {
        for (int i = 0; i < times; ++i) {
            TEventUI event = {};
            event.Type = UIEVENT_TIMER;
            event.pSender = fade;
            event.wParam = id;
            fade->Event(event);
        }
    };
    // The test's timer events drive each fade: the real timer is stopped as soon as it starts.
    window_.MouseMove(60, 35);
    ASSERT_TRUE(fade->IsAnimating(CFadeButtonUI::FADE_IN_ID));
    window_.Manager().KillTimer(fade, CFadeButtonUI::FADE_IN_ID);
    EXPECT_EQ(At(60, 35), 0x0000FFu);  // the first paint after entering still shows the normal image
    tick(CFadeButtonUI::FADE_IN_ID, 16);  // frames 0..15: alpha 127
    EXPECT_EQ(fade->GetFadeAlpha(), 127);
    // Blue at 128/255 over white gives (127, 127, 255); red at 127/255 over that (190, 63, 128).
    const DWORD expected = 0xBE3F80;
    DWORD mixed = At(60, 35);
    for (int shift = 0; shift < 24; shift += 8)
        EXPECT_NEAR(static_cast<int>((mixed >> shift) & 0xFF), static_cast<int>((expected >> shift) & 0xFF), 6)
            << std::hex << mixed;
    tick(CFadeButtonUI::FADE_IN_ID, 15);  // frames 16..30, then the fade stops
    EXPECT_FALSE(fade->IsAnimating(CFadeButtonUI::FADE_IN_ID));
    EXPECT_EQ(At(60, 35), 0xFF0000u);
    EXPECT_EQ(fade->GetButtonState() & UISTATE_HOT, 0u);  // a fade button is never hot

    window_.MouseMove(200, 120);
    ASSERT_TRUE(fade->IsAnimating(CFadeButtonUI::FADE_OUT_ID));
    window_.Manager().KillTimer(fade, CFadeButtonUI::FADE_OUT_ID);
    EXPECT_EQ(At(60, 35), 0xFF0000u);  // and the first after leaving the hot one
    tick(CFadeButtonUI::FADE_OUT_ID, 31);
    EXPECT_FALSE(fade->IsAnimating(CFadeButtonUI::FADE_OUT_ID));
    EXPECT_EQ(At(60, 35), 0x0000FFu);
}

TEST_F(ButtonPixels, AFadeButtonWithoutANormalImageDrawsOnlyItsStateImages) {
    CFadeButtonUI* fade =
        Placed<CFadeButtonUI>(root_, L"Fade", L"pos=\"10,10,110,60\" hotimage=\"hot.png\" pushedimage=\"pushed.png\"");
    ASSERT_TRUE(window_.Show(root_));
    window_.MouseMove(60, 35);
    PumpFor(100);
    EXPECT_EQ(At(60, 35), 0xFFFFFFu);
    window_.MouseDown(60, 35);
    EXPECT_EQ(At(60, 35), 0xFF0000u);
    window_.MouseUp(60, 35);
    EXPECT_EQ(fade->GetClass(), std::wstring(L"FadeButtonUI"));
}

TEST(Button, ABoundButtonSwitchesItsTabLayoutAndNegativeIndexesAreIgnored) {
    HarnessWindow window(300, 150);
    CContainerUI* root = new CContainerUI;
    CTabLayoutUI* pages = AddFloating<CTabLayoutUI>(root, L"name=\"Pages\" pos=\"0,50,300,150\"");
    for (int i = 0; i < 3; ++i) pages->Add(new CControlUI);
    CButtonUI* third = Placed<CButtonUI>(root, L"Third", L"pos=\"0,0,50,40\" bindtablayoutname=\"Pages\" bindtabindex=\"2\"");
    CButtonUI* unbound = Placed<CButtonUI>(root, L"Unbound", L"pos=\"60,0,110,40\" bindtablayoutname=\"Pages\"");
    unbound->SetAttribute(L"bindtabindex", L"-1");
    ASSERT_TRUE(window.Show(root));
    EXPECT_EQ(pages->GetCurSel(), 0);
    EXPECT_EQ(unbound->GetBindTabLayoutIndex(), -1);

    window.MouseMove(80, 20);
    window.Click(80, 20);
    EXPECT_EQ(pages->GetCurSel(), 0);
    window.MouseMove(20, 20);
    window.Click(20, 20);
    EXPECT_EQ(pages->GetCurSel(), 2);
    EXPECT_EQ(std::wstring(third->GetBindTabLayoutName()), L"Pages");
}

}  // namespace
