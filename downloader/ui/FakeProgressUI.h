// CFakeProgressUI: a slider that advances by itself. Once started it adds
// one to its value every period until the maximum, optionally writing the
// percentage as its text and hiding itself when full. Skins ask for it as
// "SmoothProgress".
#pragma once

#include "controls/UISlider.h"

class CFakeProgressUI : public UiLib::CSliderUI {
public:
    static constexpr UINT kTimerId = 1000;

    CFakeProgressUI() = default;
    CFakeProgressUI(unsigned periodMs, bool showText, bool hideWhenFull)
        : period_(periodMs), showText_(showText), hideWhenFull_(hideWhenFull) {}
    ~CFakeProgressUI() override;

    // Arms the step timer once; later calls change nothing.
    void Start();
    bool IsStarted() const { return started_; }
    void DoEvent(UiLib::TEventUI& event) override;

    // The percentage text of the current value: "%d%%", 0 for an empty range.
    std::wstring PercentText() const;

private:
    void Step();

    bool started_ = false;
    unsigned period_ = 300;
    bool showText_ = false;
    bool hideWhenFull_ = false;
};
