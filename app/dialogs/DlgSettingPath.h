// The settings dialog: the download folder and the backup folder, each typed
// or chosen with the shell's folder browser, saved into the settings file.
// A saved download folder is also handed to a running downloader at once.
#pragma once

#include <windows.h>

#include <string>

#include "core/manager/UIShadow.h"
#include "core/window/WindowImplBase.h"

namespace UiLib {
class CControlUI;
}

class CDlgSettingPath : public UiLib::WindowImplBase {
public:
    // `programFolder`: the folder of the settings file's data folder, without
    // a trailing backslash.
    explicit CDlgSettingPath(std::wstring programFolder);

    const wchar_t* GetWindowClassName() const override { return L"SettingPath"; }
    void OnFinalMessage(HWND hWnd) override;
    void Notify(UiLib::TNotifyUI& msg) override;

protected:
    // The skin comes from the paint manager's resource folder (or archive).
    UiLib::CUiString GetSkinDirectory() override { return L""; }
    UiLib::CUiString GetSkinFileName() override { return L"SettingPathDlg.xml"; }

private:
    void OnWindowInit();
    void Browse(UiLib::CControlUI* edit);
    void Save();

    std::wstring programFolder_;
    UiLib::CControlUI* downloadEdit_ = nullptr;
    UiLib::CControlUI* backupEdit_ = nullptr;
    UiLib::CShadowUI shadow_;
};

// Opens the dialog as a modal child of `owner` ("SettingPath") and returns
// once it is closed.
void ShowSettingPathDialog(HWND owner, const std::wstring& programFolder);

// Tells the downloader's window (when it runs) its new download folder: a
// copy-data block of wide text with wParam 2, at least 100 characters long.
void SendDownloadFolderToDownloader(const std::wstring& folder);
