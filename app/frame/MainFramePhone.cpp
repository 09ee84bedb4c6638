// The frame's side of the phone connection: USB arrival and removal, the
// connection workers' reports and the connect button.
#include <winsock2.h>

#include "MainFrame.h"

#include <memory>

#include "connect/PhoneQuery.h"
#include "controls/UITabLayout.h"
#include "device/UsbArrival.h"
#include "dialogs/DialogHelpers.h"
#include "dialogs/SmallDialogs.h"
#include "log/Log.h"
#include "messages/AppMessages.h"
#include "net/ApiRequests.h"
#include "util/Helpers.h"
#include "util/ProcessUtil.h"
#include "web/WkeWebkitUI.h"
#include "win32/TextConvert.h"

using namespace UiLib;

void VOvoduReridOro::SetVisible(const wchar_t* name, bool visible) {
    if (CControlUI* control = Find(name)) control->SetVisible(visible);
}

void VOvoduReridOro::SendToPlugin(const wchar_t* type, WPARAM wParam, LPARAM lParam) {
    if (plugin_) m_PaintManager.SendNotify(plugin_, type, wParam, lParam);
}

bool VOvoduReridOro::FlashingUnderWay() {
    auto* steps = static_cast<CTabLayoutUI*>(Find(L"StepContentsTab"));
    if (steps && steps->GetCurSel() == 3) {
        OutputDebugStringA("PNT VOvoduReridOro::Ini 正在刷机， 不需弹窗");
        return true;
    }
    return false;
}

PhoneJob VOvoduReridOro::MakePhoneJob() const {
    PhoneJob job;
    job.frame = m_hWnd;
    job.hemlar = hemlar_;
    job.api = ApiHost();
    job.vid = vendorId_;
    job.pid = productId_;
    job.androidId = androidId_;
    job.driverMutex = ticketsMutex_;
    job.devices = devices_.get();
    job.phoneSession = phoneSession_;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    job.tempFolder = temp;
    return job;
}

CControlUI* VOvoduReridOro::StatusLine() const {
    return m_PaintManager.FindSubControlByName(Find(L"StatusBar"), L"TextUseLine");
}

CControlUI* VOvoduReridOro::PanelCableHint() const {
    return m_PaintManager.FindSubControlByName(Find(L"MyPhonePanel"), L"TextUseLine");
}

void VOvoduReridOro::ShowPhoneLook(bool connected) {
    SetVisible(L"HoLayUP", !connected);
    SetVisible(L"HoLayDown", !connected);
    SetVisible(L"HoSecondLayLeft", connected);
}

void VOvoduReridOro::ForgetPhone() {
    devicePath_.clear();
    vendorId_.clear();
    productId_.clear();
    phone_ = PhoneServerData();
    phoneName_.clear();
    memset(largeIconUrl_, 0, sizeof largeIconUrl_);
    if (CControlUI* name = Find(L"textConnectPhoneName")) {
        name->SetText(L"");
        name->SetToolTip(L"");
    }
    // The removed phone's frame picture and last screen go with it.
    for (const wchar_t* picture : {L"LabelPhoneUIBk", L"LabelPhoneUI"})
        if (CControlUI* label = Find(picture)) label->SetBkImage(L"");
}

void VOvoduReridOro::OnDeviceChange(const DEV_BROADCAST_HDR* header, WPARAM event) {
    // Only a USB device's own interface is a phone candidate: a mouse, a disk
    // or a network adapter never starts a driver check.
    if (!IsUsbDeviceBroadcast(header)) return;
    const std::wstring path = BroadcastDevicePath(header);
    if (event == DBT_DEVICEARRIVAL) {
        UsbIds ids;
        if (!ParseUsbIds(path, ids)) return;
        OutputDebugStringA("设备接入");
        SetVisible(L"gif", true);
        // A newly plugged phone: a report still due for an earlier one is stale.
        ++phoneSession_;
        vendorId_ = ids.vid;
        productId_ = ids.pid;
        devicePath_ = path.substr(0, 129);
        if (CControlUI* line = StatusLine()) line->SetVisible(false);
        OutputDebugStringA("RecoveryBug  _beginthreadex TrytoConncetAndroid");
        if (HANDLE thread = StartTryConnectAndroidThread(MakePhoneJob())) CloseHandle(thread);
        return;
    }
    if (event != DBT_DEVICEREMOVECOMPLETE) return;
    // Another device going away leaves the phone connected.
    if (!RemovalNamesPhone(devicePath_, UsbIds{vendorId_, productId_}, path.substr(0, 129))) return;
    OutputDebugStringA("拔出应该只有一次");
    ++phoneSession_;
    // The connect prompt comes back whole, also after "立即连接" had hidden its hints.
    for (CControlUI* hint : {StatusLine(), PanelCableHint(), Find(L"CellpTextUIFir")})
        if (hint) hint->SetVisible(true);
    SetVisible(L"gif", false);
    SetVisible(L"BtnConnectNow", true);
    ShowPhoneLook(false);
    if (webRecentNews_) webRecentNews_->SetPos({0, 0, 0, 0});
    else OutputDebugStringA("设备移除___m_pWkeRecentNews__No");
    ForgetPhone();
    SendToPlugin(L"romflash_Disconnect", 0, 0);
    OutputDebugStringA("设备移除___SendNotify");
    if (CControlUI* status = Find(L"TextPhoneStatue")) status->SetText(L"设备未连接");
    OutputDebugStringA("设备移除___END");
}

