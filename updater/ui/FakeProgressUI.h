// A progress bar that advances by itself: once started it adds one to its
// value every `period` milliseconds until it reaches its maximum. Skins name
// it "SmoothProgress".
#pragma once

#include "controls/UISlider.h"

class CFakeProgressUI : public UiLib::CSliderUI {
public:
    CFakeProgressUI() = default;
    ~CFakeProgressUI() override;

    void DoEvent(UiLib::TEventUI& event) override;

    // Arms the step timer once; later calls do nothing.
    void Start();

    bool started = false;
    unsigned period = 300;
    bool showText = false;
    bool hideWhenFull = false;

    static constexpr UINT kStepTimer = 1000;

private:
    void Step();
};
