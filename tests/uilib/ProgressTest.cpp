// Progress bars and sliders in real windows: the filled part read back as
// pixels (wide ranges included), and the slider's press, drag, release and
// wheel with their notifications.
#include "PngWriter.h"
#include "TestPaths.h"
#include "UiHarness.h"
#include "controls/UISlider.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

class ProgressPixels : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testsupport::WritePng(dir_.File(L"fill.png"), 4, 4, std::vector<uint32_t>(16, 0xFFFF0000)));
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(dir_.Path().c_str());
    }
    testsupport::ScratchDir dir_;
};

TEST_F(ProgressPixels, TheFilledPartFollowsTheValueInBothDirections) {
    struct Case {
        bool horizontal;
        int min, max, value;
        int filled;  // red pixels along the bar (200 wide, 100 high)
    } cases[] = {
        {true, 0, 100, 50, 100},
        {true, 0, 100, 0, 0},
        {true, 0, 100, 150, 200},  // above the maximum: full
        {true, 0, 2000000000, 1000000000, 100},  // the product needs 64 bits
        {true, INT_MIN, INT_MAX, 0, 100},
        {true, -10, 10, -20, 0},
        {false, 0, 100, 0, 0},
        {false, 0, 100, 100, 100},
        {false, 0, 4, 1, 25},  // a vertical bar fills from the bottom up
        {true, 10, 10, 10, 0},  // an empty range becomes 10..11
    };
    HarnessWindow window(260, 260);
    CContainerUI* root = new CContainerUI;
    root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
    CProgressUI* bar = AddFloating<CProgressUI>(root, L"foreimage=\"fill.png\" pos=\"20,20,220,40\"");
    ASSERT_TRUE(window.Show(root));
    for (const Case& c : cases) {
        bar->SetPos(c.horizontal ? RECT{20, 20, 220, 40} : RECT{20, 20, 40, 120});
        bar->SetHorizontal(c.horizontal);
        bar->SetMinValue(c.min);
        bar->SetMaxValue(c.max);
        bar->SetValue(c.value);
        window.Settle();
        Snapshot shot = window.Capture();
        int red = 0;
        for (int i = 0; i < (c.horizontal ? 200 : 100); ++i)
            red += (c.horizontal ? shot.At(20 + i, 30) : shot.At(30, 20 + i)) == 0xFF0000u;
        EXPECT_EQ(red, c.filled) << c.min << ".." << c.max << " at " << c.value;
        if (!c.horizontal && c.filled > 0 && c.filled < 100) {
            EXPECT_EQ(shot.At(30, 119), 0xFF0000u);
            EXPECT_EQ(shot.At(30, 20), 0xFFFFFFu);
        }
    }
    EXPECT_EQ(bar->GetMaxValue(), 11);  // the paint repaired the last, empty range
}

TEST_F(ProgressPixels, AnUnstretchedForeImageShowsItsOwnPartUnscaled) {
    // 200 x 20: red on the left half, green on the right.
    std::vector<uint32_t> halves(200 * 20);
    for (size_t i = 0; i < halves.size(); ++i) halves[i] = (i % 200) < 100 ? 0xFFFF0000 : 0xFF00FF00;
    ASSERT_TRUE(testsupport::WritePng(dir_.File(L"halves.png"), 200, 20, halves));
    HarnessWindow window(260, 120);
    CContainerUI* root = new CContainerUI;
    root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
    AddFloating<CProgressUI>(root, L"pos=\"20,20,220,40\" foreimage=\"halves.png\" value=\"50\"");
    AddFloating<CProgressUI>(root, L"pos=\"20,60,220,80\" foreimage=\"halves.png\" value=\"50\" isstretchfore=\"false\"");
    ASSERT_TRUE(window.Show(root));
    Snapshot shot = window.Capture();
    EXPECT_EQ(shot.At(25, 30), 0xFF0000u);
    EXPECT_EQ(shot.At(115, 30), 0x00FF00u);  // the whole picture squeezed into the filled half
    EXPECT_EQ(shot.At(25, 70), 0xFF0000u);
    EXPECT_EQ(shot.At(115, 70), 0xFF0000u);  // only the picture's own left half
    EXPECT_EQ(shot.At(125, 70), 0xFFFFFFu);
}

struct SliderWindow {
    SliderWindow(const wchar_t* attributes) {
        root = new CContainerUI;
        slider = AddFloating<CSliderUI>(root, attributes);
        window.Manager().AddNotifier(&notifier);
        EXPECT_TRUE(window.Show(root));
    }
    HarnessWindow window{300, 200};
    CContainerUI* root;
    CSliderUI* slider;
    RecordingNotifier notifier;
};

