// The scroll bar: part layout (64-bit thumb arithmetic, short bars, hidden
// buttons), clamping, press-and-hold repeats and thumb drags driven by
// synthetic timer ticks, "scroll" only from a bar without owner, and what it
// draws.
#include "UiHarness.h"
#include "PngWriter.h"
#include "TestPaths.h"
#include "controls/UIHorizontalLayout.h"
#include "controls/UIVerticalLayout.h"
#include "core/manager/UIScrollBar.h"

#include <gtest/gtest.h>

using namespace UiLib;
using namespace uiharness;

namespace {

TEST(ScrollBarLayout, PlacesButtonsAndAProportionalThumb) {
    struct Case {
        const char* what;
        const wchar_t* attributes;
        RECT pos;
        RECT button1, button2, thumb;
    } cases[] = {
        {"at the start", L"range=\"100\" value=\"0\"", {0, 0, 16, 200}, {0, 0, 16, 16}, {0, 184, 16, 200},
         {0, 16, 16, 128}},
        {"at the end", L"range=\"100\" value=\"100\"", {0, 0, 16, 200}, {0, 0, 16, 16}, {0, 184, 16, 200},
         {0, 72, 16, 184}},
        {"range 0 fills the track", L"range=\"0\"", {0, 0, 16, 200}, {0, 0, 16, 16}, {0, 184, 16, 200},
         {0, 16, 16, 184}},
        {"a range of 10^9 keeps the thumb at its minimum and in the middle", L"range=\"1000000000\" value=\"500000000\"",
         {0, 0, 16, 200}, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 92, 16, 108}},
        {"too short for a thumb: half-length buttons", L"range=\"100\"", {0, 0, 16, 40}, {0, 0, 16, 16},
         {0, 24, 16, 40}, {0, 0, 0, 0}},
        {"hidden first button", L"showbutton1=\"false\" range=\"100\"", {0, 0, 16, 200}, {0, 0, 0, 0},
         {0, 184, 16, 200}, {0, 0, 16, 122}},
        {"horizontal", L"hor=\"true\" range=\"100\" value=\"50\"", {10, 5, 210, 21}, {10, 5, 26, 21},
         {194, 5, 210, 21}, {54, 5, 166, 21}},
    };
    for (const Case& c : cases) {
        CScrollBarUI bar;
        bar.ApplyAttributeList(c.attributes);
        bar.SetPos(c.pos);
        EXPECT_TRUE(RectIs(bar.GetButton1Rect(), c.button1)) << c.what;
        EXPECT_TRUE(RectIs(bar.GetButton2Rect(), c.button2)) << c.what;
        EXPECT_TRUE(RectIs(bar.GetThumbRect(), c.thumb)) << c.what;
    }
}

TEST(ScrollBarLayout, PositionAndRangeClampAndHorKeepsAFixedHeight) {
    CScrollBarUI bar;
    bar.SetScrollRange(50);
    bar.SetScrollPos(-5);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetScrollPos(80);
    EXPECT_EQ(bar.GetScrollPos(), 50);
    bar.SetScrollRange(20);
    EXPECT_EQ(bar.GetScrollPos(), 20);
    bar.SetScrollRange(-3);
    EXPECT_EQ(bar.GetScrollRange(), 0);

    CScrollBarUI sized;
    sized.ApplyAttributeList(L"height=\"10\" hor=\"true\"");
    EXPECT_TRUE(sized.IsHorizontal());
    EXPECT_EQ(sized.GetFixedHeight(), 10);
    EXPECT_EQ(sized.GetFixedWidth(), 16);
}

// A lone vertical bar, 16 x 200, at the left of a window.
struct BarWindow {
    explicit BarWindow(const wchar_t* attributes) {
        CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
        bar = new CScrollBarUI;
        bar->ApplyAttributeList(attributes);
        root->Add(bar);
        root->Add(new CControlUI);
        window.Manager().AddNotifier(&notifier);
        shown = window.Show(root);
    }
    void Tick(int times, WPARAM id = CScrollBarUI::SCROLLBAR_TIMER_ID) {
        for (int i = 0; i < times; ++i) {
            TEventUI event = {};
            event.Type = UIEVENT_TIMER;
            event.pSender = bar;
            event.wParam = id;
            bar->Event(event);
        }
    }
    int Scrolls() const { return notifier.Count(L"scroll"); }

    HarnessWindow window{100, 200};
    RecordingNotifier notifier;
    CScrollBarUI* bar = nullptr;
    bool shown = false;
};

