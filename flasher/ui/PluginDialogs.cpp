#include "PluginDialogs.h"

#include "dialogs/DialogHelpers.h"

namespace plugindialogs {

namespace {

const wchar_t kSkinFolder[] = L"\\skin\\BrevlinsUI";
constexpr UINT kAnswerOk = 1;

}  // namespace

HWND MainWindow() { return FindWindowW(L"UIMainFrame", L"Kovi刷机"); }
HWND DownloaderWindow() { return FindWindowW(L"CPellarinesFrame", L"Downloader"); }

void InfoBox(HWND parent, const std::wstring& text) {
    ShowBasicDialog(kSkinFolder, L"\\DlgInfo.xml", L"", parent, -1, -1, text.c_str());
}

bool ConfirmUnfinishedBackup(HWND parent) {
    return ShowMsgBox(kSkinFolder, L"\\DlgErrWarningBackup.xml", L"", parent, -1, -1, L"") == kAnswerOk;
}

bool ConfirmUncertainRomMatch(HWND parent) {
    return ShowMsgBox(kSkinFolder, L"\\DlgErrWarningRommatch.xml", L"", parent, -1, -1, L"") == kAnswerOk;
}

void Balloon(HWND parent, int x, int y, const std::wstring& text) {
    ShowBallonTip(kSkinFolder, L"\\BallonTip.xml", L"", parent, x, y, text.c_str());
}

}  // namespace plugindialogs
