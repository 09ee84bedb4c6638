// The frame's tray icon, its two menus (the tray menu and the main menu under
// the caption's menu button), the settings dialog they open and the frame's
// shadow.
#include <winsock2.h>

#include "MainFrame.h"

#include "controls/UIMenuWnd.h"
#include "dialogs/DlgSettingPath.h"
#include "frame/WindowShadow.h"
#include "util/ProcessUtil.h"

using namespace UiLib;

namespace {

// The main menu opens 94 pixels left of and 24 pixels below its button's
// top-left corner.
constexpr int kMainMenuLeft = 94;
constexpr int kMainMenuDown = 24;

void OpenMenu(CPaintManagerUI& manager, MenuCheckStates& states, const wchar_t* skin, POINT at) {
    auto* menu = new CMenuWnd;  // deletes itself when its window goes
    menu->Init(nullptr, &states, &manager, skin, 0, at);
}

}  // namespace

void VOvoduReridOro::AttachShadow() { AttachWindowShadow(shadow_, &m_PaintManager, 5); }

bool VOvoduReridOro::OnTrayIcon(UINT uMsg, LPARAM lParam) {
    CUiTrayIcon* tray = m_PaintManager.GetTrayObject();
    // Only the icon's own callback with mouse input in lParam: other
    // messages that reach this hook carry unrelated values there.
    if (!tray->IsCreated() || uMsg != tray->GetMessage() || !CUiTrayIcon::IsTrayMouseMessage(lParam)) return false;
    if (lParam == WM_RBUTTONUP) {
        // The menu opens whether the frame is shown or hidden; the frame
        // stays as it is.
        SetForegroundWindow(m_hWnd);
        POINT at = {};
        GetCursorPos(&at);
        OpenMenu(m_PaintManager, trayMenuStates_, L"Menus\\Menu_Tray.xml", at);
    } else if (lParam == WM_LBUTTONDBLCLK) {
        if (IsWindow(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    }
    return true;
}

void VOvoduReridOro::OpenMainMenu(CControlUI* button) {
    const RECT& pos = button->GetPos();
    POINT at = {pos.left - kMainMenuLeft, pos.top + kMainMenuDown};
    ClientToScreen(m_hWnd, &at);
    OpenMenu(m_PaintManager, settingsMenuStates_, L"Menus\\menutest.xml", at);
}

void VOvoduReridOro::OpenSettings() { ShowSettingPathDialog(m_hWnd, GetModuleFolderW()); }

void VOvoduReridOro::LeaveProgram() {
    // The program leaves through the message loop, so the services stop and
    // the engine and COM shut down in order; no worker is cut off mid-call.
    CloseDownloaderWindow();
    KillPhoneServerProcess();
    trayMenuStates_.clear();
    PostQuitMessage(0);
}

void VOvoduReridOro::RemoveTrayIcon() {
    CUiTrayIcon* tray = m_PaintManager.GetTrayObject();
    if (tray->IsCreated()) tray->DeleteTrayIcon();
}
