// CDownloadersFrame: the downloader's one window ("CPellarinesFrame",
// "Downloader"). It hosts the download list, takes package requests and the
// download folder from the main program by WM_COPYDATA, serves requests on
// its request thread once the list is loaded, fetches row icons on its icon
// worker and answers the row buttons.
#pragma once

#include "core/window/WindowImplBase.h"
#include "record/PackageRecord.h"
#include "tasks/PackageTasks.h"
#include "ui/PackagesListUI.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace UiLib {
class COptionUI;
}

class CDownloadersFrame : public UiLib::WindowImplBase {
public:
    // `programFolder`: the executable's folder, ANSI, without a trailing backslash.
    explicit CDownloadersFrame(const std::string& programFolder);
    ~CDownloadersFrame() override;

    const wchar_t* GetWindowClassName() const override { return L"CPellarinesFrame"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Notify(UiLib::TNotifyUI& msg) override;
    UiLib::CControlUI* CreateControl(const wchar_t* className) override;

    CPackagesListUI* List() const { return list_; }
    bool Initialised() const { return initialised_.load(); }
    bool Pinned() const { return pinned_.load(); }
    bool MarkerPresent() const;
    const std::string& IconsFolder() const { return iconsFolder_; }

protected:
    UiLib::CUiString GetSkinDirectory() override { return L".\\skins\\Pellarine"; }
    UiLib::CUiString GetSkinFileName() override { return L"下载管理-main.xml"; }
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

private:
    void OnWindowInit();
    void OnCopyData(WPARAM wParam, const COPYDATASTRUCT* data);
    void ServeRequests();
    void ServeRequest(const PackageRecord& record);
    void ShowNewTask(ListedTask* task);
    void OnRowButton(const UiLib::CUiString& name, UiLib::CControlUI* sender);
    void OnStatusButton(ListedTask* task);
    void OnInstallButton(ListedTask* task);
    void OnPackageDone(ListedTask* task);
    void ShowFilter(bool done, int type);
    void ShowTip(const wchar_t* text);
    void ReleaseIconWorker();
    void StopRequestThread();

    std::string programFolder_;
    std::string iconsFolder_;
    std::string markerPath_;
    CPackagesListUI* list_ = nullptr;
    std::unique_ptr<DownloadPool> iconPool_;
    IconTaskRegistry iconTasks_;
    UiLib::COptionUI* options_[5] = {};

    std::mutex requestsLock_;
    std::condition_variable requestsReady_;
    std::deque<PackageRecord> requests_;
    std::atomic<bool> initialised_{false};
    std::atomic<bool> pinned_{false};
    bool stopping_ = false;  // under requestsLock_
    std::thread requestThread_;
};

// The message the request thread posts with a heap PackageRecord in lParam;
// the window takes it over.
constexpr UINT kServeRequestMessage = WM_APP + 0x143;
// The request thread's new task (lParam, a ListedTask) needs its row.
constexpr UINT kShowNewTaskMessage = WM_APP + 0x144;
