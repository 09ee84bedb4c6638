// The phone data summary: a small window over the main frame that shows how
// many contacts, messages and call records the phone holds, as the companion
// app counted them, with two buttons that open the data backup window on its
// backup or its restore page.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/window/WindowImplBase.h"
#include "phonelink/PhoneCounts.h"

// Takes each count that `reply` carries into `kept`; one it lacks (-1) keeps
// the value `kept` had.
void MergeCounts(PhoneCounts& kept, const PhoneCounts& reply);

class PhoneMsg : public UiLib::WindowImplBase {
public:
    // The backup window's pages the two buttons open.
    enum BackupMode { kBackupPage = 1, kRestorePage = 2 };
    // Opens the data backup window on a page, owned by the summary window
    // `owner`, with the counts it shows.
    using BackupOpener = std::function<void(HWND owner, BackupMode mode, const PhoneCounts& counts)>;

    // `owner` is the main frame; the cursor and the frame's rectangle are
    // those at the time of opening.
    PhoneMsg(HWND owner, int cursorX, int cursorY, int frameLeft, int frameTop, int frameRight, int frameBottom);

    const wchar_t* GetWindowClassName() const override { return L"PhoneMsg"; }
    void Notify(UiLib::TNotifyUI& msg) override;
    // WM_ANDROID_MSG (0x568) carries a counts reply posted by the main frame:
    // wParam a copy made by PostReplyCopy, which this window frees.
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    void SetBackupOpener(BackupOpener opener) { opener_ = std::move(opener); }

    // Shows a counts reply: each count the reply carried replaces the one
    // shown; one it lacked keeps the earlier value. The backup and restore
    // buttons appear with the first reply.
    void ShowCounts(const PhoneCounts& counts);
    const PhoneCounts& Counts() const { return counts_; }

    // Where the summary stands over the frame: 56 pixels right of and 157
    // below the frame's top-left corner.
    static POINT PlaceOver(const RECT& frame) { return {frame.left + 56, frame.top + 157}; }

    // Posts a copy of the counts reply `text` to the summary window; the
    // copy is freed here when the post fails, else by the window.
    static bool PostReplyCopy(HWND summary, const std::string& text);

protected:
    UiLib::CUiString GetSkinDirectory() override { return L"skin"; }
    UiLib::CUiString GetSkinFileName() override { return L"IndexSecPage\\PhoneMsg.xml"; }

private:
    void OnInit();
    void Apply();
    void OpenBackup(BackupMode mode, const PhoneCounts& counts);

    HWND owner_;
    POINT cursor_;  // kept, not used
    RECT frame_;
    UiLib::CControlUI* backup_ = nullptr;
    UiLib::CControlUI* restore_ = nullptr;
    UiLib::CControlUI* contacts_ = nullptr;
    UiLib::CControlUI* messages_ = nullptr;
    UiLib::CControlUI* calls_ = nullptr;
    PhoneCounts counts_{0, 0, 0};
    bool received_ = false;  // a counts reply arrived
    BackupOpener opener_;
};
