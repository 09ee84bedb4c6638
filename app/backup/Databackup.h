// CDatabackup: the window in which the user backs up the phone's contacts,
// messages and call records to this PC and restores them from an earlier
// backup. The main frame forwards the phone service's replies to it (it
// finds it by class "ConnectFailDialog" and title "Databackup"); the window
// asks the frame to send its requests. Files move through the device
// library's adb transfers. The window deletes itself when it is destroyed,
// after its transfer threads have ended.
#pragma once

#include "backup/BackupListFile.h"
#include "backup/BackupPulls.h"
#include "core/manager/UIShadow.h"
#include "core/window/WindowImplBase.h"
#include "phonelink/PhoneCounts.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

class CDatabackup : public UiLib::WindowImplBase {
public:
    static constexpr const wchar_t* kClassName = L"ConnectFailDialog";
    static constexpr const wchar_t* kTitle = L"Databackup";
    enum Mode { kModeStart = 0, kModeBackup = 1, kModeRestore = 2 };
    // How often a running backup or restore asks the main window whether the
    // link to the phone service still stands. A silent phone is waited for
    // however long it takes (writing 50,000 messages can take minutes); only
    // a lost link, or the user closing the window, ends the wait.
    static constexpr UINT kLinkCheckMs = 5000;

    CDatabackup(HWND owner, int mode);
    ~CDatabackup() override;

    // Creates the window over `owner`, centred and shown; nullptr on failure.
    static CDatabackup* Open(HWND owner, int mode, const PhoneCounts& counts, UINT linkCheckMs = kLinkCheckMs);

    const wchar_t* GetWindowClassName() const override { return kClassName; }
    void Notify(UiLib::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    UiLib::CControlUI* CreateControl(const wchar_t* className) override;

    bool Busy() const { return busy_; }
    int PendingBackupMask() const { return pendingBackup_; }
    int PendingRestoreMask() const { return pendingRestore_; }
    struct Item;  // one of contacts, messages, call records
    // What the window tells the user above the items.
    std::wstring PromptText();

protected:
    UiLib::CUiString GetSkinDirectory() override { return L"skin\\Torvanik"; }
    UiLib::CUiString GetSkinFileName() override { return L"Databackup.xml"; }

private:
    struct RestoreShared;   // what the transfer threads share with the window

    void OnWindowInit();
    void OnClick(const UiLib::CUiString& name, WPARAM wParam);
    void ShowBackupPage();
    void ShowRestorePage();
    void LoadList();
    void AddListItem(const BackupRecord& record, int index, int fileMask);
    void SetEditMode(bool editing);
    void StartBackup();
    void StartRestore();
    void OnBackupReply(const char* text, const char* phoneName);
    void OnBackupCopied();
    void ShowBackupDone();
    void OnRestoreReply(const char* text);
    void ShowCount(int bit, int count);
    void OnRestoreFolder(const char* text);
    void OnTransferEnded(int bit, bool pushed);
    void MarkItemDone(const Item& item);
    void ShowCompletion(const wchar_t* completeText);
    void Fail(const wchar_t* text);
    void WatchLink();
    void CheckLink();
    LRESULT SendToFrame(UINT message, const char* request);
    void SetVisible(const wchar_t* name, bool visible);
    void SetText(const wchar_t* name, const wchar_t* text);
    UiLib::CControlUI* Find(const wchar_t* name);
    void JoinTransfers();

    HWND owner_;
    int mode_;
    UINT linkCheckMs_ = kLinkCheckMs;
    PhoneCounts counts_{-1, -1, -1};
    std::vector<BackupRecord> backups_;
    UiLib::CShadowUI shadow_;
    std::wstring listFile_;
    bool busy_ = false;
    bool restoring_ = false;
    int pendingBackup_ = 0;
    int pendingRestore_ = 0;
    int pushesLeft_ = 0;
    int chosen_ = -1;  // index in backups_ of the backup being restored
    std::wstring lastBackupFile_;
    std::string phoneName_;  // the frame's phone name with the latest backup reply
    int copying_ = 0;        // items whose file is being copied
    int copiesRunning_ = 0;  // copies started and not taken yet
    int staleCopies_ = 0;    // of those, the ones an earlier backup started
    HMODULE hemlar_ = nullptr;  // held while copies may run
    std::unique_ptr<BackupPulls> pulls_ = std::make_unique<BackupPulls>();
    std::shared_ptr<RestoreShared> shared_;
    std::vector<std::thread> transfers_;
};
