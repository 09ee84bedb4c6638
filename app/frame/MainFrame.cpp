#include <winsock2.h>

#include "MainFrame.h"

#include <shellapi.h>

#include <process.h>
#include <windowsx.h>

#include "device/DeviceEnumerator.h"
#include "device/UsbArrival.h"
#include "dialogs/QuestionBack.h"
#include "dialogs/SmallDialogs.h"
#include "frame/MyphoneUI.h"
#include "messages/AppMessages.h"
#include "frame/VersionText.h"
#include "log/FrameLog.h"
#include "net/ApiRequests.h"
#include "util/Helpers.h"
#include "util/ProcessUtil.h"
#include "web/WkeEngine.h"
#include "web/WkeWebkitUI.h"

#include "controls/UITabLayout.h"

using namespace UiLib;

namespace {

constexpr int kIconResource = 109;
constexpr UINT_PTR kAfterFirstPaintTimer = 0x7A31;  // above the ids the paint manager gives controls
HWND g_scriptWindow = nullptr;

typedef CControlUI*(__cdecl* NewBrevlinsFn)(CPaintManagerUI* manager);

jsValue WKE_CALL OnScriptMsgBox(jsExecState es) {
    WkeEngine& engine = WkeEngine::Instance();
    const char* json = engine.ToString(es, engine.Arg(es, 0));
    const wchar_t* text = engine.ToStringW(es, engine.Arg(es, 1));
    // Sent, not posted: the engine's texts are valid only during this call.
    if (IsWindow(g_scriptWindow))
        SendMessageW(g_scriptWindow, appmsg::kPackageJson, reinterpret_cast<WPARAM>(json), reinterpret_cast<LPARAM>(text));
    return engine.Undefined();
}

void WKE_CALL IgnoreTitle(const wkeClientHandler*, const wchar_t*) {}
void WKE_CALL IgnoreUrl(const wkeClientHandler*, const wchar_t*) {}
const wkeClientHandler kQuietClient = {&IgnoreTitle, &IgnoreUrl};

unsigned __stdcall RunUpdaterThread(void*) {
    StartUpdaterProcess((GetModuleFolderA() + "\\Quellart.exe").c_str());
    return 0;
}

}  // namespace

HWND ScriptCallbackWindow() { return g_scriptWindow; }

void CloseDownloaderWindow() {
    if (HWND downloader = FindWindowW(L"CPellarinesFrame", L"Downloader")) SendMessageW(downloader, WM_CLOSE, 0, 0);
}

VOvoduReridOro::VOvoduReridOro() : devices_(std::make_unique<SetupApiDeviceEnumerator>()) {
    AttachFrameLog(GetModuleFolderW() + L"\\log\\frame.log");
    LOG4CPLUS_WARN(FrameLogger(), LOG4CPLUS_TEXT("This is a <Warn> log message... VOvoduReridOro"));
}

VOvoduReridOro::~VOvoduReridOro() {
    StopServices();
    if (ticketsMutex_) CloseHandle(ticketsMutex_);
}

void VOvoduReridOro::StopServices() {
    // Stopped before the web engine shuts down; the stop keeps answering the
    // workers' sent messages while it waits for them.
    localServer_.Stop();
    client_.Stop();
    RemoveTrayIcon();
}

void VOvoduReridOro::OnFinalMessage(HWND hWnd) {
    CloseDownloaderWindow();
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

CControlUI* VOvoduReridOro::Find(const wchar_t* name) const {
    return const_cast<CPaintManagerUI&>(m_PaintManager).FindControl(name);
}

CControlUI* VOvoduReridOro::CreateControl(const wchar_t* className) {
    if (_wcsicmp(className, L"MyphoneUI") == 0) return new CMyphoneUI(&m_PaintManager);
    if (_wcsicmp(className, L"wkeWebkit") == 0) return new CWkeWebkitUI;
    if (_wcsicmp(className, L"BrevlinsUI") == 0) {
        brevlin_ = LoadLibraryW((GetModuleFolderW() + L"\\Brevlin.dll").c_str());
        auto create = brevlin_ ? reinterpret_cast<NewBrevlinsFn>(
                                     reinterpret_cast<void*>(GetProcAddress(brevlin_, "new_CBrevlinsUI")))
                               : nullptr;
        if (!create) {
            if (brevlin_) FreeLibrary(brevlin_);
            brevlin_ = nullptr;
            return nullptr;
        }
        plugin_ = create(&m_PaintManager);
        return plugin_;
    }
    return nullptr;
}

void VOvoduReridOro::OnWindowReady() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HICON big = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    HICON small = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                LR_DEFAULTCOLOR));
    if (big) SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small) SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    Init();
    AttachShadow();
}