void VOvoduReridOro::OnPhoneConnect(PhoneConnectReport* received) {
    std::unique_ptr<PhoneConnectReport> report(received);
    // A phone unplugged or replaced while it was being identified: its late
    // report shows nothing and tells the plug-in nothing.
    if (report && report->session != phoneSession_) {
        OutputDebugStringA("PNT 设备已移除，丢弃连接结果");
        return;
    }
    CLog::AgentLog(L"TrytoConncetAndroid_ConnectPhone_Sucess");
    if (HWND fail = FindWindowW(L"ConnectFailDialog", L"ConnectFailDialog")) ::SendMessageW(fail, WM_CLOSE, 0, 0);
    CControlUI* nameLabel = Find(L"textConnectPhoneName");
    if (!report) return;
    // The ids the phone was queried with stay known, whatever the service
    // answered: connecting again queries again, and its removal is seen.
    if (!report->data.vid.empty() && !report->data.pid.empty()) {
        vendorId_ = report->data.vid;
        productId_ = report->data.pid;
    }
    const std::wstring name(report->record.name, BoundedLength(report->record.name, 260));
    if (name.empty()) {
        SetVisible(L"gif", false);
        if (CControlUI* line = StatusLine()) line->SetVisible(true);
        return;
    }
    // Every per-phone field comes from this report; nothing of an earlier
    // phone stays behind.
    phone_ = report->data;
    memset(largeIconUrl_, 0, sizeof largeIconUrl_);
    CopyToFixedBuffer(phone_.largeIconUrl, largeIconUrl_, sizeof largeIconUrl_);
    phoneName_ = name;
    if (nameLabel) {
        nameLabel->SetText(name.c_str());
        nameLabel->SetToolTip(name.c_str());
    }
    if (CControlUI* status = Find(L"TextPhoneStatue")) status->SetText((name + L" 已连接").c_str());
    SetVisible(L"gif", false);
    const std::string typeAndSid = (phone_.phoneTypeId + "," + phone_.sid).substr(0, 259);
    SendToPlugin(L"romflash_connect", reinterpret_cast<WPARAM>(report->record.recoveryUrl),
                 reinterpret_cast<LPARAM>(typeAndSid.c_str()));
    // The phone's screen is shown on the my-phone page, with or without the plug-in.
    auto* tabs = static_cast<CTabLayoutUI*>(Find(L"TabSwitch"));
    if (tabs && tabs->GetCurSel() == 0)
        if (CControlUI* refresh = Find(L"BtnPhoneFrush")) m_PaintManager.SendNotify(refresh, L"click", 2, 0);
    ShowPhoneLook(true);
    if (webRecentNews_) {
        webRecentNews_->Navigate(PageUrl("/svexe/index/typeId/" + UrlEncodeForm(phone_.phoneTypeId) + "/vid/" +
                                         WideToAnsi(vendorId_) + "/pid/" + WideToAnsi(productId_) + ".html"));
        if (!phone_.phoneTypeId.empty() && webRecommend_)
            webRecommend_->Navigate(PageUrl("/svrom/index/par/xq_" + UrlEncodeForm(phone_.phoneTypeId)));
        // Back beside the phone, also after a removal shrank it to nothing.
        webRecentNews_->SetPos({280, 110, 995, 660});
    }
    // The phone's frame picture: the service's, or the default one.
    const wchar_t* frameImage = L"PhoneScreen\\Default.png";
    if (largeIconUrl_[0]) {
        const std::wstring target = GetModuleFolderW() + L"\\skin\\Torvanik\\PhoneScreen\\Frame.png";
        CreateDirectoryW((GetModuleFolderW() + L"\\skin\\Torvanik\\PhoneScreen").c_str(), nullptr);
        if (DownloadUrlToFile(AnsiToWide(largeIconUrl_), target) == 100) frameImage = L"PhoneScreen\\Frame.png";
    }
    m_PaintManager.RemoveImage(frameImage);
    if (CControlUI* frame = Find(L"LabelPhoneUIBk")) frame->SetBkImage(frameImage);
    ::SendMessageW(m_hWnd, appmsg::kOpenSidPage, 0, 0);
}

