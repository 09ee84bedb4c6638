#include "controls/UIChart.h"

#include "core/render/UIRender.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace UiLib {

namespace {

const int kLegendGap = 6;
const int kPlotTopGap = 5;
const int kAxisOverTop = 5;
const int kAxisBelowBottom = 3;
const int kTickLength = 4;
const int kLabelBoxHeight = 10;
const int kGradientSteps = 16;
const int kGridShade = 20;
const int kSeparatorShade = 75;

// A grey whose three channels are the axis colour's low byte less `shade`, modulo 256.
DWORD GreyBelow(DWORD axisColor, int shade) {
    const DWORD level = static_cast<DWORD>((static_cast<int>(axisColor & 0xFF) - shade) & 0xFF);
    return 0xFF000000 | (level << 16) | (level << 8) | level;
}

// "%d%s": the value, or for 10001 and above thousands with the unit "K".
CUiString TickText(int value) {
    wchar_t text[32];
    if (value >= 10001)
        std::swprintf(text, 32, L"%d%ls", value / 1000, L"K");
    else
        std::swprintf(text, 32, L"%d%ls", value, L"");
    return CUiString(text);
}

}  // namespace

CChartViewUI::CChartViewUI() { SetRange(m_info.nMin1, m_info.nMax1, m_info.nStep); }

CChartViewUI::~CChartViewUI() = default;

const wchar_t* CChartViewUI::GetClass() const { return L"ChartViewUI"; }

LPVOID CChartViewUI::GetInterface(const wchar_t* name) {
    if (name && (std::wcscmp(name, L"ChartView") == 0 || std::wcscmp(name, L"HorizontalLayout") == 0)) return this;
    return CContainerUI::GetInterface(name);
}

void CChartViewUI::SetRange(int minimum, int maximum, int step) {
    const int lower = std::min(m_info.nMin1, m_info.nMin2);
    if (minimum < lower) m_info.nMin1 = minimum;
    const int upper = std::max(m_info.nMax1, m_info.nMax2);
    if (maximum > upper) m_info.nMax1 = maximum;
    if (step != 0 && step >= m_info.nStep)
        m_info.nStep = step;
    else
        m_info.nStep = (m_info.nMax1 - m_info.nMin1) / 5;

    // Ticks: 0, the positive multiples below the maximum, the negative ones
    // above the minimum, then the minimum and the maximum. Only a positive
    // step walks away from 0; any other leaves no ticks rather than a walk
    // that never ends.
    m_info.ticks.clear();
    if (step > 0) {
        m_info.ticks.push_back(0);
        for (long long v = step; v < m_info.nMax1; v += step) m_info.ticks.push_back(static_cast<int>(v));
        for (long long v = -static_cast<long long>(step); v > m_info.nMin1; v -= step)
            m_info.ticks.push_back(static_cast<int>(v));
        m_info.ticks.push_back(m_info.nMin1);
        m_info.ticks.push_back(m_info.nMax1);
    }
    Invalidate();
}

void CChartViewUI::AddLabel(const wchar_t* label) {
    m_info.labels.push_back(CUiString(label ? label : L""));
    Invalidate();
}

void CChartViewUI::AddSeries(DWORD topColor, DWORD bottomColor, const std::vector<double>& values) {
    m_series.push_back(Series{topColor, bottomColor, values});
    Invalidate();
}

void CChartViewUI::Clear() {
    m_series.clear();
    m_info.labels.clear();
    Invalidate();
}

bool CChartViewUI::LayOutPlot(RECT& plot) {
    plot = m_rcItem;
    plot.left += m_info.rcMargins.left;
    plot.top += m_info.rcMargins.top;
    plot.right -= m_info.rcMargins.right;
    plot.bottom -= m_info.rcMargins.bottom;
    if (m_info.nLegendPos == 0)
        plot.top += m_info.nLegendHeight + kLegendGap;
    else if (m_info.nLegendPos == 2)
        plot.bottom -= m_info.nLegendHeight + kLegendGap;
    else if (m_info.nLegendPos == 1)
        plot.right -= m_info.nLegendWidth;
    if (m_info.nNoAxes == 0) {
        if (m_info.nCaptionPos == 0)
            plot.top += m_info.nCaptionBand;
        else if (m_info.nCaptionPos == 2)
            plot.bottom -= m_info.nCaptionBand;
        plot.left += m_info.nLabelWidth;
    }
    plot.top += kPlotTopGap;
    m_info.nPlotWidth = plot.right - plot.left;
    m_info.nPlotHeight = plot.bottom - plot.top;
    return m_info.nNoAxes == 0 && m_info.nPlotWidth >= 1 && m_info.nPlotHeight >= 1;
}

