#include "BrushProgressUI.h"

#include <algorithm>
#include <cwchar>

#include "FlashSteps.h"
#include "NotifyRecord.h"
#include "core/manager/UIManager.h"

using namespace UiLib;

namespace {

constexpr UINT kCreepTimer = 1000;
constexpr UINT kShortestPeriod = 10;  // a 0 ms timer would spin

void Tell(INotifyUI* owner, const wchar_t* type) {
    if (!owner) return;
    TNotifyUI msg = MakeNotify(type);
    owner->Notify(msg);
}

}  // namespace

CBrushProgressUI::CBrushProgressUI() = default;

CBrushProgressUI::~CBrushProgressUI() { StopCreep(); }

LPVOID CBrushProgressUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"BrushProgress") == 0) return this;
    return CSliderForeshakingUI::GetInterface(name);
}

void CBrushProgressUI::SetProgress(int value) {
    SetValue(value);
    mirror_->value = GetValue();
    mirror_->maximum = GetMaxValue();
}

void CBrushProgressUI::ResetForRun() {
    SetMaxValue(1000);
    SetProgress(1);
    previous_ = 0;
    current_ = 1;
    pushBegun_ = false;
    period_ = 200;
    StartCreep();
}

void CBrushProgressUI::StartCreep() {
    if (armed_ || !m_pManager) return;
    armed_ = m_pManager->SetTimer(this, kCreepTimer, std::max(period_, kShortestPeriod));
}

void CBrushProgressUI::StopCreep() {
    if (!armed_) return;
    if (m_pManager) m_pManager->KillTimer(this, kCreepTimer);
    armed_ = false;
}

void CBrushProgressUI::SetCreepPeriod(UINT milliseconds) { period_ = std::max(milliseconds, kShortestPeriod); }

void CBrushProgressUI::StepToward(int target) {
    if (GetValue() < target) SetProgress(GetValue() + 1);
}

void CBrushProgressUI::CreepTick() {
    StopCreep();
    const double done = GetMaxValue() > 0 ? static_cast<double>(GetValue()) / GetMaxValue() : 1.0;
    if (done < flashsteps::TargetFraction(current_)) SetProgress(GetValue() + 1);
    StartCreep();
}

void CBrushProgressUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kCreepTimer) {
        CreepTick();
        return;
    }
    CSliderForeshakingUI::DoEvent(event);
}

void CBrushProgressUI::ShowStep(int previous, int current, bool pushBegun) {
    previous_ = previous;
    current_ = current;
    pushBegun_ = pushBegun;
    if (current <= 13) {
        Tell(owner_, L"romflash_update_runcmd");
    } else if (current == flashsteps::kSucceeded) {
        Tell(owner_, L"romflash_runcmd_done");
    } else {
        StopCreep();
        Tell(owner_, L"romflash_runcmd_error");
    }
}

std::wstring CBrushProgressUI::ResultText() const { return flashsteps::ResultText(current_); }