void VOvoduReridOro::OnOpenSidPage() {
    SetVisible(L"gif", false);
    ShowPhoneLook(true);
    if (webRecentNews_) webRecentNews_->Navigate(PageUrl("/svexe/index/sid/" + UrlEncodeForm(phone_.sid) + ".html"));
}

void VOvoduReridOro::OnPhoneConnectFail() {
    if (CControlUI* line = StatusLine()) line->SetVisible(true);
    SetVisible(L"gif", false);
    ShowConnectFailPopup();
}

void VOvoduReridOro::OnPhoneOffline() {
    if (FlashingUnderWay()) return;
    if (HWND offline = FindWindowW(L"PhoneOffline", L"Offline")) {
        ::ShowWindow(offline, SW_SHOW);
        return;
    }
    ShowPhoneOffline(m_hWnd);
}

void VOvoduReridOro::OnAndroidId(char* text) {
    std::unique_ptr<char[]> block(text);
    OutputDebugStringA("PNT VOvoduReridOro::Ini GetAndroidID");
    SetVisible(L"gif", true);
    if (CControlUI* line = StatusLine()) line->SetVisible(false);
    androidId_ = block ? std::string(block.get(), BoundedLength(block.get(), 18)) : std::string();
    // Without a USB arrival the phone's ids are those of its Android id, so
    // that its removal is recognised even while it is being identified.
    if (vendorId_.empty() || productId_.empty()) SplitAndroidId(androidId_, vendorId_, productId_);
    if (HANDLE thread = StartConnectPhoneThread(MakePhoneJob())) CloseHandle(thread);
}

void VOvoduReridOro::OnFreshViewScreen(bool arrived) {
    OutputDebugStringA("WM_FRESHVIEW_SCREEN");
    // A screen is shown only for a connected phone: a picture taken before
    // its removal stays away.
    if (!arrived || phoneName_.empty()) {
        screenRefresh_ = 0;
        return;
    }
    const std::wstring folder = std::wstring(CPaintManagerUI::GetResourcePath()) + L"Torvanik";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\PhoneScreen").c_str(), nullptr);
    std::wstring picture = folder + L"\\PhoneScreen\\screenshot.png";
    if (ImageIsWide(picture)) {
        const std::wstring scaled = folder + L"\\PhoneScreen\\screenshot1.png";
        if (ScaleImageToPng(picture, scaled)) picture = scaled;
    }
    m_PaintManager.RemoveImage(picture.c_str());
    if (CControlUI* screen = Find(L"LabelPhoneUI")) {
        screen->SetBkImage(picture.c_str());
        screen->Invalidate();
    }
    // The confirmation only for a refresh the user asked for.
    if (screenRefresh_ == 1) {
        if (CControlUI* refresh = Find(L"BtnPhoneFrush")) {
            POINT at = {refresh->GetPos().left - 30, refresh->GetPos().top - 52};
            ClientToScreen(m_hWnd, &at);
            ShowBallonTip(L"skin\\Torvanik", L"BallonTip.xml", L"BallonTip", m_hWnd, at.x, at.y, L"刷新成功");
        }
    }
    screenRefresh_ = 0;
}

void VOvoduReridOro::ConnectNow() {
    SetVisible(L"BtnConnectNow", false);
    if (CControlUI* hint = PanelCableHint()) hint->SetVisible(false);
    SetVisible(L"CellpTextUIFir", false);
    SetVisible(L"gif", true);
    OutputDebugStringA("立即连接");
    OutputDebugStringW(productId_.c_str());
    if (!vendorId_.empty() && !productId_.empty()) {
        if (HANDLE thread = StartConnectPhoneThread(MakePhoneJob())) CloseHandle(thread);
    } else {
        ShowConnectFailPopup();
    }
}

void VOvoduReridOro::ShowConnectFailPopup() {
    if (FlashingUnderWay()) return;
    SetVisible(L"BtnConnectNow", true);
    if (CControlUI* hint = PanelCableHint()) hint->SetVisible(true);
    SetVisible(L"CellpTextUIFir", true);
    SetVisible(L"gif", false);
    ShowConnectFail(m_hWnd);
}
