// CUiTrayIcon: one icon of a window in the notification area, with its
// tooltip and an optional flashing icon. Every call to the shell goes through
// one replaceable function, so the records it is given can be checked.
#pragma once
#include "core/base/UiLibApi.h"

#include <windows.h>
#include <shellapi.h>

namespace UiLib {

class IUiTimer;

typedef BOOL(WINAPI* ShellNotifyIconProc)(DWORD message, PNOTIFYICONDATAW data);

class UILIB_API CUiTrayIcon {
public:
    // The callback message the icon reports mouse input with.
    static const UINT kDefaultMessage = 0x1C;

    CUiTrayIcon();
    CUiTrayIcon(const CUiTrayIcon&) = delete;
    CUiTrayIcon& operator=(const CUiTrayIcon&) = delete;
    ~CUiTrayIcon();

    // Routes every shell call through `proc` (null restores Shell_NotifyIconW); returns the previous one.
    static ShellNotifyIconProc SetShellNotifyIcon(ShellNotifyIconProc proc);

    void CreateTrayIcon(HWND hWnd, UINT uIconIDResource);
    bool SetTooltipText(const wchar_t* text);
    void StopFlashing();
    void DeleteTrayIcon();

    // True when a callback message carries mouse input from the icon (a
    // mouse message in lParam); the window's handler reacts only then.
    static bool IsTrayMouseMessage(LPARAM lParam);

    bool IsCreated() const { return m_bEnabled; }
    bool IsFlashing() const { return m_bFlashing; }
    UINT GetMessage() const { return m_uMessage; }
    const NOTIFYICONDATAW& GetNotifyData() const { return m_trayData; }

private:
    bool m_bEnabled = false;
    bool m_bSwapped = false;
    bool m_bFlashing = false;
    UINT m_uMessage = kDefaultMessage;
    HICON m_hIcon = nullptr;
    IUiTimer* m_pFlashTimer = nullptr;
    NOTIFYICONDATAW m_trayData;
};

}  // namespace UiLib
