// One call per dialog kind: create the window (the skin gives its size),
// place it at x, y (centred on its parent when either is -1), run it modally
// on the calling thread, destroy it and return its close code.
#pragma once
#include "dialogs/BasicDialog.h"
#include "dialogs/TimerUI.h"

#include <windows.h>

UINT ShowBasicDialog(const wchar_t* skinFolder, const wchar_t* skinFile, const wchar_t* windowName, HWND parent,
                     int x, int y, const wchar_t* message);
UINT ShowMsgBox(const wchar_t* skinFolder, const wchar_t* skinFile, const wchar_t* windowName, HWND parent, int x,
                int y, const wchar_t* message);
UINT ShowBallonTip(const wchar_t* skinFolder, const wchar_t* skinFile, const wchar_t* windowName, HWND parent,
                   int x, int y, const wchar_t* message);
