// Messages the download list posts to its own window so that every change
// of a row happens on the UI thread.
#pragma once

#include <windows.h>

// wParam: the ListedTask whose row should show its task's current state.
constexpr UINT kRefreshTaskMessage = WM_APP + 0x141;
// wParam: the ListedTask, lParam: the CIconsTask whose picture arrived.
constexpr UINT kIconDoneMessage = WM_APP + 0x142;
