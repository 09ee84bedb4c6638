#include "core/manager/UITrayIcon.h"

#include "core/manager/UIManager.h"
#include "core/manager/UITimer.h"

#include <cwchar>

namespace UiLib {

namespace {

ShellNotifyIconProc& ShellCall() {
    static ShellNotifyIconProc proc = &::Shell_NotifyIconW;
    return proc;
}

BOOL Shell(DWORD message, NOTIFYICONDATAW& data) { return ShellCall()(message, &data); }

}  // namespace

CUiTrayIcon::CUiTrayIcon() {
    ::ZeroMemory(&m_trayData, sizeof(m_trayData));
    m_trayData.cbSize = sizeof(m_trayData);
}

CUiTrayIcon::~CUiTrayIcon() {
    if (m_pFlashTimer) StopFlashing();
}

ShellNotifyIconProc CUiTrayIcon::SetShellNotifyIcon(ShellNotifyIconProc proc) {
    ShellNotifyIconProc previous = ShellCall();
    ShellCall() = proc ? proc : &::Shell_NotifyIconW;
    return previous;
}

void CUiTrayIcon::CreateTrayIcon(HWND hWnd, UINT uIconIDResource) {
    if (!hWnd || uIconIDResource == 0) return;
    m_hIcon = ::LoadIconW(CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(uIconIDResource));
    // The record's size is the structure's own, whatever the headers make it.
    m_trayData.cbSize = sizeof(m_trayData);
    m_trayData.hWnd = hWnd;
    m_trayData.uID = uIconIDResource;
    m_trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_trayData.uCallbackMessage = m_uMessage;
    m_trayData.hIcon = m_hIcon;
    Shell(NIM_ADD, m_trayData);
    m_bEnabled = true;
}

bool CUiTrayIcon::SetTooltipText(const wchar_t* text) {
    const size_t capacity = sizeof(m_trayData.szTip) / sizeof(m_trayData.szTip[0]);
    if (text) {
        std::wcsncpy(m_trayData.szTip, text, capacity - 1);
        m_trayData.szTip[capacity - 1] = L'\0';
    } else {
        m_trayData.szTip[0] = L'\0';
    }
    if (!m_bEnabled) return false;
    m_trayData.uFlags = NIF_TIP;
    return Shell(NIM_MODIFY, m_trayData) != FALSE;
}

void CUiTrayIcon::StopFlashing() {
    if (m_pFlashTimer) {
        m_pFlashTimer->Stop();
        delete m_pFlashTimer;
        m_pFlashTimer = nullptr;
    }
    m_bFlashing = false;
    if (m_bSwapped) {
        if (m_bEnabled) {
            m_trayData.uFlags = NIF_ICON;
            m_trayData.hIcon = m_hIcon;
            Shell(NIM_MODIFY, m_trayData);
        }
        m_bSwapped = false;
    }
}

void CUiTrayIcon::DeleteTrayIcon() {
    if (m_pFlashTimer) StopFlashing();
    Shell(NIM_DELETE, m_trayData);
    m_bEnabled = false;
    m_bSwapped = false;
    m_bFlashing = false;
    m_uMessage = kDefaultMessage;
}

bool CUiTrayIcon::IsTrayMouseMessage(LPARAM lParam) {
    const UINT message = static_cast<UINT>(lParam);
    return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
}

}  // namespace UiLib
