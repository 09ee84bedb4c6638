// The update dialog: the offered version and its changes, "Ok" to update now
// and "Cancel" for not today. While the update runs a progress bar replaces
// the buttons and the changes are ticked off; then a second page with "Done",
// which starts the main program again.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "core/ApplyUpdate.h"
#include "core/Flavour.h"
#include "core/InstallReport.h"
#include "core/RefusedOffer.h"
#include "core/window/WindowImplBase.h"

class CInfoListUI;
class CFakeProgressUI;

// What the apply mode hands the dialog.
struct UpdateDialogValues {
    ProductFlavour flavour;
    ApplyRequest request;
    bool automatic = false;       // update class 1: start without a click
    InstallReportValues report;   // MAC, OS name and channel; the versions are filled in
    PackageOffer offer;           // remembered as refused when its package fails
};

class CUpdaterFrame : public UiLib::WindowImplBase {
public:
    explicit CUpdaterFrame(UpdateDialogValues values);
    ~CUpdaterFrame() override;

    const wchar_t* GetWindowClassName() const override { return L"Updater"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void Notify(UiLib::TNotifyUI& msg) override;
    UiLib::CControlUI* CreateControl(const wchar_t* className) override;

    bool Applying() const { return applying_; }
    bool Finished() const { return finished_; }

    // Posted by the apply thread: wParam the progress value it reached.
    static constexpr UINT kProgressMessage = WM_APP + 1;
    // Posted by the apply thread: wParam the ApplyResult.
    static constexpr UINT kFinishedMessage = WM_APP + 2;

protected:
    UiLib::CUiString GetSkinDirectory() override { return L""; }
    UiLib::CUiString GetSkinFileName() override { return L"Updater.xml"; }
    UiLib::UILIB_RESOURCETYPE GetResourceType() const override { return UiLib::UILIB_ZIPRESOURCE; }
    const wchar_t* GetResourceID() const override;
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    void OnWindowInit();
    void FillChangeList();
    void StartUpdate();
    void RunApply();
    void ShowProgress(int value);
    void ShowResult(ApplyResult result);
    void SelectPage(int page);
    void Quit();
    UiLib::CControlUI* Find(const wchar_t* name) const;

    UpdateDialogValues values_;
    CInfoListUI* changeList_ = nullptr;
    CFakeProgressUI* progress_ = nullptr;
    std::thread applyThread_;
    std::atomic<bool> applying_{false};
    std::atomic<bool> finished_{false};
    std::atomic<int> progressMaximum_{100};
};