TEST(ScrollBarInput, HoldingAButtonRepeatsFromTheSixthTick) {
    BarWindow w(L"range=\"100\" value=\"50\" linesize=\"8\"");
    ASSERT_TRUE(w.shown);
    w.window.MouseDown(8, 8);
    EXPECT_EQ(w.bar->GetScrollPos(), 42);
    EXPECT_EQ(w.Scrolls(), 1);
    EXPECT_EQ(w.bar->GetButton1State() & 0x10, 0x10u);
    w.Tick(5);
    EXPECT_EQ(w.bar->GetScrollPos(), 42);
    EXPECT_EQ(w.Scrolls(), 1);
    w.Tick(1);
    EXPECT_EQ(w.bar->GetScrollPos(), 34);
    w.Tick(1, 77);  // another timer id is not the repeat
    w.Tick(2);
    EXPECT_EQ(w.bar->GetScrollPos(), 18);
    EXPECT_EQ(w.Scrolls(), 4);
    w.window.MouseUp(8, 8);
    EXPECT_EQ(w.bar->GetButton1State() & 0x10, 0u);
    EXPECT_FALSE(w.window.Manager().KillTimer(w.bar, CScrollBarUI::SCROLLBAR_TIMER_ID));  // stopped already
}

TEST(ScrollBarInput, ADraggedThumbMovesOnTheNextTick) {
    BarWindow w(L"range=\"112\" value=\"0\"");
    ASSERT_TRUE(w.shown);
    // Track 168, thumb 168*200/312 = 107, travel 200 - 32 - 107 = 61.
    RECT thumb = w.bar->GetThumbRect();
    int y = (thumb.top + thumb.bottom) / 2;
    w.window.MouseDown(8, y);
    EXPECT_EQ(w.bar->GetThumbState() & 0x50, 0x50u);
    ::SendMessageW(w.window.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, y + 30));
    EXPECT_EQ(w.bar->GetScrollPos(), 0);  // nothing before the tick
    w.Tick(1);
    EXPECT_EQ(w.bar->GetScrollPos(), 30 * 112 / 61);
    w.window.MouseUp(8, y + 30);
    EXPECT_EQ(w.bar->GetThumbState() & 0x50, 0u);
}

TEST(ScrollBarInput, DraggingAThumbThatFillsTheTrackMovesNothing) {
    BarWindow w(L"range=\"0\"");
    ASSERT_TRUE(w.shown);
    w.window.MouseDown(8, 100);
    ::SendMessageW(w.window.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 150));
    w.Tick(3);
    EXPECT_EQ(w.bar->GetScrollPos(), 0);
    w.window.MouseUp(8, 150);
}

TEST(ScrollBarInput, PressOnTheRailPagesTowardsThePress) {
    BarWindow w(L"range=\"1000\" value=\"0\"");
    ASSERT_TRUE(w.shown);
    w.window.Click(8, 180);
    EXPECT_EQ(w.bar->GetScrollPos(), 200);  // one page is the bar's length
    EXPECT_EQ(w.Scrolls(), 1);
}

TEST(ScrollBarInput, AnOwnedBarScrollsItsOwnerAndSendsNoScroll) {
    HarnessWindow window(100, 100);
    RecordingNotifier notifier;
    CVerticalLayoutUI* column = new CVerticalLayoutUI;
    column->EnableScrollBar(true, false);
    column->SetScrollStepSize(10);
    CControlUI* content = new CControlUI;
    content->SetFixedHeight(400);
    column->Add(content);
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(column));
    CScrollBarUI* bar = column->GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    window.Click(92, 92);  // button 2 of the bar at the right edge
    EXPECT_EQ(column->GetScrollPos().cy, 10);
    EXPECT_EQ(content->GetPos().top, -10);
    EXPECT_EQ(notifier.Count(L"scroll"), 0);
}

TEST(ScrollBarPaint, MissingImagesDrawOutlinesAndThumbImagesFollowTheState) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(testsupport::WritePng(dir.File(L"thumb.png"), 4, 4, std::vector<uint32_t>(16, 0xFF00A000u)));
    ASSERT_TRUE(testsupport::WritePng(dir.File(L"pushed.png"), 4, 4, std::vector<uint32_t>(16, 0xFFA00000u)));
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());
    BarWindow w(L"range=\"100\" thumbnormalimage=\"thumb.png\" thumbpushedimage=\"pushed.png\"");
    ASSERT_TRUE(w.shown);
    Snapshot normal = w.window.Capture();
    EXPECT_EQ(normal.At(0, 0), 0x85E4FFu);   // button 1 outline
    EXPECT_EQ(normal.At(8, 199), 0x85E4FFu); // button 2 outline
    EXPECT_EQ(normal.At(8, 60), 0x00A000u);  // the thumb image, stretched over the thumb

    w.window.MouseDown(8, 60);
    EXPECT_EQ(w.window.Capture().At(8, 60), 0xA00000u);
    w.window.MouseUp(8, 60);
    EXPECT_EQ(w.window.Capture().At(8, 60), 0x00A000u);
}

}  // namespace
