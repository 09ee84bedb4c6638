#include "WindowShadow.h"

#include <windows.h>

#include <cwchar>

#include "core/manager/UIShadow.h"

void AttachWindowShadow(UiLib::CShadowUI& shadow, UiLib::CPaintManagerUI* manager, int size) {
    wchar_t setting[8] = {};
    if (GetEnvironmentVariableW(L"TORVANIK_WINDOW_SHADOW", setting, 8) > 0 && _wcsicmp(setting, L"off") == 0) return;
    shadow.ShowShadow(true);
    shadow.Create(manager);
    shadow.SetSize(size);
    shadow.SetPosition(0, 0);
    shadow.SetColor(0x666666);
    shadow.SetDarkness(150);
    shadow.SetSharpness(5);
}
