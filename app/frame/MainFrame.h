// The main program's only top-level window: the skinned frame "UIMainFrame"
// with its tab pages, phone panel, web panes and the flashing page that
// Brevlin.dll supplies. Closing it only hides it; the program ends through
// the message loop.
#pragma once

#include <windows.h>

#include <dbt.h>

#include <memory>
#include <string>
#include <vector>

#include "backup/BackupPulls.h"
#include "connect/PhoneConnectRecord.h"
#include "connect/PhoneWorkers.h"
#include "controls/UIMenuObserver.h"
#include "core/manager/UIShadow.h"
#include "core/window/WindowImplBase.h"
#include "frame/MainFrameSummary.h"
#include "localserver/LocalServer.h"
#include "phonelink/PhoneCounts.h"
#include "phonelink/PhoneServiceClient.h"
#include "record/PackageRecord.h"
#include "startup/StartupReport.h"

class CWkeWebkitUI;
class IDeviceEnumerator;

class VOvoduReridOro : public UiLib::WindowImplBase {
public:
    VOvoduReridOro();
    ~VOvoduReridOro() override;

    const wchar_t* GetWindowClassName() const override { return L"UIMainFrame"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    void OnWindowReady() override;
    void Notify(UiLib::TNotifyUI& msg) override;
    UiLib::CControlUI* CreateControl(const wchar_t* className) override;

    // The parts of the frame the workers and the other programs talk to; the
    // frame stops them before the web engine shuts down.
    void StopServices();

    // The caption test of the frame: inside the caption area, buttons,
    // options and text controls (and no control) are client area, anything
    // else drags the window. No resize borders.
    LRESULT HitTest(POINT screenPoint);

    // The phone's counts of contacts, messages and call records from the
    // companion app's last counts reply; -1 each before one arrived.
    const PhoneCounts& PhoneDataCounts() const { return phoneCounts_; }
    // A counts reply of the phone: kept, and shown by the data summary when
    // it is open (which then moves over the frame again).
    void ShowPhoneSummary(const std::string& reply);

    static constexpr UINT kMenuClick = WM_USER + 121;  // 0x479, wParam: the item's name

protected:
    UiLib::CUiString GetSkinDirectory() override { return L"skin\\Torvanik"; }
    UiLib::CUiString GetSkinFileName() override { return L"UISkinTorvanik.xml"; }
    LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    void Init();
    // The start-up work that waits for the first paint: the updater's check,
    // the start-up report and the local request server.
    void StartAfterFirstPaint();
    void OnMenuItem(const wchar_t* item);
    // The tray icon, the two menus, the settings dialog, the exit item and
    // the shadow.
    bool OnTrayIcon(UINT uMsg, LPARAM lParam);
    void OpenMainMenu(UiLib::CControlUI* button);
    void OpenSettings();
    void LeaveProgram();
    void RemoveTrayIcon();
    void AttachShadow();
    void ShowVersion();
    UiLib::CControlUI* Find(const wchar_t* name) const;
    void SetVisible(const wchar_t* name, bool visible);
    // Handles the frame's private messages; false for any other message.
    bool OnAppMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The phone: arrival and removal, the workers' reports, the connect button.
    void OnDeviceChange(const DEV_BROADCAST_HDR* header, WPARAM event);
    void OnPhoneConnect(PhoneConnectReport* report);
    void OnOpenSidPage();
    void OnPhoneConnectFail();
    void OnPhoneOffline();
    void OnAndroidId(char* text);
    void OnFreshViewScreen(bool arrived);
    void ConnectNow();
    void ShowConnectFailPopup();
    bool FlashingUnderWay();
    PhoneJob MakePhoneJob() const;
    // "TextUseLine" names two hints: the status bar's "no phone" line (the
    // first) and the phone panel's cable hint beside "立即连接" (the second).
    UiLib::CControlUI* StatusLine() const;
    UiLib::CControlUI* PanelCableHint() const;
    // The my-phone page's two looks: the connect prompt, or the phone with
    // its news pane.
    void ShowPhoneLook(bool connected);
    // Forgets the removed phone: its ids, data, name, screen and news pane.
    void ForgetPhone();
    // Tells the plug-in's page control; nothing when the plug-in is missing.
    void SendToPlugin(const wchar_t* type, WPARAM wParam, LPARAM lParam);

    // Packages: copy-data from the downloader and the updater, package JSON
    // from the web pane and the start-up report, local-port requests.
    void OnCopyData(const COPYDATASTRUCT* data);
    void OnInstallRequest(PackageRecord& record);
    LRESULT SendRomToDownloader(const char* json);
    void OnLocalServerData(const LocalServerDelivery* delivery);

    // The phone link and the backups (MainFramePhoneLink.cpp).
    bool OnPhoneLinkMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnBackupClick(const UiLib::CUiString& name);
    void StartHelperApp();
    void StartPhoneLink();
    void SendToPhoneService(const char* request);
    void OnAndroidMsg(const char* text);
    void PullBackupForPlugin(const char* text);
    void ReportPluginBackups();
    // The phone data summary and the feedback form.
    bool OnSummaryNotify(UiLib::TNotifyUI& msg);
    void OpenPhoneSummary();
    void HidePhoneSummary();

    // The start-up report's items.
    void OnNews(WPARAM index, const NewsItem* item);
    void OnRecommendItem(const PackageRecord* app);

    // Tabs, options, web-pane toolbars, news, recommended apps and the
    // screenshot buttons; true when the notification was one of these.
    bool OnFrameNotify(UiLib::TNotifyUI& msg);
    void OnTabSelect();
    // Only the option of the page "TabSwitch" shows is highlighted.
    void SelectCurrentPageOption();
    // After an option that opens something outside the pages (the site,
    // the feedback form): the highlight returns to the shown page's option
    // without that option acting again.
    void GiveHighlightBackToPage();
    void OnOptionSelected(const UiLib::CUiString& name);
    void OnRecommendedAppClick(const UiLib::CUiString& name);
    void OnNewsClick(UiLib::CControlUI* button);
    bool OnWebToolbar(const UiLib::CUiString& name);
    void CopyScreenshot();
    void SaveScreenshot();
    std::wstring ScreenshotPath() const;
    // The type-4 package: the model application and its window.
    void ApplyForModel();
    void OpenApplyWindow();

    // The panes' loading animations, the network probe and the companion
    // app's state.
    void StartPaneWaits();
    void WaitForPane(bool recommend);
    LRESULT PaneLoadState(WPARAM pane);
    void OnNetProbeFailed();
    void OnShowAuthorize();
    void OnPhoneLogError();
    void OnRomCheckBinary(const char* path);
    void OpenRomSiteGames();

    HMODULE hemlar_ = nullptr;
    HMODULE brevlin_ = nullptr;
    UiLib::CControlUI* plugin_ = nullptr;  // the plug-in's page control
    HANDLE ticketsMutex_ = nullptr;
    int screenRefresh_ = 0;  // 0 idle, 1 asked by the user, 2 asked by the program
    std::string androidId_;
    std::wstring vendorId_, productId_;
    std::wstring devicePath_;  // of the phone's USB arrival; empty when found otherwise
    // Counts the phones plugged in and unplugged: a worker's report for an
    // earlier session names a phone that is gone or replaced.
    unsigned phoneSession_ = 0;
    bool restoringPageOption_ = false;
    PhoneServerData phone_;    // the web service's data of the connected phone
    std::wstring phoneName_;
    char largeIconUrl_[260] = {};
    std::unique_ptr<IDeviceEnumerator> devices_;
    std::vector<NewsItem> news_;
    std::vector<PackageRecord> apps_;
    LocalServer localServer_;
    CClient client_;
    BackupPulls pluginPulls_;  // the copies of a backup the plug-in asked for
    PhoneCounts phoneCounts_;
    FrameSummary summary_;
    UiLib::MenuCheckStates trayMenuStates_;
    UiLib::MenuCheckStates settingsMenuStates_;
    UiLib::CShadowUI shadow_;

    UiLib::CControlUI* closeButton_ = nullptr;
    UiLib::CControlUI* minButton_ = nullptr;
    CWkeWebkitUI* webAppCenter_ = nullptr;
    CWkeWebkitUI* webRecommend_ = nullptr;
    CWkeWebkitUI* webRecentNews_ = nullptr;
};

// The window that the "msgBox" script function of the recommendation pane
// reports to (message 0x523 with the UTF-8 and the wide text).
HWND ScriptCallbackWindow();

// Finds a window by class and title and sends it WM_CLOSE; used for the
// downloader when the program ends.
void CloseDownloaderWindow();
