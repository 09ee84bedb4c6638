#include "BackupFindSplash.h"

#include <cwchar>
#include <memory>

#include "NotifyRecord.h"
#include "core/manager/UIManager.h"

using namespace UiLib;

namespace {

constexpr UINT kCountDownTimer = 100;
constexpr UINT kClosePauseMs = 800;
// A skin without its count-down control still closes, a little later.
constexpr UINT_PTR kFallbackTimer = 101;
constexpr UINT kFallbackMs = 5000;

}  // namespace

CCountDownTimerUI_BackupFindSplash::~CCountDownTimerUI_BackupFindSplash() {
    if (armed_ && m_pManager) m_pManager->KillTimer(this, kCountDownTimer);
}

LPVOID CCountDownTimerUI_BackupFindSplash::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"CountDownTimerUI") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CCountDownTimerUI_BackupFindSplash::DoInit() {
    if (m_pManager) armed_ = m_pManager->SetTimer(this, kCountDownTimer, kCountDownMs);
}

void CCountDownTimerUI_BackupFindSplash::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kCountDownTimer) {
        if (m_pManager) m_pManager->KillTimer(this, kCountDownTimer);
        armed_ = false;
        TNotifyUI msg = MakeNotify(L"romflash_phonedata_status", this);
        if (owner_) owner_->Notify(msg);
        return;
    }
    CControlUI::DoEvent(event);
}

CControlUI* CBackupFindSplash::CreateControl(const wchar_t* className) {
    if (wcscmp(className, L"CountDownTimer") != 0) return nullptr;
    hasCountDown_ = true;
    return new CCountDownTimerUI_BackupFindSplash(this);
}

void CBackupFindSplash::Notify(TNotifyUI& msg) {
    if (_wcsicmp(msg.sType, L"romflash_phonedata_status") == 0) {
        Sleep(kClosePauseMs);
        Close(1);
        return;
    }
    if (_wcsicmp(msg.sType, L"windowinit") == 0 && !hasCountDown_) SetTimer(GetHWND(), kFallbackTimer, kFallbackMs, nullptr);
    WindowImplBase::Notify(msg);
}

LRESULT CBackupFindSplash::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kFallbackTimer) {
        KillTimer(GetHWND(), kFallbackTimer);
        TNotifyUI msg = MakeNotify(L"romflash_phonedata_status");
        Notify(msg);
        return 0;
    }
    return WindowImplBase::HandleMessage(message, wParam, lParam);
}

void ShowBackupFindSplash(HWND mainWindow) {
    auto splash = std::make_unique<CBackupFindSplash>();
    RECT area = {0, 0, 800, 600};
    if (mainWindow) GetWindowRect(mainWindow, &area);
    if (!splash->Create(mainWindow, L"BackupPrepare_splash", 0x10CF0000, WS_EX_WINDOWEDGE, 0, 0, 0, 0)) return;
    MoveWindow(splash->GetHWND(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    splash->ShowModal();
    if (IsWindow(splash->GetHWND())) DestroyWindow(splash->GetHWND());
}