TEST(Slider, PressMovesTheValueQuietlyAndReleaseReportsIt) {
    SliderWindow w(L"pos=\"0,0,210,20\" thumbsize=\"10,10\" sendmove=\"true\"");
    CSliderUI* s = w.slider;
    w.window.MouseMove(105, 10);
    w.window.MouseDown(105, 10);
    EXPECT_EQ(s->GetValue(), 50);
    EXPECT_EQ(w.notifier.Count(L"valuechanged"), 0);
    s->SetValue(7);  // a drag owns the value
    EXPECT_EQ(s->GetValue(), 50);
    w.window.MouseMove(55, 10);
    EXPECT_EQ(s->GetValue(), 25);
    EXPECT_EQ(w.notifier.Count(L"movevaluechanged"), 1);
    w.window.MouseMove(290, 10);
    w.window.MouseUp(290, 10);  // released beyond the right end
    EXPECT_EQ(s->GetValue(), 100);
    EXPECT_EQ(w.notifier.Count(L"valuechanged"), 1);

    RECT thumb = s->GetThumbRect();
    EXPECT_EQ(thumb.left, 200);
    EXPECT_EQ(thumb.top, 5);
    EXPECT_EQ(thumb.right - thumb.left, 10);
}

TEST(Slider, WheelStepsAreClampedAndStillReported) {
    SliderWindow w(L"pos=\"0,0,210,20\" step=\"5\" value=\"98\"");
    CSliderUI* s = w.slider;
    w.window.Wheel(100, 10, 120);  // line up: value + step
    EXPECT_EQ(s->GetValue(), 100);
    s->SetValue(3);
    w.window.Wheel(100, 10, -120);
    EXPECT_EQ(s->GetValue(), 0);
    EXPECT_EQ(w.notifier.Count(L"valuechanged"), 2);

    s->SetChangeStep(INT_MAX);  // no overflow past the range either way
    s->SetValue(50);
    w.window.Wheel(100, 10, 120);
    EXPECT_EQ(s->GetValue(), 100);
}

TEST(Slider, ADisabledSliderKeepsItsValueOnRelease) {
    SliderWindow w(L"pos=\"0,0,210,20\" value=\"30\" enabled=\"false\"");
    w.window.MouseMove(200, 10);
    w.window.MouseDown(200, 10);
    w.window.MouseUp(200, 10);
    EXPECT_EQ(w.slider->GetValue(), 30);
    EXPECT_EQ(w.notifier.Count(L"valuechanged"), 0);
    EXPECT_EQ(w.slider->GetControlFlags(), 0u);
}

TEST(Slider, ASliderNoLongerThanItsThumbStaysInRange) {
    struct Case {
        const wchar_t* attributes;
        POINT press;
    } cases[] = {
        {L"pos=\"0,0,8,20\" thumbsize=\"10,10\"", {4, 10}},
        {L"pos=\"0,0,10,20\" thumbsize=\"10,10\" min=\"5\" max=\"5\"", {9, 10}},
        {L"pos=\"0,0,20,6\" thumbsize=\"10,10\" hor=\"false\"", {10, 3}},
    };
    for (const Case& c : cases) {
        SliderWindow w(c.attributes);
        w.window.MouseMove(c.press.x, c.press.y);
        w.window.MouseDown(c.press.x, c.press.y);
        w.window.MouseMove(c.press.x + 1, c.press.y + 1);
        w.window.MouseUp(c.press.x, c.press.y);
        int value = w.slider->GetValue();
        EXPECT_GE(value, w.slider->GetMinValue()) << c.attributes;
        EXPECT_LE(value, w.slider->GetMaxValue() > w.slider->GetMinValue() ? w.slider->GetMaxValue()
                                                                          : w.slider->GetMinValue() + 1)
            << c.attributes;
        w.window.Capture();  // and it paints
    }
}

TEST(Slider, AVerticalSliderCountsFromTheBottom) {
    SliderWindow w(L"pos=\"0,0,20,110\" hor=\"false\" thumbsize=\"10,10\"");
    w.window.MouseMove(10, 105);
    w.window.Click(10, 105);
    EXPECT_EQ(w.slider->GetValue(), 0);
    w.window.Click(10, 55);
    EXPECT_EQ(w.slider->GetValue(), 50);
    w.window.Click(10, 2);
    EXPECT_EQ(w.slider->GetValue(), 100);
    EXPECT_EQ(w.slider->GetThumbRect().top, 0);
}

}  // namespace
