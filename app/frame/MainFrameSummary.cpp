// The frame's side of the phone data summary and of the feedback form: the
// buttons and the menu item that open them, the counts the phone reports and
// the click elsewhere on the frame that hides the summary.
#include <winsock2.h>

#include "MainFrame.h"

#include "backup/Databackup.h"
#include "controls/UIOption.h"
#include "dialogs/QuestionBack.h"
#include "phonelink/PhoneLinkWorkers.h"
#include "summary/PhoneMsg.h"

using namespace UiLib;

namespace {

constexpr DWORD kPopupStyle = 0x90CF0000;  // WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW

}  // namespace

bool VOvoduReridOro::OnSummaryNotify(TNotifyUI& msg) {
    if (!msg.pSender) return false;
    const CUiString name = msg.pSender->GetName();
    if (msg.sType == L"selectchanged" && name == L"OpManage") {
        // An option without a group also reports being deselected.
        auto* option = static_cast<COptionUI*>(msg.pSender->GetInterface(L"Option"));
        if (option && option->IsSelected()) {
            ShowFeedbackDialog(m_hWnd);
            // The form was a dialog over the frame; the tabs still show the page that was shown.
            GiveHighlightBackToPage();
        }
        return true;
    }
    if (msg.sType != L"click") return false;
    if (name == L"BtnMUQuestion") {
        ShowFeedbackDialog(m_hWnd);
        return true;
    }
    if (name == L"BtnPhoneMsg") {
        OpenPhoneSummary();
        return true;
    }
    return false;
}

void VOvoduReridOro::OpenPhoneSummary() {
    SetVisible(L"Backupgif", true);
    // Either way the companion app is brought up and the service checked, so
    // fresh counts follow.
    StartHelperApp();
    if (HANDLE thread = StartCheckServiceThread(MakePhoneJob())) CloseHandle(thread);
    if (summary_.Open()) {
        // Every second click on the button hides the open summary.
        if (summary_.clicks % 2 == 1) ::ShowWindow(summary_.popup, SW_HIDE);
        ++summary_.clicks;
        return;
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT frame = {};
    GetWindowRect(m_hWnd, &frame);
    auto* popup = new PhoneMsg(m_hWnd, cursor.x, cursor.y, frame.left, frame.top, frame.right, frame.bottom);
    if (!popup->Create(m_hWnd, L"PhoneMsg", kPopupStyle, WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT)) {
        delete popup;  // no window, so no final message deletes it
        return;
    }
    popup->SetBackupOpener([](HWND owner, PhoneMsg::BackupMode mode, const PhoneCounts& counts) {
        CDatabackup::Open(owner, mode == PhoneMsg::kRestorePage ? CDatabackup::kModeRestore : CDatabackup::kModeBackup,
                          counts);
    });
    popup->CenterWindow();
    summary_.window = popup;
    summary_.popup = popup->GetHWND();
    // Counts the phone reported before the summary was opened show at once.
    if (summary_.haveCounts) popup->ShowCounts(summary_.counts);
    ::ShowWindow(summary_.popup, SW_SHOW);
    summary_.clicks = 0;
}

// A counts reply: kept for a summary opened later, and posted to an open one.
void VOvoduReridOro::ShowPhoneSummary(const std::string& reply) {
    PhoneCounts counts;
    if (ParsePhoneCounts(reply, counts)) {
        MergeCounts(summary_.counts, counts);
        summary_.haveCounts = true;
    }
    if (!summary_.Open()) return;
    ::ShowWindow(summary_.popup, SW_SHOW);
    PhoneMsg::PostReplyCopy(summary_.popup, reply);
    SetVisible(L"Backupgif", false);
    RECT frame = {};
    GetWindowRect(m_hWnd, &frame);
    const POINT at = PhoneMsg::PlaceOver(frame);
    SetWindowPos(summary_.popup, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void VOvoduReridOro::HidePhoneSummary() {
    if (summary_.Open()) ::ShowWindow(summary_.popup, SW_HIDE);
}
