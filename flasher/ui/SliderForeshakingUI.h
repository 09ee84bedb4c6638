// A slider whose filled part trembles sideways while its shake timer runs
// and which writes its percentage on the thumb. The base of the flashing
// progress bar.
#pragma once

#include "controls/UISlider.h"

class CSliderForeshakingUI : public UiLib::CSliderUI {
public:
    CSliderForeshakingUI() = default;
    ~CSliderForeshakingUI() override;

    const wchar_t* GetClass() const override { return L"SliderForeshakingUI"; }
    LPVOID GetInterface(const wchar_t* name) override;
    void DoInit() override;
    void DoEvent(UiLib::TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(HDC hDC) override;

    bool IsShaking() const { return shaking_; }
    int ShakeWidth() const { return shakeWidth_; }

private:
    void StartShaking();
    void StopShaking();
    bool DrawIfSet(HDC hDC, const UiLib::CUiString& image, const UiLib::CUiString& modify);

    bool shaking_ = false;
    int shakeWidth_ = -1;  // -1: the skin asked for no shaking
    UINT shakeIntervalMs_ = 100;
    bool phase_ = false;
    // The thumb pictures and the pointer's state, kept here to paint them.
    UiLib::CUiString thumbImage_, thumbHotImage_, thumbPushedImage_;
    bool thumbHot_ = false;
    bool thumbPushed_ = false;
};
