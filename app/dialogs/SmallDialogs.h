// The main program's small state dialogs, opened by the frame on its UI
// thread as children of the main window. Each shows one state and offers one
// or two actions; the modal ones return their close code.
#pragma once

#include <windows.h>

#include <string>

// Connecting to the phone failed: "BtnConnectRetry" asks the main window to
// connect again (0x7E8), "BtnReport" opens the feedback page.
void ShowConnectFail(HWND mainWindow);
// The phone is attached but offline: "BtnRetry" asks for a new connection.
void ShowPhoneOffline(HWND mainWindow);

// The model application for `model` was received. Close codes: 1 closed,
// 2 "btnRom" (ROM recommendations), 3 "btnMust" (app centre), 4 "btnUrl".
UINT ShowApplyPhoneRom(HWND mainWindow, const std::wstring& model);

// The installed version ("版本号: V..." from autoupdate\curjson).
void ShowBrushVersion(HWND mainWindow);

// The network probe found no network. "BtnRetry" probes again and closes
// the dialog with 1 once the probe host answers; otherwise it stays.
UINT ShowNetConnectErr(HWND mainWindow);

// The phone waits for the user to authorise the companion app. Modeless:
// while one such dialog is open, it is brought up again instead of a second
// one; it frees itself when closed.
void ShowAuthorizeDlg(HWND mainWindow);
