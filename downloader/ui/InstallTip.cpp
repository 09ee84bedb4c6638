#include "ui/InstallTip.h"

void ShowInstallTip(HWND, int, int, const wchar_t*) {}
