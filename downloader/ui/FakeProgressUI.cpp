#include "ui/FakeProgressUI.h"

#include "core/manager/UIManager.h"

#include <string>

using namespace UiLib;

CFakeProgressUI::~CFakeProgressUI() {
    if (started_ && GetManager() != nullptr) GetManager()->KillTimer(this, kTimerId);
}

void CFakeProgressUI::Start() {
    if (started_ || GetManager() == nullptr) return;
    started_ = GetManager()->SetTimer(this, kTimerId, period_);
}

std::wstring CFakeProgressUI::PercentText() const {
    // A range of zero width has no fraction to show; it counts as empty.
    const long long range = static_cast<long long>(GetMaxValue());
    const long long percent = range > 0 ? static_cast<long long>(GetValue()) * 100 / range : 0;
    return std::to_wstring(percent) + L"%";
}

void CFakeProgressUI::DoEvent(TEventUI& event) {
    CSliderUI::DoEvent(event);
    if (event.Type == UIEVENT_TIMER && event.wParam == kTimerId) Step();
}

void CFakeProgressUI::Step() {
    CPaintManagerUI* manager = GetManager();
    if (manager == nullptr) return;
    manager->KillTimer(this, kTimerId);
    if (showText_) SetText(PercentText().c_str());
    if (GetValue() < GetMaxValue()) {
        SetValue(GetValue() + 1);
        manager->SetTimer(this, kTimerId, period_);
    } else if (hideWhenFull_) {
        SetVisible(false);
    }
}
