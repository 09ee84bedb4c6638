// The balloon the install button shows next to the cursor.
#pragma once

#include <windows.h>

// Modal; returns when the balloon closes. `x`, `y`: its top-left corner.
void ShowInstallTip(HWND parent, int x, int y, const wchar_t* text);