void VOvoduReridOro::Init() {
    LOG4CPLUS_WARN(FrameLogger(), LOG4CPLUS_TEXT("VOvoduReridOro::Init"));
    OutputDebugStringA("PNT VOvoduReridOro::Ini Begin");
    androidId_.clear();
    screenRefresh_ = 0;

    // Without the device library the phone features are off, but the window,
    // its web panes and the local server still work.
    hemlar_ = LoadLibraryW((GetModuleFolderW() + L"\\Hemlar.dll").c_str());
    if (!hemlar_) LOG4CPLUS_WARN(FrameLogger(), LOG4CPLUS_TEXT("Hemlar.dll is missing: phone features are off"));
    ticketsMutex_ = CreateMutexW(nullptr, FALSE, L"ticketsBrush");

    SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    m_PaintManager.SetCaptionRect({0, 0, 0, 110});

    auto web = [this](const wchar_t* name) {
        CControlUI* control = Find(name);
        return control ? static_cast<CWkeWebkitUI*>(control->GetInterface(L"WbkWebkit")) : nullptr;
    };
    webAppCenter_ = web(L"WebAppCenter");
    if (webAppCenter_) webAppCenter_->Navigate(PageUrl("/svapp/"));
    webRecommend_ = web(L"WebRecommend");
    if (webRecommend_) {
        WkeEngine::Instance().BindFunction("msgBox", &OnScriptMsgBox, 2);
        if (wkeWebView view = webRecommend_->View()) view->setClientHandler(&kQuietClient);
        webRecommend_->Navigate(PageUrl("/"));
    }
    webRecentNews_ = web(L"WebRecentNews");
    g_scriptWindow = m_hWnd;
    vendorId_.clear();
    productId_.clear();
    memset(largeIconUrl_, 0, sizeof largeIconUrl_);

    closeButton_ = Find(L"BtnCLose");
    minButton_ = Find(L"BtnMin");
    if (CControlUI* caption = Find(L"UICaption")) caption->SetVisible(false);
    if (CControlUI* progress = Find(L"DevInsProcess")) {
        progress->SetAttribute(L"min", L"0");
        progress->SetAttribute(L"max", L"100");
        progress->SetAttribute(L"isstretchfore", L"false");
        progress->SetAttribute(L"value", L"43");
        progress->SetVisible(false);
    }
    ShowVersion();
    if (CControlUI* gif = Find(L"gif")) gif->SetVisible(false);
    if (CControlUI* percent = Find(L"TextCelphonePercent")) percent->SetVisible(false);
    OutputDebugStringA("PNT VOvoduReridOro::Ini RegisterUSBNoticefy");
    if (hemlar_) RegisterDeviceBroadcasts(m_hWnd);
    // A timer's message comes only once nothing is left to paint: the first
    // paint of a shown frame goes first.
    SetTimer(m_hWnd, kAfterFirstPaintTimer, USER_TIMER_MINIMUM, nullptr);
    OutputDebugStringA("PNT VOvoduReridOro::Ini End");
}

