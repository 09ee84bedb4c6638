// The frame's side of the companion app: keeping the app started, the link
// to its phone service, the service's replies and the backup requests of the
// flashing plug-in, and opening the backup window.
#include <winsock2.h>

#include "MainFrame.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "backup/BackupReply.h"
#include "backup/Databackup.h"
#include "device/DeviceBridge.h"
#include "log/Log.h"
#include "messages/AppMessages.h"
#include "phonelink/PhoneLinkWorkers.h"
#include "settings/SettingsFile.h"
#include "util/ProcessUtil.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

constexpr int kPhoneServicePort = 10086;

HWND FindBackupWindow() { return FindWindowW(CDatabackup::kClassName, CDatabackup::kTitle); }

}  // namespace

bool VOvoduReridOro::OnPhoneLinkMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (uMsg) {
        case appmsg::kPhoneLinkState:
            result = client_.LinkLost() ? appmsg::kPhoneLinkLost : 1;
            return true;
        case appmsg::kStartPhoneLink:
            StartPhoneLink();
            if (HANDLE thread = StartQueryDataThread(m_hWnd)) CloseHandle(thread);
            return true;
        case appmsg::kHelperAppFailed:
            if (CControlUI* status = Find(L"TextPhoneStatue"))
                status->SetText(L"手机助手未能启动，请解锁手机后重试");
            return true;
        case appmsg::kAndroidMsg:
            OnAndroidMsg(reinterpret_cast<const char*>(wParam));
            return true;
        case appmsg::kQueryPhoneData:
            SendToPhoneService("queryData");
            return true;
        case appmsg::kSendPhoneRequest:
            if (wParam) OutputDebugStringA(reinterpret_cast<const char*>(wParam));
            SendToPhoneService(reinterpret_cast<const char*>(wParam));
            return true;
        case appmsg::kSendPhoneRequest2:
            SendToPhoneService(reinterpret_cast<const char*>(wParam));
            return true;
        case appmsg::kPrepareHelper:
            OutputDebugStringA("backup_From_Brevlin");
            StartHelperApp();
            return true;
        case appmsg::kRomflashBackup: {
            // A link that stands is used as it is: forwarding the port again
            // and reconnecting would only delay the backup.
            if (!client_.IsConnected()) StartPhoneLink();
            char request[16];
            std::snprintf(request, sizeof request, "backup_%d", static_cast<int>(wParam));
            ::SendMessageW(m_hWnd, appmsg::kSendPhoneRequest, reinterpret_cast<WPARAM>(request), 0);
            // The copy threads start while the phone writes the files.
            pluginPulls_.Prepare(m_hWnd, hemlar_);
            OutputDebugStringA(request);
            return true;
        }
        case appmsg::kBackupFileCopied:
            ReportPluginBackups();
            return true;
        case appmsg::kRomflashRestore:
            StartHelperApp();
            if (HANDLE thread = StartCheckServiceThread(MakePhoneJob())) CloseHandle(thread);
            CDatabackup::Open(m_hWnd, CDatabackup::kModeRestore, PhoneCounts{0, 0, 0});
            return true;
        default:
            return false;
    }
}

bool VOvoduReridOro::OnBackupClick(const CUiString& name) {
    if (name != L"BtnBackupNow" && name != L"BtnMDBackupdate") return false;
    // The buttons' row takes the colour of the row above it, and "立即备份"
    // gives way while the backup window is about.
    CControlUI* up = Find(L"HLMidUp");
    CControlUI* down = Find(L"HLMidDown");
    if (up && down) down->SetBkColor(up->GetBkColor());
    SetVisible(L"BtnBackupNow", false);
    if (HWND open = FindBackupWindow()) {
        ::ShowWindow(open, SW_RESTORE);
        return true;
    }
    CDatabackup::Open(m_hWnd, CDatabackup::kModeStart, phoneCounts_);
    return true;
}

void VOvoduReridOro::StartHelperApp() {
    HelperAppJob job;
    job.frame = m_hWnd;
    job.hemlar = hemlar_;
    job.programFolder = GetModuleFolderW();
    if (HANDLE thread = StartHelperApkThread(job)) CloseHandle(thread);
}

void VOvoduReridOro::StartPhoneLink() {
    if (DeviceBridge(hemlar_).Loaded()) {
        OutputDebugStringA("电脑与Android建立关系映射");
        DeviceBridge(hemlar_).PortToPC();
    }
    // A new link replaces the running one; requests made meanwhile wait for it.
    client_.Start(m_hWnd, L"127.0.0.1", kPhoneServicePort);
}

void VOvoduReridOro::SendToPhoneService(const char* request) {
    if (!request) return;
    const std::wstring text = AnsiToWide(request).substr(0, 200);
    CLog::AgentLog(L"CDatabackup_Backup_SendToAndroidServer___%s", text.c_str());
    client_.Send(request);
}

void VOvoduReridOro::OnAndroidMsg(const char* received) {
    const std::string text = received ? received : "";
    CLog::AgentLog(L"AndroidRespond___%s", AnsiToWide(text).substr(0, 259).c_str());
    if (text.find("Server___Fail") != std::string::npos) return;
    if (text.find('(') != std::string::npos) {
        PhoneCounts counts;
        if (ParsePhoneCounts(text, counts)) phoneCounts_ = counts;
        ShowPhoneSummary(text);
        SendToPlugin(L"romflash_phonedata_status", reinterpret_cast<WPARAM>(text.c_str()), 0);
        return;
    }
    HWND backup = FindBackupWindow();
    const bool done = text.find("backup_") != std::string::npos || text.find("restore_") != std::string::npos;
    if (!done) {
        if (backup) ::SendMessageW(backup, appmsg::kAndroidMsgOther, reinterpret_cast<WPARAM>(text.c_str()), 0);
        return;
    }
    if (backup) {
        std::string phoneName;
        if (CControlUI* label = Find(L"textConnectPhoneName"))
            phoneName = WideToAnsi(label->GetText().GetData()).substr(0, 259);
        ::SendMessageW(backup, appmsg::kAndroidMsg, reinterpret_cast<WPARAM>(text.c_str()),
                       reinterpret_cast<LPARAM>(phoneName.c_str()));
        return;
    }
    PullBackupForPlugin(text.c_str());
}

// A backup the plug-in asked for: the frame copies each file itself, the
// files of one backup side by side, and tells the plug-in about each item,
// in the order the phone named them, once its copy is known to be whole
// (lParam 1) or to have failed (lParam 0).
void VOvoduReridOro::PullBackupForPlugin(const char* text) {
    BackupReply reply;
    if (!ParseBackupReply(text, reply)) return;
    pluginPulls_.Start(m_hWnd, hemlar_, GetModuleFolderW(), reply);
}

void VOvoduReridOro::ReportPluginBackups() {
    for (const BackupPulls::Ended& copy : pluginPulls_.TakeEnded()) {
        OutputDebugStringW((L"pull " + AnsiToWide(copy.reply.phonePath) + L" " + copy.localFile).c_str());
        SendToPlugin(L"romflash_backup_recevie", static_cast<WPARAM>(copy.reply.bit), copy.pulled ? 1 : 0);
    }
}
