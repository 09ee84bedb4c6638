// The main program's small state dialogs, opened by the frame on its UI
// thread as modal children of the main window.
#pragma once

#include <windows.h>

// Connecting to the phone failed: "BtnConnectRetry" asks the main window to
// connect again (0x7E8), "BtnReport" opens the feedback page.
void ShowConnectFail(HWND mainWindow);
// The phone is attached but offline: "BtnRetry" asks for a new connection.
void ShowPhoneOffline(HWND mainWindow);
