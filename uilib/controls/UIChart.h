// CChartViewUI: a horizontal layout that can draw a bar chart over its
// background: a value axis with tick labels and grid lines, and one
// gradient-filled bar per series and category. Skins only place and decorate
// it; the chart is drawn once a program gives it category labels.
#pragma once
#include "controls/UIHorizontalLayout.h"

#include <vector>

namespace UiLib {

class UILIB_API CChartViewUI : public CHorizontalLayoutUI {
public:
    // The values of one series, one per label, and its bars' top and bottom colours.
    struct Series {
        DWORD dwTopColor;
        DWORD dwBottomColor;
        std::vector<double> values;
    };

    // How the chart is laid out and scaled; painting writes the measured fields.
    struct ChartInfo {
        bool bSecondListIsData = true;
        bool bShowGrid = true;
        int nPlotWidth = 0;
        int nPlotHeight = 0;
        int nMin1 = 0;
        int nMax1 = 5;
        int nMin2 = 0;
        int nMax2 = 5;
        int nStep = 1;
        int nReserved = 0;
        int nCaptionBand = 16;
        int nLabelWidth = 25;
        int nLabelFont = 0;
        int nLineWidth = 2;
        int nLegendWidth = 60;
        int nLegendHeight = 22;
        int nZeroRow = 0;
        int nMinRow = 0;
        int nMaxRow = 0;
        double dScale = 0.0;
        int nLegendPos = 2;   // 0 above the plot, 1 right of it, 2 below it
        int nCaptionPos = 2;  // 0 above the plot, 2 below it
        int nNoAxes = 0;
        DWORD dwAxisColor = 0xFF000000;
        RECT rcMargins = {5, 5, 5, 5};
        CUiString sTitle = L"Legend";
        std::vector<int> ticks;
        std::vector<int> secondList;
        std::vector<CUiString> labels;
    };

    CChartViewUI();
    ~CChartViewUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // Widens the value range to take in [minimum, maximum] and rebuilds the
    // ticks for `step` (0 or a negative step leaves no ticks); repaints.
    void SetRange(int minimum, int maximum, int step);
    void AddLabel(const wchar_t* label);
    void AddSeries(DWORD topColor, DWORD bottomColor, const std::vector<double>& values);
    void Clear();
    const ChartInfo& GetChartInfo() const { return m_info; }
    ChartInfo& ChartSettings() { return m_info; }

private:
    // The plot rectangle after margins, legend, caption and labels; false
    // when nothing more is to be drawn.
    bool LayOutPlot(RECT& plot);
    void DrawValueAxis(HDC hDC, const RECT& plot);
    void DrawBars(HDC hDC, const RECT& plot);
    // Pixel row of a value.
    int RowOf(int value) const;

    ChartInfo m_info;
    std::vector<Series> m_series;
};

}  // namespace UiLib
