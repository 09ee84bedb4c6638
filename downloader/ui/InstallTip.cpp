#include "ui/InstallTip.h"

#include "dialogs/DialogHelpers.h"

void ShowInstallTip(HWND parent, int x, int y, const wchar_t* text) {
    // No skin folder of its own: the balloon's skin lies beside the window's.
    ShowBallonTip(L"", L"BallonTip.xml", L"", parent, x, y, text);
}
