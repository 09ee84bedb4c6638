// The flashing page the main window hosts: a wizard of five pages (wait for
// a phone, choose a ROM, choose what to back up, flash, result) that reacts
// to the main program's "romflash_" notifications, asks the main window for
// services by message, and runs the ROM check and the flash on worker
// threads that reach it only through the UI thread.
#pragma once

#include <memory>
#include <string>

#include "core/manager/UIContainer.h"
#include "core/manager/UIInterfaces.h"
#include "core/window/UIDlgBuilder.h"

class CBrushProgressUI;
class UiThreadPost;

// The main window's messages from the page (lParam 0).
enum BrevlinMessage : UINT {
    WM_ROMFLASH_PREPARE_HELPER = WM_USER + 501,
    WM_ROMFLASH_BACKUP = WM_USER + 502,
    WM_ROMFLASH_RESTORE = WM_USER + 503,
    WM_ROMFLASH_GAMES = WM_USER + 504,
    WM_ROMFLASH_APPS = WM_USER + 505,
    WM_ROMFLASH_CONNECT = WM_USER + 506,
};

enum BrevlinPage { kPageWaitPhone = 0, kPageChooseRom = 1, kPageBackup = 2, kPageFlashing = 3, kPageResult = 4 };

class CBrevlinsUI : public UiLib::CContainerUI, public UiLib::INotifyUI, public UiLib::IDialogBuilderCallback {
public:
    explicit CBrevlinsUI(UiLib::CPaintManagerUI* host);
    ~CBrevlinsUI() override;

    const wchar_t* GetClass() const override { return L"BrevlinsUI"; }
    LPVOID GetInterface(const wchar_t* name) override;
    void Notify(UiLib::TNotifyUI& msg) override;
    UiLib::CControlUI* CreateControl(const wchar_t* className) override;

    void SelectStep(int page);
    int CurrentPage() const;

    // The backup items: the mask of the checked ones, how many bits a mask
    // has, how many checked items are done, and whether all of them are.
    int BackupMask() const;
    static int BackupCount(int mask);
    int BackupDoneCount() const;
    // How many checked items the main program reported as not copied.
    int BackupFailedCount() const;
    // How many checked items carry this done or failed mark.
    int BackupItemsMarked(const wchar_t* mark) const;
    bool BackupFinished() const;
    void SetItemCounts(int contacts, int messages, int calls, int apps, int wifis, int alarms);

    const std::string& RomPath() const { return romPath_; }
    CBrushProgressUI* Progress() const { return progress_; }

    // What the worker threads ask of the page, run on the UI thread.
    void ShowChosenRom(const std::wstring& romPath);
    void RefreshFlashingTexts();
    void ShowPushPercentage(const std::string& text);
    void ShowCloudCheck();
    void StartFlash();

private:
    friend class BrevlinsWorkers;
    UiLib::CControlUI* Find(const wchar_t* name) const;
    void SetTextOf(const wchar_t* name, const std::wstring& text);
    void SetAnimation(const std::wstring& file);
    void ShowDebugArrows();

    void OnWindowInit();
    void OnTabSelect(int page);
    void OnClick(UiLib::TNotifyUI& msg);
    void OnConnect(UiLib::TNotifyUI& msg);
    void OnDisconnect();
    void OnDownloaderRecord(UiLib::TNotifyUI& msg);
    void OnPhoneDataStatus(UiLib::TNotifyUI& msg);
    void OnBackupReceived(UiLib::TNotifyUI& msg);
    void OnFlashDecided();
    void OnSelectLocalRom();
    void StartRomCheck(const std::wstring& romPath, POINT tipAt, bool fromDownloader);
    void StartInstall(const std::string& apkPath, POINT tipAt);

    UiLib::CPaintManagerUI* host_;
    std::shared_ptr<UiThreadPost> post_;
    CBrushProgressUI* progress_ = nullptr;
    std::string romPath_;
    bool debug_ = false;
};

// Sends one of the page's messages to the main window; 0 when it is absent.
LRESULT SendToMainWindow(UINT message, WPARAM wParam);
