#include "ui/FakeProgressUI.h"

#include <string>

#include "core/manager/UIManager.h"

using namespace UiLib;

CFakeProgressUI::~CFakeProgressUI() {
    if (GetManager()) GetManager()->KillTimer(this, kStepTimer);
}

void CFakeProgressUI::Start() {
    if (started || !GetManager()) return;
    GetManager()->SetTimer(this, kStepTimer, period);
    started = true;
}

void CFakeProgressUI::DoEvent(TEventUI& event) {
    CSliderUI::DoEvent(event);
    if (event.Type == UIEVENT_TIMER && event.wParam == kStepTimer) Step();
}

void CFakeProgressUI::Step() {
    GetManager()->KillTimer(this, kStepTimer);
    const int maximum = GetMaxValue();
    const int percent = maximum > 0 ? GetValue() * 100 / maximum : 100;
    if (showText) SetText((std::to_wstring(percent) + L"%").c_str());
    if (GetValue() < maximum) {
        SetValue(GetValue() + 1);
        GetManager()->SetTimer(this, kStepTimer, period);
    } else if (hideWhenFull) {
        SetVisible(false);
    }
}
