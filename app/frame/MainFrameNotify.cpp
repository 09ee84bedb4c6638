// The frame's notifications beyond the phone panel: the tab options, the
// web-pane toolbars, the news buttons, the recommended apps, the downloader
// button and what the user does with the phone's screenshot.
#include <winsock2.h>

#include "MainFrame.h"

#include <shellapi.h>

#include "controls/UIOption.h"
#include "controls/UITabLayout.h"
#include "dialogs/DialogHelpers.h"
#include "messages/DownloaderLink.h"
#include "net/ApiRequests.h"
#include "net/WebApi.h"
#include "screen/PhoneScreenshot.h"
#include "startup/PaneWaits.h"
#include "util/ProcessUtil.h"
#include "web/WkeWebkitUI.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

// The six tab options, in the order of the pages they stand for.
constexpr const wchar_t* kTabOptions[] = {L"OpMyPhone", L"OpROM", L"OpNeed", L"OpTheme", L"OpManage", L"OpTools"};

// The outside sites of the app centre's toolbar.
constexpr wchar_t kPortalSite[] = L"http://www.hao123.com/";
constexpr wchar_t kGameSite[] = L"http://www.4399.com/";
constexpr wchar_t kSoftwareSite[] = L"http://www.onlinedown.net/";

COptionUI* AsOption(CControlUI* control) {
    return control ? static_cast<COptionUI*>(control->GetInterface(L"Option")) : nullptr;
}

void OpenInBrowser(const std::wstring& url) {
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOW);
}

// Counts a recommended app's download once the downloader has the record.
void ReportAppDownload(const PackageRecord& record) {
    HttpGetToString(AppDownloadCountPath(std::string(record.Id, BoundedLength(record.Id, sizeof record.Id))),
                    ApiHost());
}

}  // namespace

bool VOvoduReridOro::OnFrameNotify(TNotifyUI& msg) {
    if (msg.sType == L"tabselect") {
        OnTabSelect();
        return true;
    }
    if (!msg.pSender) return false;
    const CUiString name = msg.pSender->GetName();
    if (msg.sType == L"selectchanged") {
        // Only a newly selected option acts; options of this skin are not
        // grouped, so a deselection sends the same notification.
        COptionUI* option = AsOption(msg.pSender);
        if (option && option->IsSelected() && !restoringPageOption_) OnOptionSelected(name);
        return option != nullptr;
    }
    if (msg.sType != L"click") return false;
    OnRecommendedAppClick(name);
    if (name == L"BtnDownLoad") {
        if (HANDLE thread = BringUpDownloader(DownloaderProgram())) CloseHandle(thread);
    } else if (name == L"BtnPhoneCopy") {
        CopyScreenshot();
    } else if (name == L"BtnPhoneCut") {
        SaveScreenshot();
    } else if (OnWebToolbar(name)) {
    } else if (wcsncmp(name.GetData(), L"BtnNews", 7) == 0) {
        OnNewsClick(msg.pSender);
    } else {
        return false;
    }
    return true;
}

void VOvoduReridOro::OnTabSelect() {
    if (CControlUI* main = Find(L"HorizontalLayoutMain")) m_PaintManager.SendNotify(main, L"selectchanged", 0, 0);
    auto* tabs = static_cast<CTabLayoutUI*>(Find(L"TabSwitch"));
    if (!tabs) return;
    tabs->SelectItem(tabs->GetCurSel());
    SelectCurrentPageOption();
}

void VOvoduReridOro::SelectCurrentPageOption() {
    auto* tabs = static_cast<CTabLayoutUI*>(Find(L"TabSwitch"));
    if (!tabs) return;
    const int page = tabs->GetCurSel();
    for (int i = 0; i < 6; ++i)
        if (COptionUI* option = AsOption(Find(kTabOptions[i]))) option->SetSelected(i == page);
}

void VOvoduReridOro::GiveHighlightBackToPage() {
    // Only the highlight moves: the page's own option does not act again.
    restoringPageOption_ = true;
    SelectCurrentPageOption();
    restoringPageOption_ = false;
}

