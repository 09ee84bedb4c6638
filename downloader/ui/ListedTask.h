// A package task as the download list keeps it: the engine's task plus what
// the list needs to show it. Workers only post refresh requests for it; the
// fields below the engine's are read and written on the UI thread.
#pragma once

#include "tasks/PackageTasks.h"

#include <windows.h>

#include <atomic>
#include <climits>
#include <string>

namespace UiLib {
class CControlUI;
}

class ListedTask : public CPackagesTask, public IIconRow {
public:
    explicit ListedTask(IPackageTaskObserver* observer) : CPackagesTask(observer) {}

    // IIconRow, called on the icon worker: both only post to the UI thread.
    void ShowIcon(const std::wstring&) override {}
    void NotifyIconDone(CIconsTask& task) override;

    // The row, or null (recovery packages, deleted tasks).
    UiLib::CControlUI* Row() const { return static_cast<UiLib::CControlUI*>(row); }

    int shownStatus = INT_MIN;         // the status whose end actions already ran
    HWND uiWindow = nullptr;           // where refresh and icon requests are posted
    std::atomic<bool> refreshPosted{false};
    std::atomic<int> postedStatus{INT_MIN};
    std::atomic<DWORD> lastPostTick{0};
};
