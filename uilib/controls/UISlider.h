// CSliderUI: a progress bar with a draggable thumb. Pressing, dragging and
// the wheel set the value; "valuechanged" follows a release or a wheel step,
// "movevaluechanged" each move of a drag when asked for.
#pragma once
#include "controls/UIProgress.h"

namespace UiLib {

class UILIB_API CSliderUI : public CProgressUI {
public:
    CSliderUI();
    ~CSliderUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(HDC hDC) override;

    void SetValue(int value);
    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int step) { m_nStep = step; }
    SIZE GetThumbSize() const { return m_szThumb; }
    void SetThumbSize(SIZE size) { m_szThumb = size; }
    RECT GetThumbRect() const;
    void SetThumbImage(const wchar_t* image);
    void SetThumbHotImage(const wchar_t* image);
    void SetThumbPushedImage(const wchar_t* image);
    bool IsSendMove() const { return m_bSendMove; }
    void SetCanSendMove(bool sendMove) { m_bSendMove = sendMove; }

private:
    // The value a mouse position stands for along the track.
    int ValueAt(POINT pt) const;
    // A maximum above the minimum, as the paint keeps it.
    long long UsableMax() const;
    bool DrawThumb(HDC hDC, CUiString& image);

    SIZE m_szThumb = {10, 10};
    UINT m_uButtonState = 0;
    int m_nStep = 1;
    CUiString m_sThumbImage;
    CUiString m_sThumbHotImage;
    CUiString m_sThumbPushedImage;
    CUiString m_sThumbModify;
    bool m_bSendMove = false;
};

}  // namespace UiLib