// Each of these starts threads or processes (the updater, the report's tools,
// the server's workers); started before the first paint they would compete
// with it for the processors and for Wine's server.
void VOvoduReridOro::StartAfterFirstPaint() {
    if (HANDLE updater = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RunUpdaterThread, nullptr, 0, nullptr)))
        CloseHandle(updater);
    StartupJob report{m_hWnd, hemlar_, ApiHost(), GetModuleFolderW()};
    if (HANDLE thread = StartStartupReportThread(report)) CloseHandle(thread);
    OutputDebugStringA("PNT VOvoduReridOro::Ini AppRecommandThread");
    OutputDebugStringA("PNT VOvoduReridOro::Ini SetAndroidClient");
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) PostQuitMessage(0);
    localServer_.SetTargetWindow(m_hWnd);
    if (!localServer_.Start()) LOG4CPLUS_WARN(FrameLogger(), LOG4CPLUS_TEXT("The local request server did not start"));
    OutputDebugStringA("PNT VOvoduReridOro::Ini IOCPBegin");
}

void VOvoduReridOro::ShowVersion() {
    CControlUI* label = Find(L"ProgramVersion");
    if (!label) return;
    label->SetText(VersionCaption(ReadInstalledVersion(GetModuleFolderW() + L"\\autoupdate\\curjson")).c_str());
}

LRESULT VOvoduReridOro::HitTest(POINT screenPoint) {
    POINT pt = screenPoint;
    ScreenToClient(m_hWnd, &pt);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const RECT caption = m_PaintManager.GetCaptionRect();
    if (pt.x < caption.left || pt.x >= client.right - caption.right || pt.y < caption.top || pt.y >= caption.bottom)
        return HTCLIENT;
    CControlUI* control = m_PaintManager.FindControl(pt);
    if (!control) return HTCLIENT;
    for (const wchar_t* clickable : {L"ButtonUI", L"OptionUI", L"TextUI"})
        if (wcscmp(control->GetClass(), clickable) == 0) return HTCLIENT;
    return HTCAPTION;
}

LRESULT VOvoduReridOro::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    bHandled = TRUE;
    return HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

LRESULT VOvoduReridOro::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case WM_NCLBUTTONDBLCLK:
            return 0;
        case WM_CLOSE:
            if (IsWindow(m_hWnd)) ::ShowWindow(m_hWnd, SW_HIDE);
            return 0;
        case WM_LBUTTONDOWN:
            HidePhoneSummary();
            return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
        case WM_COPYDATA:
            OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam != kAfterFirstPaintTimer) return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
            KillTimer(m_hWnd, kAfterFirstPaintTimer);
            StartAfterFirstPaint();
            return 0;
        case WM_DEVICECHANGE:
            if ((wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) && lParam &&
                reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam)->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
                OnDeviceChange(reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam), wParam);
            return 0;
        default: {
            LRESULT result = 0;
            if (OnAppMessage(uMsg, wParam, lParam, result)) return result;
            return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
        }
    }
}

