// The frame's side of packages: install requests and the updater's close
// request by copy-data, package descriptions from the web pane and the
// start-up report, and requests that arrive on the local port.
#include <winsock2.h>

#include "MainFrame.h"

#include <cstring>

#include "ZipUtils.h"
#include "controls/UITabLayout.h"
#include "dialogs/SmallDialogs.h"
#include "messages/AppMessages.h"
#include "messages/DownloaderLink.h"
#include "messages/PackageJson.h"
#include "net/ApiRequests.h"
#include "net/JsonReply.h"
#include "net/WebApi.h"
#include "util/Helpers.h"
#include "util/ProcessUtil.h"
#include "web/WkeWebkitUI.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

bool IsUpdateClose(const COPYDATASTRUCT* data) {
    // Compared within the bytes actually sent, never past them.
    static const wchar_t kUpdateClose[] = L"UpdateClose";
    const size_t chars = data->cbData / sizeof(wchar_t);
    const auto* text = static_cast<const wchar_t*>(data->lpData);
    const size_t length = wcsnlen(text, chars);
    return length == wcslen(kUpdateClose) && wmemcmp(text, kUpdateClose, length) == 0;
}

template <size_t N>
void SetField(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    CopyToFixedBuffer(text, field, N);
}

}  // namespace

void VOvoduReridOro::OnCopyData(const COPYDATASTRUCT* data) {
    OutputDebugStringA("PNT WM_COPYDATA  消息接收");
    if (!data || !data->lpData) return;
    if (data->cbData >= sizeof(PackageRecord)) {
        PackageRecord record;
        std::memcpy(&record, data->lpData, sizeof record);
        if (HasInstallMarker(record)) {
            OnInstallRequest(record);
            return;
        }
    }
    if (IsUpdateClose(data)) PostQuitMessage(0);
}

void VOvoduReridOro::OnInstallRequest(PackageRecord& record) {
    const int kind = atoi(std::string(record.Type, BoundedLength(record.Type, sizeof record.Type)).c_str());
    if (kind >= 0 && kind <= 2) {
        SendToPlugin(L"romflash_update_downloader", reinterpret_cast<WPARAM>(&record), 0);
        return;
    }
    if (kind != -1) return;
    // A recovery package is ready: it is unpacked into the tool folder, and
    // the plug-in learns whether that worked.
    const std::wstring folder = GetModuleFolderW();
    const std::wstring archive = folder + L"\\DownModule\\downloads\\recovery.zip";
    if (!FileExists(archive)) return;
    OutputDebugStringA("PNT 解压 ROM 包");
    const std::wstring tools = folder + L"\\Rirorivuvi";
    CreateFolderTree(tools);
    const bool unpacked = UnzipWithBackup(archive.c_str(), (tools + L"\\").c_str(), nullptr, {});
    OutputDebugStringA(unpacked ? "PNT 解压 Begin" : "PNT 解压 Fail");
    SetField(record.Err, unpacked ? "3" : "4");
    SetField(record.ObjectUrl, unpacked ? WideToAnsi(tools + L"\\brush.bat") : std::string());
    SendToPlugin(L"romflash_update_downloader", reinterpret_cast<WPARAM>(&record), 0);
    OutputDebugStringA("PNT 解压 End 并通知结束");
}

LRESULT VOvoduReridOro::SendRomToDownloader(const char* json) {
    Json::Value root;
    const bool parsed = json && ParseJsonObject(json, root);
    const PackageRecord record = PackageRecordFromJson(parsed ? root : Json::Value());
    const std::string changeUrl = Utf8ToAnsiString(JsonText(root, "changeUrl").c_str());
    auto* tabs = static_cast<CTabLayoutUI*>(Find(L"TabSwitch"));
    if (JsonText(root, "type") == "4") {
        // A ROM the service does not offer yet: the model is applied for.
        ApplyForModel();
        return 0;
    }
    if (!changeUrl.empty()) {
        if (tabs) tabs->SelectItem(2);
        if (webRecommend_) webRecommend_->Navigate(AnsiToWide(changeUrl));
        return 0;
    }
    // A text that is no package (an error page, a record without its
    // download address) gives the downloader nothing to store.
    if (!IsDownloadablePackage(record)) {
        OutputDebugStringA("PNT 不是安装包，不交给下载器");
        return 0;
    }
    if (HANDLE worker = DeliverToDownloader(record, DownloaderProgram())) CloseHandle(worker);
    return 0;
}

void VOvoduReridOro::ApplyForModel() {
    // Without a phone there is no model to apply for and nothing to confirm.
    if (phoneName_.empty()) {
        OutputDebugStringA("PNT 未连接手机，不申请机型");
        return;
    }
    // Off the UI thread: the answer is not read.
    const std::string path = ApplyModelPath(WideToAnsi(vendorId_), phone_.phoneTypeId, WideToAnsi(phoneName_));
    if (HANDLE thread = StartHttpRequestThread(path, ApiHost())) CloseHandle(thread);
    // The confirmation opens once this message is answered: the start-up
    // report or the page that sent the package goes on meanwhile.
    ::PostMessageW(m_hWnd, appmsg::kOpenApplyWindow, 0, 0);
}

void VOvoduReridOro::OpenApplyWindow() {
    if (phoneName_.empty()) return;  // the phone was unplugged in the meantime
    auto* tabs = static_cast<CTabLayoutUI*>(Find(L"TabSwitch"));
    switch (ShowApplyPhoneRom(m_hWnd, phoneName_)) {
        case 2:
            if (tabs) tabs->SelectItem(2);
            if (webRecommend_) webRecommend_->Navigate(PageUrl("/"));
            break;
        case 3:
            if (tabs) tabs->SelectItem(3);
            if (webAppCenter_ && webAppCenter_->IsLoadComplete()) webAppCenter_->Navigate(PageUrl("/svapp/"));
            break;
        case 4:
            if (tabs) tabs->SelectItem(3);
            if (webAppCenter_) webAppCenter_->Navigate(PageUrl("/svapp/"));
            break;
        default:
            break;
    }
}

void VOvoduReridOro::OnLocalServerData(const LocalServerDelivery* delivery) {
    if (!delivery) return;
    // Parsed within the bytes received; an unparsable request sends nothing.
    Json::Value root;
    if (!ParseJsonObject(std::string(delivery->data, delivery->length), root)) return;
    PackageRecord record = PackageRecordFromJson(root);
    std::memset(record.Id, 0, sizeof record.Id);
    if (!IsDownloadablePackage(record)) return;
    SendToRunningDownloader(record);
}
