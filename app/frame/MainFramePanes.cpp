// The frame's side of the slow checks: the web panes' loading animations,
// the network probe, the companion app's state after a backup request, the
// ROM's install program and the plug-in's request for games.
#include <winsock2.h>

#include "MainFrame.h"

#include <shellapi.h>

#include <cstring>

#include "ZipUtils.h"
#include "dialogs/DialogHelpers.h"
#include "dialogs/SmallDialogs.h"
#include "startup/PaneWaits.h"
#include "util/ProcessUtil.h"
#include "web/WkeWebkitUI.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

// The outside ROM site whose app page the plug-in's games button opens.
constexpr char kRomSiteApps[] = "http://www.romzhijia.net/app/";

}  // namespace

void VOvoduReridOro::WaitForPane(bool recommend) {
    if (HANDLE thread = StartPaneWaitThread(m_hWnd, recommend ? WebPane::Recommend : WebPane::AppCenter))
        CloseHandle(thread);
}

LRESULT VOvoduReridOro::PaneLoadState(WPARAM pane) {
    CWkeWebkitUI* web = pane == static_cast<WPARAM>(WebPane::Recommend)   ? webRecommend_
                        : pane == static_cast<WPARAM>(WebPane::AppCenter) ? webAppCenter_
                                                                           : nullptr;
    if (!web) return kPaneMissing;
    return web->IsLoadComplete() ? kPaneLoaded : kPaneLoading;
}

void VOvoduReridOro::OnNetProbeFailed() {
    // Several tabs start a probe; one failure dialog answers them all.
    if (FindWindowW(L"ConnectFailDialog", L"NetFail")) return;
    ShowNetConnectErr(m_hWnd);
}

void VOvoduReridOro::OnShowAuthorize() {
    CControlUI* waiting = Find(L"Backupgif");
    if (!waiting || !waiting->IsVisible()) return;
    waiting->SetVisible(false);
    ShowAuthorizeDlg(m_hWnd);
}

void VOvoduReridOro::OnPhoneLogError() {
    CControlUI* waiting = Find(L"Backupgif");
    if (!waiting || !waiting->IsVisible()) return;
    waiting->SetVisible(false);
    ShowBasicDialog(L"skin\\Torvanik", L"DlgInfo.xml", L"DlgInfo", nullptr, -1, -1, L"");
}

void VOvoduReridOro::OnRomCheckBinary(const char* path) {
    OutputDebugStringA("收到解压消息");
    if (!path) return;
    const std::string zip(path, BoundedLength(path, 260) < 260 ? BoundedLength(path, 260) : 259);
    const std::string target = WideToAnsi(GetModuleFolderW()) + "\\Rirorivuvi\\update-binary";
    if (!Unzip(zip.c_str(), "META-INF/com/google/android/update-binary", target.c_str()))
        OutputDebugStringA("PNT update-binary not extracted");
    OutputDebugStringA(zip.c_str());
}

void VOvoduReridOro::OpenRomSiteGames() { ShellExecuteA(nullptr, "open", kRomSiteApps, nullptr, nullptr, SW_SHOW); }
