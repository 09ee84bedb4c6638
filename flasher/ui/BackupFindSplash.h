// The splash that covers the main window while the phone's data summary is
// gathered before the backup page; it closes itself after a count-down.
#pragma once

#include <windows.h>

#include "core/manager/UIControl.h"
#include "core/manager/UIInterfaces.h"
#include "core/window/WindowImplBase.h"

class CCountDownTimerUI_BackupFindSplash : public UiLib::CControlUI {
public:
    explicit CCountDownTimerUI_BackupFindSplash(UiLib::INotifyUI* owner) : owner_(owner) {}
    ~CCountDownTimerUI_BackupFindSplash() override;

    const wchar_t* GetClass() const override { return L"CountDownTimerUI"; }
    LPVOID GetInterface(const wchar_t* name) override;
    void DoInit() override;
    void DoEvent(UiLib::TEventUI& event) override;

private:
    static constexpr UINT kCountDownMs = 5000;
    UiLib::INotifyUI* owner_;
    bool armed_ = false;
};

class CBackupFindSplash : public UiLib::WindowImplBase {
public:
    const wchar_t* GetWindowClassName() const override { return L"BackupFindSplash"; }
    void Notify(UiLib::TNotifyUI& msg) override;
    UiLib::CControlUI* CreateControl(const wchar_t* className) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    UiLib::CUiString GetSkinDirectory() override { return L".\\skin\\BrevlinsUI"; }
    UiLib::CUiString GetSkinFileName() override { return L".\\BackupFindSplash.xml"; }

private:
    bool hasCountDown_ = false;
};

// Covers the main window with the splash, modally, until it closes.
void ShowBackupFindSplash(HWND mainWindow);