int CChartViewUI::RowOf(int value) const {
    const double offset = std::abs(static_cast<double>(value)) * m_info.dScale;
    return value > 0 ? m_info.nZeroRow - static_cast<int>(offset) : m_info.nZeroRow + static_cast<int>(offset);
}

void CChartViewUI::DrawValueAxis(HDC hDC, const RECT& plot) {
    const DWORD axis = m_info.dwAxisColor;
    CRenderEngine::DrawLine(hDC, RECT{plot.left, plot.top - kAxisOverTop, plot.left, plot.bottom + kAxisBelowBottom},
                            m_info.nLineWidth, axis);
    for (int value : m_info.ticks) {
        const int row = RowOf(value);
        CRenderEngine::DrawLine(hDC, RECT{plot.left - kTickLength, row, plot.left, row}, m_info.nLineWidth, axis);
        if (m_info.bShowGrid)
            CRenderEngine::DrawLine(hDC, RECT{plot.left + 1, row + 1, plot.right, row + 1}, 1,
                                    GreyBelow(axis, kGridShade));
        if (value == m_info.nMin1) m_info.nMinRow = row;
        if (value == m_info.nMax1) m_info.nMaxRow = row;
        RECT box = {plot.left - m_info.nLabelWidth, row - kLabelBoxHeight / 2, plot.left - kTickLength,
                    row + kLabelBoxHeight / 2};
        CRenderEngine::DrawTextW(hDC, m_pManager, box, TickText(value), axis, m_info.nLabelFont,
                                 DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    CRenderEngine::DrawLine(hDC, RECT{plot.left, m_info.nZeroRow, plot.right, m_info.nZeroRow}, m_info.nLineWidth,
                            axis);
}

void CChartViewUI::DrawBars(HDC hDC, const RECT& plot) {
    const int labelCount = static_cast<int>(m_info.labels.size());
    const int column = m_info.nPlotWidth / labelCount;
    const int slot = column / (static_cast<int>(m_series.size()) + 1);
    if (column <= 0 || slot <= 0) return;
    const int gap = slot / 2 / 10;
    const DWORD separator = GreyBelow(m_info.dwAxisColor, kSeparatorShade);
    for (int i = 0; i < labelCount; ++i) {
        const int columnLeft = plot.left + i * column;
        if (i > 0) CRenderEngine::DrawLine(hDC, RECT{columnLeft, plot.top, columnLeft, m_info.nZeroRow}, 1, separator);
        for (size_t s = 0; s < m_series.size(); ++s) {
            const Series& series = m_series[s];
            if (static_cast<size_t>(i) >= series.values.size()) continue;
            const double value = series.values[static_cast<size_t>(i)];
            const int height = static_cast<int>(std::abs(value) * m_info.dScale);
            if (height <= 0) continue;
            RECT bar;
            bar.left = columnLeft + slot / 2 + static_cast<int>(s) * slot + gap;
            bar.right = bar.left + slot - 2 * gap;
            bar.top = value > 0 ? m_info.nZeroRow - height : m_info.nZeroRow;
            bar.bottom = value > 0 ? m_info.nZeroRow : m_info.nZeroRow + height;
            CRenderEngine::DrawGradient(hDC, bar, series.dwTopColor, series.dwBottomColor, true, kGradientSteps);
            CRenderEngine::DrawRect(hDC, bar, 1, separator);
        }
    }
}

void CChartViewUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT visible;
    if (!::IntersectRect(&visible, &rcPaint, &m_rcItem)) return;
    CContainerUI::DoPaint(hDC, rcPaint);
    if (m_info.labels.empty()) return;
    RECT plot;
    if (!LayOutPlot(plot)) return;
    const int top = std::max(m_info.nMax1, m_info.nMax2);
    const int bottom = std::min(m_info.nMin1, m_info.nMin2);
    if (m_info.ticks.empty() || top <= bottom) return;
    m_info.dScale = static_cast<double>(m_info.nPlotHeight) / (top - bottom);
    m_info.nZeroRow = plot.top + static_cast<int>(top * m_info.dScale);
    DrawValueAxis(hDC, plot);
    DrawBars(hDC, plot);
}

}  // namespace UiLib
