// CProgressUI: a label that draws its fore image over the part of its
// rectangle that the value covers between the minimum and the maximum,
// left to right or bottom to top.
#pragma once
#include "controls/UILabel.h"

namespace UiLib {

class UILIB_API CProgressUI : public CLabelUI {
public:
    CProgressUI();
    ~CProgressUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(HDC hDC) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    bool IsStretchForeImage() const { return m_bStretchForeImage; }
    void SetStretchForeImage(bool stretch = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int min);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int max);
    int GetValue() const { return m_nValue; }
    void SetValue(int value);
    void SetForeImage(const wchar_t* image);

protected:
    // Keeps max above min and the value inside [min, max].
    void NormaliseRange();
    // The part of the control the value fills, relative to the control
    // (after NormaliseRange).
    RECT ForeRect() const;
    // length x part / range in 64 bits, so ranges of byte counts do not
    // overflow; 0 for an empty range.
    static int Scale(int length, long long part, long long range);

    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    int m_nMax = 100;
    int m_nMin = 0;
    int m_nValue = 0;
    CUiString m_sForeImageModify;
};

}  // namespace UiLib
