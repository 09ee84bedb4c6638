// The shaking slider in a harness window: it shakes only when the skin asks,
// paints a range of nothing without dividing by it, and keeps picture names
// that failed to draw.
#include "BrushProgressUI.h"
#include "SliderForeshakingUI.h"
#include "UiHarness.h"

#include <gtest/gtest.h>

namespace {

CSliderForeshakingUI* AddSlider(UiLib::CContainerUI* root, const wchar_t* attributes) {
    auto* slider = uiharness::AddFloating<CSliderForeshakingUI>(root, attributes);
    return slider;
}

TEST(SliderForeshaking, ShakesOnlyWithShakingPixels) {
    uiharness::HarnessWindow window(300, 120);
    auto* root = new UiLib::CContainerUI;
    CSliderForeshakingUI* still = AddSlider(root, L"pos=\"10,10,290,40\" max=\"1000\" value=\"500\"");
    CSliderForeshakingUI* shaking =
        AddSlider(root, L"pos=\"10,60,290,90\" max=\"1000\" value=\"500\" shakingpixels=\"6\"");
    ASSERT_TRUE(window.Show(root));
    EXPECT_FALSE(still->IsShaking());
    EXPECT_TRUE(shaking->IsShaking());
    UiLib::TEventUI event = {};
    event.Type = UiLib::UIEVENT_DBLCLICK;
    still->DoEvent(event);
    EXPECT_FALSE(still->IsShaking());
    event.Type = UiLib::UIEVENT_RBUTTONDOWN;
    shaking->DoEvent(event);
    EXPECT_FALSE(shaking->IsShaking());
    event.Type = UiLib::UIEVENT_DBLCLICK;
    shaking->DoEvent(event);
    EXPECT_TRUE(shaking->IsShaking());
}

TEST(SliderForeshaking, EmptyRangeAndMissingPicturesPaintSafely) {
    uiharness::HarnessWindow window(300, 60);
    auto* root = new UiLib::CContainerUI;
    CSliderForeshakingUI* slider = AddSlider(
        root, L"pos=\"10,10,290,40\" min=\"0\" max=\"0\" value=\"0\" foreimage=\"missing-fore.png\" "
              L"thumbimage=\"missing-thumb.png\" bkcolor=\"#FF204060\"");
    ASSERT_TRUE(window.Show(root));
    const uiharness::Snapshot first = window.Capture();
    EXPECT_EQ(0x204060u, first.At(150, 25) & 0xFFFFFFu);
    // The pictures that could not be drawn are tried again on the next paint.
    EXPECT_STREQ(L"missing-fore.png", slider->GetForeImage());
    slider->SetMaxValue(1000);
    slider->SetValue(500);
    window.Capture();
    EXPECT_STREQ(L"missing-fore.png", slider->GetForeImage());
}

TEST(BrushProgress, CreepNeverRunsAtZeroMilliseconds) {
    uiharness::HarnessWindow window(300, 60);
    auto* root = new UiLib::CContainerUI;
    auto* bar = uiharness::AddFloating<CBrushProgressUI>(root, L"pos=\"10,10,290,40\"");
    ASSERT_TRUE(window.Show(root));
    bar->SetCreepPeriod(0);
    EXPECT_GT(bar->CreepPeriod(), 0u);
    bar->ResetForRun();
    EXPECT_TRUE(bar->IsCreeping());
    EXPECT_EQ(1000, bar->GetMaxValue());
    // It creeps to the first step's share of the bar and stops there.
    EXPECT_TRUE(uiharness::PumpUntil([&] { return bar->GetValue() > 3; }, 3000));
    bar->StopCreep();
    EXPECT_FALSE(bar->IsCreeping());
}

}  // namespace
