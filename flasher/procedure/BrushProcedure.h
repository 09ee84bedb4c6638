// The flashing procedure: runs the recovery script, pushes the ROM to the
// phone in recovery mode, runs the flashing and wiping scripts, and follows
// their markers. It runs on the flash thread and reaches the page only
// through IBrushPage, whose implementation hands everything to the UI thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "HemlarEntries.h"
#include "MarkerScanner.h"

class IBrushPage {
public:
    // The step moved (by marker or by the procedure) and the page is to show
    // it; final steps end the run (success after the customary pause).
    virtual void StepRaised(int previous, int current, bool pushBegun) = 0;
    // A push percentage text as the push tool printed it.
    virtual void PushPercentage(const std::string& text) = 0;
    // The bar: its value now, one step toward a target, the creep period.
    virtual int ProgressValue() = 0;
    virtual int ProgressMaximum() = 0;
    virtual void ProgressStepToward(int target) = 0;
    virtual void SetCreepPeriod(UINT milliseconds) = 0;

protected:
    ~IBrushPage() = default;
};

struct BrushSettings {
    std::wstring exeFolder;  // with a trailing backslash
    std::wstring romPath;
    std::string recoveryUrl;  // for the log
    std::shared_ptr<const HemlarEntries> hemlar;
    // Waits, in milliseconds: between recovery polls (36 of them), before
    // and between push probes, and the pause before reporting success.
    DWORD recoveryPollMs = 3000;
    int recoveryPolls = 36;
    DWORD probePauseMs = 300;
    DWORD settleMs = 3000;
    DWORD fillStepMs = 100;
    DWORD successPauseMs = 2000;
};

class BrushProcedure {
public:
    BrushProcedure(BrushSettings settings, IBrushPage& page);

    // Runs the whole procedure; returns the step it ended at.
    int Run();

    // Raises a step the caller decided (a failed check before the scripts).
    void Fail(int step);

private:
    std::wstring Tool(const wchar_t* relative) const { return settings_.exeFolder + relative; }
    void SetStep(int step);
    void Raise();
    void OnOutput(const char* data, size_t size);
    void FillUpTo(int step);
    bool Ended() const { return ended_; }
    bool WaitForRecovery();
    void ProbeAdb();
    int RunScript(const wchar_t* name, const std::wstring& argument);
    UINT PushCreepPeriod() const;

    BrushSettings settings_;
    IBrushPage& page_;
    MarkerScanner scanner_;
    bool pushBegun_ = false;
    bool ended_ = false;
    bool echo_ = false;
};
