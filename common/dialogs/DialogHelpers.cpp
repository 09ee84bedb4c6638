#include "dialogs/DialogHelpers.h"

namespace {

// WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU
constexpr DWORD kDialogStyle = 0x96C80000;
// WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW
constexpr DWORD kDialogExStyle = 0x81;

UINT RunDialog(CBasicDialog& dialog, const wchar_t* windowName, HWND parent, int x, int y) {
    if (!dialog.Create(parent, windowName, kDialogStyle, kDialogExStyle, 0, 0, -1, -1)) return 0;
    if (x == -1 || y == -1) {
        dialog.CenterWindow();
    } else {
        RECT client = {};
        ::GetClientRect(dialog.GetHWND(), &client);
        ::MoveWindow(dialog.GetHWND(), x, y, client.right - client.left, client.bottom - client.top, TRUE);
    }
    UINT result = dialog.ShowModal();
    if (::IsWindow(dialog.GetHWND())) ::DestroyWindow(dialog.GetHWND());
    return result;
}

}  // namespace

UINT ShowBasicDialog(const wchar_t* skinFolder, const wchar_t* skinFile, const wchar_t* windowName, HWND parent,
                     int x, int y, const wchar_t* message) {
    CBasicDialog dialog(skinFolder, skinFile, L"CBasicDialog", message);
    return RunDialog(dialog, windowName, parent, x, y);
}

UINT ShowMsgBox(const wchar_t* skinFolder, const wchar_t* skinFile, const wchar_t* windowName, HWND parent, int x,
                int y, const wchar_t* message) {
    CMsgBox dialog(skinFolder, skinFile, L"CMsgBox", message);
    return RunDialog(dialog, windowName, parent, x, y);
}

UINT ShowBallonTip(const wchar_t* skinFolder, const wchar_t* skinFile, const wchar_t* windowName, HWND parent,
                   int x, int y, const wchar_t* message) {
    CBallonTip dialog(skinFolder, skinFile, L"CBallonTip", message);
    return RunDialog(dialog, windowName, parent, x, y);
}
