// What the user can do with the phone's last screenshot: copy it to the
// clipboard as a bitmap, or save it under a name of their choosing.
#pragma once

#include <windows.h>

#include <string>

// The name the save dialog proposes for a screenshot taken at `time`:
// "Kovi刷机截图" followed by year, month, day, hour, minute, second.
std::wstring ScreenshotSaveName(const SYSTEMTIME& time);

// Puts the picture on the clipboard as CF_BITMAP, at its own size. False
// when the clipboard is busy or the picture cannot be read (GDI+ must be
// started by the caller).
bool CopyPictureToClipboard(HWND owner, const std::wstring& picture);

// Asks for a target with the system's save dialog and copies the picture
// there, replacing a file of that name. False when cancelled or not copied.
bool SavePictureAs(HWND owner, const std::wstring& picture);
