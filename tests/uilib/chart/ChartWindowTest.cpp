// The chart view: the value range and its ticks, and the chart drawn in a
// real window (axis, grid, gradient bars) read back as pixels; a chart
// without labels paints as its layout only.
#include "UiHarness.h"
#include "controls/UIChart.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

struct RangeCase {
    const char* name;
    int minimum, maximum, step;
    std::vector<int> ticks;
    int min1, max1, resultStep;
};

TEST(ChartRange, TicksFollowTheGivenStep) {
    const RangeCase cases[] = {
        {"the defaults", 0, 5, 1, {0, 1, 2, 3, 4, 0, 5}, 0, 5, 1},
        {"a wider range with its own step", -10, 20, 5, {0, 5, 10, 15, -5, -10, 20}, -10, 20, 5},
        {"a narrower range keeps the wider bounds", 1, 3, 1, {0, 1, 2, 3, 4, 0, 5}, 0, 5, 1},
        {"step 0: no ticks, a fifth of the range", 0, 50, 0, {}, 0, 50, 10},
        {"a negative step ends the tick list", -20, 20, -4, {}, -20, 20, 8},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        CChartViewUI chart;
        chart.SetRange(c.minimum, c.maximum, c.step);
        EXPECT_EQ(chart.GetChartInfo().ticks, c.ticks);
        EXPECT_EQ(chart.GetChartInfo().nMin1, c.min1);
        EXPECT_EQ(chart.GetChartInfo().nMax1, c.max1);
        EXPECT_EQ(chart.GetChartInfo().nStep, c.resultStep);
    }
}

// A 300 x 200 chart on white, built from a skin. With the default margins,
// legend and caption the plot runs from x 30 to 295 and y 10 to 151; the
// range 0..5 gives 28.2 pixels per unit and the zero row 151.
struct ChartWindow {
    ChartWindow() : window(300, 200) {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(STRINGorID(L"<Window><ChartView bkcolor=\"#FFFFFFFF\"/></Window>"), nullptr,
                                          nullptr, &window.Manager());
        chart = root ? static_cast<CChartViewUI*>(root->GetInterface(L"ChartView")) : nullptr;
        if (chart) shown = window.Show(chart);
    }
    HarnessWindow window;
    CChartViewUI* chart = nullptr;
    bool shown = false;
};

bool IsReddish(DWORD rgb) { return ((rgb >> 16) & 0xFF) > 0xA0 && (rgb & 0xFF) < 0x60; }
bool IsBluish(DWORD rgb) { return (rgb & 0xFF) > 0xA0 && ((rgb >> 16) & 0xFF) < 0x60; }

TEST(ChartPaint, WithoutLabelsOnlyTheLayoutShows) {
    ChartWindow view;
    ASSERT_TRUE(view.shown);
    EXPECT_STREQ(view.chart->GetClass(), L"ChartViewUI");
    EXPECT_EQ(view.chart->GetInterface(L"HorizontalLayout"), view.chart);
    Snapshot shot = view.window.Capture();
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 300; x += 7) ASSERT_EQ(shot.At(x, y), 0xFFFFFFu) << x << "," << y;
}

TEST(ChartPaint, AxisGridAndGradientBarsAreDrawn) {
    ChartWindow view;
    ASSERT_TRUE(view.shown);
    view.chart->AddLabel(L"one");
    view.chart->AddLabel(L"two");
    view.chart->AddSeries(0xFFFF0000, 0xFF0000FF, {3.0, 2.0});
    view.window.Settle();
    Snapshot shot = view.window.Capture();

    EXPECT_EQ(view.chart->GetChartInfo().nPlotWidth, 265);
    EXPECT_EQ(view.chart->GetChartInfo().nPlotHeight, 141);
    EXPECT_EQ(view.chart->GetChartInfo().nZeroRow, 151);
    // The value axis in the axis colour.
    EXPECT_EQ(shot.At(30, 100), 0x000000u);
    // The grid line below the tick of 1 (row 123), between the bars: 0 - 20 mod 256 in each channel.
    EXPECT_EQ(shot.At(150, 124), 0xECECECu);
    // The first bar: 3 units from the zero row, x 66 to 126; red at its top, blue at its bottom.
    EXPECT_TRUE(IsReddish(shot.At(96, 70))) << std::hex << shot.At(96, 70);
    EXPECT_TRUE(IsBluish(shot.At(96, 148))) << std::hex << shot.At(96, 148);
    EXPECT_EQ(shot.At(96, 60), 0xFFFFFFu);
    // The second bar is 2 units high: above it white, inside it coloured.
    EXPECT_EQ(shot.At(228, 90), 0xFFFFFFu);
    EXPECT_NE(shot.At(228, 100), 0xFFFFFFu);
    // The tick labels are drawn left of the axis.
    int dark = 0;
    for (int y = 5; y < 156; ++y)
        for (int x = 5; x < 26; ++x) dark += (shot.At(x, y) & 0xFF) < 0x80;
    EXPECT_GT(dark, 20);
}

}  // namespace
