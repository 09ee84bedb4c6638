// The plug-in's dialogs, each from its skin in "skin\BrevlinsUI".
#pragma once

#include <windows.h>

#include <string>

namespace plugindialogs {

// The main program's window and the downloader's, or null.
HWND MainWindow();
HWND DownloaderWindow();

void InfoBox(HWND parent, const std::wstring& text);
// True when the user chose to go on ("ok").
bool ConfirmUnfinishedBackup(HWND parent);
bool ConfirmUncertainRomMatch(HWND parent);
// A tip pointing at x, y (screen) that closes on its own.
void Balloon(HWND parent, int x, int y, const std::wstring& text);

}  // namespace plugindialogs
