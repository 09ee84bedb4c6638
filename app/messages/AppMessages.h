// The main frame's private window messages: WM_USER plus a fixed offset. The
// workers, the local server, the plug-in and the other programs reach the
// user interface only through these.
#pragma once

#include <windows.h>

namespace appmsg {

constexpr UINT kPackageJson = WM_USER + 291;           // 0x523, S: UTF-8 JSON of one package
constexpr UINT kResizePane = WM_USER + 295;            // 0x527
constexpr UINT kPhoneConnect = WM_USER + 296;          // 0x528, P: PhoneConnectReport*, freed by the frame
constexpr UINT kOpenSidPage = WM_USER + 297;           // 0x529
constexpr UINT kPhoneConnectFail = WM_USER + 298;      // 0x52A, P
constexpr UINT kPhoneOffline = WM_USER + 299;          // 0x52B, P
constexpr UINT kStartPhoneLink = WM_USER + 300;        // 0x52C, P
constexpr UINT kHelperAppFailed = WM_USER + 301;       // 0x52D, P: the companion app would not start
// Asked of the frame by the backup window while it waits for the phone (S):
// kPhoneLinkLost once the link to the phone service has ended on its own.
constexpr UINT kPhoneLinkState = WM_USER + 302;        // 0x52E, S
constexpr LRESULT kPhoneLinkLost = 2;
constexpr UINT kAndroidMsg = WM_USER + 360;            // 0x568, S: the phone service's reply text
constexpr UINT kAndroidMsgOther = WM_USER + 361;       // 0x569, S: to the backup window, other replies
constexpr UINT kNews = WM_USER + 370;                  // 0x572, S: news index
constexpr UINT kRecommendItem = WM_USER + 371;         // 0x573, S: app index
constexpr UINT kAndroidId = WM_USER + 372;             // 0x574, P: heap text, freed by the frame
constexpr UINT kFreshViewScreen = WM_USER + 373;       // 0x575, P
constexpr UINT kQueryPhoneData = WM_USER + 374;        // 0x576, P
constexpr UINT kShowAuthorize = WM_USER + 375;         // 0x577, P: the companion app waits for the user
constexpr UINT kPhoneLogError = WM_USER + 376;         // 0x578, P: the companion app's run failed
constexpr UINT kHideLoading1 = WM_USER + 380;          // 0x57C, S
constexpr UINT kHideLoading2 = WM_USER + 390;          // 0x586, S
constexpr UINT kSendPhoneRequest = WM_USER + 410;      // 0x59A, S: narrow request text
constexpr UINT kSendPhoneRequest2 = WM_USER + 411;     // 0x59B, S: narrow request text
constexpr UINT kBackupPulled = WM_USER + 412;          // 0x59C, P: to the backup window, a transfer ended
constexpr UINT kBackupCounted = WM_USER + 413;         // 0x59D, P: to the backup window, wParam bit, lParam count
constexpr UINT kBackupFileCopied = WM_USER + 414;      // 0x59E, P: to the frame, a copy of a backup file ended
// The frame's own helpers, so that workers never touch a window or a web
// view themselves: the network probe found no network (P); a pane wait asks
// whether its pane has loaded (S, wParam the pane; the answer a PaneState).
constexpr UINT kNetProbeFailed = WM_USER + 381;        // 0x57D, P
constexpr UINT kPaneLoadState = WM_USER + 382;         // 0x57E, S
// The model application's confirmation, opened after the package message
// that asked for it was answered (P).
constexpr UINT kOpenApplyWindow = WM_USER + 383;       // 0x57F, P
constexpr UINT kRomCheckBinary = WM_USER + 500;        // 0x5F4, S: narrow path of a ROM zip
constexpr UINT kPrepareHelper = WM_USER + 501;         // 0x5F5
constexpr UINT kRomflashBackup = WM_USER + 502;        // 0x5F6
constexpr UINT kRomflashRestore = WM_USER + 503;       // 0x5F7
constexpr UINT kRomflashGames = WM_USER + 504;         // 0x5F8
constexpr UINT kRomflashApps = WM_USER + 505;          // 0x5F9
constexpr UINT kRomflashConnect = WM_USER + 506;       // 0x5FA
constexpr UINT kRetryConnect = WM_USER + 1000;         // 0x7E8, P: wParam 1
constexpr UINT kLocalServerData = WM_USER + 2001;      // 0xBD1, S: lParam the local server's delivery

}  // namespace appmsg