bool VOvoduReridOro::OnAppMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (uMsg) {
        case appmsg::kPackageJson:
            result = SendRomToDownloader(reinterpret_cast<const char*>(wParam));
            return true;
        case appmsg::kResizePane:
            if (webRecentNews_) webRecentNews_->SetPos({280, 110, 995, 660});
            return true;
        case appmsg::kPhoneConnect:
            OnPhoneConnect(reinterpret_cast<PhoneConnectReport*>(wParam));
            return true;
        case appmsg::kOpenSidPage:
            OnOpenSidPage();
            return true;
        case appmsg::kPhoneConnectFail:
            OnPhoneConnectFail();
            return true;
        case appmsg::kPhoneOffline:
            OnPhoneOffline();
            return true;
        case appmsg::kAndroidId:
            OnAndroidId(reinterpret_cast<char*>(wParam));
            return true;
        case appmsg::kNews:
            OnNews(wParam, reinterpret_cast<const NewsItem*>(lParam));
            return true;
        case appmsg::kRecommendItem:
            OnRecommendItem(reinterpret_cast<const PackageRecord*>(lParam));
            return true;
        case appmsg::kFreshViewScreen:
            OnFreshViewScreen(wParam != 0);
            return true;
        case appmsg::kRomflashConnect:
            ConnectNow();
            return true;
        case appmsg::kRomflashGames:
            OpenRomSiteGames();
            return true;
        case appmsg::kRomCheckBinary:
            OnRomCheckBinary(reinterpret_cast<const char*>(wParam));
            return true;
        case appmsg::kHideLoading1:
            SetVisible(L"RomLoadinggif", false);
            return true;
        case appmsg::kHideLoading2:
            SetVisible(L"MustAppgif", false);
            return true;
        case appmsg::kOpenApplyWindow:
            OpenApplyWindow();
            return true;
        case appmsg::kPaneLoadState:
            result = PaneLoadState(wParam);
            return true;
        case appmsg::kNetProbeFailed:
            OnNetProbeFailed();
            return true;
        case appmsg::kShowAuthorize:
            OnShowAuthorize();
            return true;
        case appmsg::kPhoneLogError:
            OnPhoneLogError();
            return true;
        case appmsg::kRomflashApps:
            if (auto* tabs = static_cast<CTabLayoutUI*>(Find(L"TabSwitch"))) tabs->SelectItem(3);
            return true;
        case appmsg::kRetryConnect:
            if (CControlUI* connect = Find(L"BtnConnectNow")) m_PaintManager.SendNotify(connect, L"click", 0, 0);
            else ConnectNow();
            return true;
        case appmsg::kLocalServerData:
            OnLocalServerData(reinterpret_cast<const LocalServerDelivery*>(lParam));
            return true;
        default:
            return OnPhoneLinkMessage(uMsg, wParam, lParam, result);
    }
}

void VOvoduReridOro::OnMenuItem(const wchar_t* item) {
    if (!item) return;
    if (wcscmp(item, L"Menu_Main_Exit") == 0) {
        LeaveProgram();
    } else if (wcscmp(item, L"AppSetting") == 0) {
        OpenSettings();
    } else if (wcscmp(item, L"AppLog") == 0) {
        ShellExecuteW(nullptr, L"open", ApiSiteUrl("/shuaji/").c_str(), nullptr, nullptr, SW_SHOW);
    } else if (wcscmp(item, L"AppGov") == 0) {
        ShellExecuteW(nullptr, L"open", ApiSiteUrl("/").c_str(), nullptr, nullptr, SW_SHOW);
    } else if (wcscmp(item, L"AppQuesion") == 0) {
        ShowFeedbackDialog(m_hWnd);
    } else if (wcscmp(item, L"AppVersion") == 0) {
        ShowBrushVersion(m_hWnd);
    }
}

LRESULT VOvoduReridOro::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (uMsg == kMenuClick) {
        // The menu hands over the item's name; it is freed here.
        std::unique_ptr<CUiString> name(reinterpret_cast<CUiString*>(wParam));
        OnMenuItem(name ? name->GetData() : nullptr);
    } else {
        OnTrayIcon(uMsg, lParam);
    }
    bHandled = FALSE;
    return 0;
}

void VOvoduReridOro::Notify(TNotifyUI& msg) {
    if (msg.sType == L"click" && msg.pSender && msg.pSender == closeButton_) {
        if (IsWindow(m_hWnd)) ::ShowWindow(m_hWnd, SW_HIDE);
        return;
    }
    if (msg.sType == L"click" && msg.pSender && msg.pSender->GetName() == L"BtnMin") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return;
    }
    if (OnSummaryNotify(msg) || OnFrameNotify(msg)) {
        WindowImplBase::Notify(msg);
        return;
    }
    if (msg.sType == L"click" && msg.pSender) {
        const CUiString name = msg.pSender->GetName();
        if (OnBackupClick(name)) return;
        if (name == L"BtnSet") {
            OpenMainMenu(msg.pSender);
        } else if (name == L"BtnConnectNow") {
            ConnectNow();
        } else if (name == L"BtnPhoneFrush" && screenRefresh_ == 0) {
            screenRefresh_ = msg.wParam == 2 ? 2 : 1;
            if (HANDLE thread = StartScreenshotThread(MakePhoneJob())) CloseHandle(thread);
        }
    }
    WindowImplBase::Notify(msg);
}
