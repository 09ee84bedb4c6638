// The flashing page's progress bar ("SmoothProgress" in the skin). It keeps
// the step the flash has reached, creeps forward on its own between
// markers, and gives the page the texts of the step. The procedure itself
// runs on the flash thread and reaches the bar through the UI thread.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "SliderForeshakingUI.h"
#include "core/manager/UIInterfaces.h"

// The bar's value as the flash thread reads it.
struct ProgressMirror {
    std::atomic<int> value{0};
    std::atomic<int> maximum{1000};
};

class CBrushProgressUI : public CSliderForeshakingUI, public UiLib::INotifyUI {
public:
    CBrushProgressUI();
    ~CBrushProgressUI() override;

    const wchar_t* GetClass() const override { return L"BrushProgressUI"; }
    LPVOID GetInterface(const wchar_t* name) override;
    void DoEvent(UiLib::TEventUI& event) override;
    // Host notifications: nothing here reacts to them.
    void Notify(UiLib::TNotifyUI& msg) override {}

    void SetOwner(UiLib::INotifyUI* owner) { owner_ = owner; }

    // A new run: maximum 1000, value 1, step 1, creeping.
    void ResetForRun();
    void StartCreep();
    void StopCreep();
    void SetCreepPeriod(UINT milliseconds);
    UINT CreepPeriod() const { return period_; }
    bool IsCreeping() const { return armed_; }
    // One thousandth toward `target`, when below it.
    void StepToward(int target);
    void SetProgress(int value);

    // The flash reached `current`: remember it and tell the owner.
    void ShowStep(int previous, int current, bool pushBegun);
    int CurrentStep() const { return current_; }
    int PreviousStep() const { return previous_; }
    bool PushBegun() const { return pushBegun_; }
    std::wstring ResultText() const;

    std::shared_ptr<ProgressMirror> Mirror() const { return mirror_; }

private:
    void CreepTick();

    UINT period_ = 200;
    bool armed_ = false;
    int current_ = 1;
    int previous_ = 0;
    bool pushBegun_ = false;
    UiLib::INotifyUI* owner_ = nullptr;
    std::shared_ptr<ProgressMirror> mirror_ = std::make_shared<ProgressMirror>();
};
