#include "DlgSettingPath.h"

#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "frame/WindowShadow.h"
#include "messages/DownloaderLink.h"
#include "record/PackageRecord.h"
#include "settings/SettingsFile.h"

using namespace UiLib;

namespace {

constexpr DWORD kDialogStyle = 0x90CF0000;  // WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW
// The folder message has always carried a 100-character block; longer
// folders travel whole in a longer one.
constexpr size_t kFolderMessageChars = 100;

bool Named(const TNotifyUI& msg, const wchar_t* name) {
    return msg.pSender && _wcsicmp(msg.pSender->GetName().GetData(), name) == 0;
}

}  // namespace

void SendDownloadFolderToDownloader(const std::wstring& folder) {
    HWND downloader = FindDownloaderWindow();
    if (!downloader) return;
    std::vector<wchar_t> block(std::max(kFolderMessageChars, folder.size() + 1), L'\0');
    std::copy(folder.begin(), folder.end(), block.begin());
    COPYDATASTRUCT data = {};
    data.cbData = static_cast<DWORD>(block.size() * sizeof(wchar_t));
    data.lpData = block.data();
    SendMessageW(downloader, WM_COPYDATA, kDownloadDirMessage, reinterpret_cast<LPARAM>(&data));
}

CDlgSettingPath::CDlgSettingPath(std::wstring programFolder) : programFolder_(std::move(programFolder)) {}

void CDlgSettingPath::OnFinalMessage(HWND hWnd) {
    // The opener owns the object: it lives on until the modal run returns.
    WindowImplBase::OnFinalMessage(hWnd);
}

void CDlgSettingPath::OnWindowInit() {
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    downloadEdit_ = m_PaintManager.FindControl(L"DownLoadDirEdit");
    backupEdit_ = m_PaintManager.FindControl(L"BackupDirEdit");
    // Stored folders that are gone are replaced by the default ones, made now.
    SettingsFile settings(programFolder_);
    settings.EnsureFolders();
    if (downloadEdit_) downloadEdit_->SetText(settings.DownloadFolder().c_str());
    if (backupEdit_) backupEdit_->SetText(settings.BackupFolder().c_str());

    AttachWindowShadow(shadow_, &m_PaintManager, 4);
}

void CDlgSettingPath::Browse(CControlUI* edit) {
    if (!edit) return;
    wchar_t chosen[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = m_hWnd;
    info.pszDisplayName = chosen;
    info.lpszTitle = L"备份到";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return;  // cancelled: nothing changes
    if (SHGetPathFromIDListW(item, chosen)) edit->SetText(chosen);
    CoTaskMemFree(item);
}

void CDlgSettingPath::Save() {
    SettingsFile settings(programFolder_);
    // Each folder is saved on its own: one that cannot be made or is too
    // long for the file API is left out, the other one is still saved.
    if (downloadEdit_) {
        const std::wstring folder = downloadEdit_->GetText().GetData();
        if (settings.SaveDownloadFolder(folder)) SendDownloadFolderToDownloader(folder);
    }
    if (backupEdit_) settings.SaveBackupFolder(backupEdit_->GetText().GetData());
    Close(1);
}

void CDlgSettingPath::Notify(TNotifyUI& msg) {
    if (msg.sType == L"windowinit") {
        OnWindowInit();
    } else if (msg.sType == L"click") {
        if (Named(msg, L"BtnDownLoadir")) {
            Browse(downloadEdit_);
        } else if (Named(msg, L"BtnBackupDir")) {
            Browse(backupEdit_);
        } else if (Named(msg, L"BtnSvaeConfig")) {
            Save();
            return;
        } else if (Named(msg, L"BtnClose")) {
            if (IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
            return;
        }
    }
    WindowImplBase::Notify(msg);
}

void ShowSettingPathDialog(HWND owner, const std::wstring& programFolder) {
    CDlgSettingPath dialog(programFolder);
    if (!dialog.Create(owner, L"SettingPath", kDialogStyle, 0, 0, 0, 0, 0)) return;
    dialog.CenterWindow();
    dialog.ShowModal();
}