void VOvoduReridOro::OnOptionSelected(const CUiString& name) {
    auto* tabs = static_cast<CTabLayoutUI*>(Find(L"TabSwitch"));
    auto page = [tabs](int index) {
        if (tabs) tabs->SelectItem(index);
    };
    if (name == L"OpMyPhone") {
        page(0);
        if (CControlUI* refresh = Find(L"BtnPhoneFrush")) m_PaintManager.SendNotify(refresh, L"click", 2, 0);
    } else if (name == L"OpROM") {
        page(1);
    } else if (name == L"OpNeed") {
        page(2);
        if (HANDLE thread = StartNetCheckThread(m_hWnd)) CloseHandle(thread);
        if (webRecommend_ && webRecommend_->IsLoadComplete()) SetVisible(L"RomLoadinggif", false);
        else WaitForPane(true);
    } else if (name == L"OpTheme") {
        page(3);
        if (HANDLE thread = StartNetCheckThread(m_hWnd)) CloseHandle(thread);
        WaitForPane(false);
    } else if (name == L"OpTools") {
        OpenInBrowser(ApiSiteUrl("/"));
        // The site opens in the browser; the tabs still show the page that was shown.
        GiveHighlightBackToPage();
    }
}

void VOvoduReridOro::OnRecommendedAppClick(const CUiString& name) {
    const std::string narrow = WideToAnsi(name.GetData());
    for (const PackageRecord& app : apps_) {
        if (narrow != std::string(app.Name, BoundedLength(app.Name, sizeof app.Name))) continue;
        // The downloader is found or started on a worker; the download is
        // counted only once the record reached it.
        if (HANDLE thread = DeliverToDownloader(app, DownloaderProgram(), &ReportAppDownload)) CloseHandle(thread);
        return;
    }
}

void VOvoduReridOro::OnNewsClick(CControlUI* button) {
    const CUiString tip = button->GetToolTip();
    for (const NewsItem& item : news_) {
        if (std::wstring(item.title, BoundedLength(item.title, 50)) != tip.GetData()) continue;
        OpenInBrowser(std::wstring(item.url, BoundedLength(item.url, 100)));
        return;
    }
}

bool VOvoduReridOro::OnWebToolbar(const CUiString& name) {
    struct PaneAction {
        const wchar_t* button;
        bool recommend;  // else the app centre
        enum { Back, Forward, Reload, Home, Site } action;
        const wchar_t* site;
    };
    static const PaneAction kActions[] = {
        {L"BtnIndexPre", true, PaneAction::Back, nullptr},
        {L"BtnIndexNext", true, PaneAction::Forward, nullptr},
        {L"BtnRomMarketRefresh", true, PaneAction::Reload, nullptr},
        {L"BtnIndexHome", true, PaneAction::Home, nullptr},
        {L"AppCenterPre", false, PaneAction::Back, nullptr},
        {L"AppCenterNext", false, PaneAction::Forward, nullptr},
        {L"AppCenterRefresh", false, PaneAction::Reload, nullptr},
        {L"AppCenterHome", false, PaneAction::Home, nullptr},
        {L"AppCenterIndexPage", false, PaneAction::Site, kPortalSite},
        {L"AppCenterGamePage", false, PaneAction::Site, kGameSite},
        {L"AppCenterSoftPage", false, PaneAction::Site, kSoftwareSite},
    };
    for (const PaneAction& entry : kActions) {
        if (name != entry.button) continue;
        CWkeWebkitUI* pane = entry.recommend ? webRecommend_ : webAppCenter_;
        if (!pane) return true;
        switch (entry.action) {
            case PaneAction::Back:
                pane->GoBack();
                break;
            case PaneAction::Forward:
                pane->GoForward();
                break;
            case PaneAction::Reload: {
                if (wkeWebView view = pane->View()) view->reload();
                const wchar_t* gif = entry.recommend ? L"RomLoadinggif" : L"MustAppgif";
                SetVisible(gif, true);
                if (pane->IsLoadComplete()) SetVisible(gif, false);
                else WaitForPane(entry.recommend);
                break;
            }
            case PaneAction::Home:
                pane->Navigate(PageUrl(entry.recommend ? "/" : "/svapp/"));
                break;
            case PaneAction::Site:
                pane->Navigate(entry.site);
                break;
        }
        return true;
    }
    return false;
}

std::wstring VOvoduReridOro::ScreenshotPath() const {
    return GetModuleFolderW() + L"\\skin\\Torvanik\\PhoneScreen\\screenshot.png";
}

void VOvoduReridOro::CopyScreenshot() {
    // The confirmation only for a copy that happened.
    if (!CopyPictureToClipboard(m_hWnd, ScreenshotPath())) return;
    POINT at;
    GetCursorPos(&at);
    ShowBallonTip(L"skin\\Torvanik", L"BallonTip.xml", L"BallonTip", m_hWnd, at.x - 30, at.y - 52, L"复制成功");
}

void VOvoduReridOro::SaveScreenshot() { SavePictureAs(m_hWnd, ScreenshotPath()); }
