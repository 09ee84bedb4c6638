// Ends the downloader when the main program's window is gone: the
// downloader serves only the main program and must not outlive it.
#pragma once

#include <windows.h>

// Starts the detached watch thread: every `periodMs` it looks for the main
// window and calls ExitProcess(0) when it finds none.
void StartMainWindowWatch(DWORD periodMs = 200);

// One look: true while the main window ("UIMainFrame", "Kovi刷机") exists.
bool MainWindowPresent();
