// A property-action timer that stands still wherever the test puts it, so
// a test plays the frames of an action one by one.
#pragma once
#include "core/manager/UITimer.h"

namespace uiharness {

class StillTimer : public UiLib::IUiTimer {
public:
    StillTimer(int interval, int total) : interval_(interval), total_(total) {}
    bool Start() override { return true; }
    bool SetAndStart(int, int, bool, bool, bool, HWND, WPARAM, LPARAM) override { return true; }
    void Stop() override {}
    IUiTimer* Copy() const override { return new StillTimer(*this); }
    bool IsLoop() const override { return false; }
    bool IsReverse() const override { return false; }
    bool IsInverted() const override { return false; }
    void* GetObj() const override { return nullptr; }
    const void* GetMember() const override { return nullptr; }
    void* GetParam() const override { return nullptr; }
    UINT GetTimerId() const override { return 0; }
    int GetInterval() const override { return interval_; }
    int GetTotalTimer() const override { return total_; }
    int GetCurTimer() const override { return current; }
    bool IsAutoStart() const override { return false; }
    bool IsEnd() override { return false; }
    HWND GetHwnd() const override { return nullptr; }
    WPARAM GetWParam() const override { return 0; }
    LPARAM GetLParam() const override { return 0; }
    void OnTimerMessage() override {}
    void OnTimerParam() override {}
    void OnTimer() override {}

    int current = 0;

private:
    int interval_, total_;
};

}  // namespace uiharness
