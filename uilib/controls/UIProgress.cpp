#include "controls/UIProgress.h"

#include "core/manager/UIAttributeValue.h"

#include <climits>
#include <cwchar>

namespace UiLib {

CProgressUI::CProgressUI() {
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    SetFixedHeight(12);
}

CProgressUI::~CProgressUI() = default;

const wchar_t* CProgressUI::GetClass() const { return L"ProgressUI"; }

LPVOID CProgressUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Progress") == 0) return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal) return;
    m_bHorizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetStretchForeImage(bool stretch) {
    if (m_bStretchForeImage == stretch) return;
    m_bStretchForeImage = stretch;
    Invalidate();
}

void CProgressUI::SetMinValue(int min) {
    m_nMin = min;
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    m_nMax = max;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    m_nValue = value;
    Invalidate();
}

void CProgressUI::SetForeImage(const wchar_t* image) {
    if (m_sForeImage == (image ? image : L"")) return;
    m_sForeImage = image;
    Invalidate();
}

void CProgressUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    auto is = [name](const wchar_t* key) { return std::wcscmp(name, key) == 0; };
    if (is(L"foreimage")) SetForeImage(value);
    else if (is(L"hor")) SetHorizontal(ParseBoolValue(value));
    else if (is(L"min")) SetMinValue(ParseIntValue(value));
    else if (is(L"max")) SetMaxValue(ParseIntValue(value));
    else if (is(L"value")) SetValue(ParseIntValue(value));
    else if (is(L"isstretchfore")) SetStretchForeImage(ParseBoolValue(value));
    else CLabelUI::SetAttribute(name, value);
}

void CProgressUI::NormaliseRange() {
    if (m_nMax <= m_nMin) {
        if (m_nMin == INT_MAX) m_nMin = INT_MAX - 1;  // leaves room for max = min + 1
        m_nMax = m_nMin + 1;
    }
    if (m_nValue > m_nMax) m_nValue = m_nMax;
    if (m_nValue < m_nMin) m_nValue = m_nMin;
}

int CProgressUI::Scale(int length, long long part, long long range) {
    if (range <= 0) return 0;
    return static_cast<int>(static_cast<long long>(length) * part / range);
}

RECT CProgressUI::ForeRect() const {
    const long long range = static_cast<long long>(m_nMax) - m_nMin;
    const int width = m_rcItem.right - m_rcItem.left;
    const int height = m_rcItem.bottom - m_rcItem.top;
    RECT fill = {0, 0, 0, 0};
    if (m_bHorizontal) {
        fill.right = Scale(width, static_cast<long long>(m_nValue) - m_nMin, range);
        fill.bottom = height;
    } else {
        fill.top = Scale(height, static_cast<long long>(m_nMax) - m_nValue, range);
        fill.right = width;
        fill.bottom = height;
    }
    return fill;
}

void CProgressUI::PaintStatusImage(HDC hDC) {
    NormaliseRange();
    const RECT fill = ForeRect();
    if (m_sForeImage.IsEmpty()) return;

    if (m_bStretchForeImage)
        m_sForeImageModify.Format(L"dest='%d,%d,%d,%d'", fill.left, fill.top, fill.right, fill.bottom);
    else
        m_sForeImageModify.Format(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", fill.left, fill.top, fill.right,
                                  fill.bottom, fill.left, fill.top, fill.right, fill.bottom);
    if (!DrawImage(hDC, m_sForeImage, m_sForeImageModify)) m_sForeImage.Empty();
}

}  // namespace UiLib
