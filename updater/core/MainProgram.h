// The updater's dealings with the running main program: finding its window,
// closing it before files are replaced and starting it again afterwards.
#pragma once

#include <windows.h>

#include <string>

#include "core/Flavour.h"

// The main window by class and the flavour's first title, then its second.
HWND FindMainWindow(const ProductFlavour& flavour);
// Only the first title: the window the check mode's watchdog looks for.
HWND FindMainWindowFirstTitle(const ProductFlavour& flavour);

// Posts WM_QUIT to each main window found, waits 300 ms, then terminates
// (exit code 0) every process whose image is the main program's.
void CloseMainProgram(const ProductFlavour& flavour);

// Terminates every process whose module base name is `image` (ignoring
// case); returns how many.
int TerminateProcessesByImage(const std::wstring& image);

// Starts "<installation>\<main image>"; false when it could not be started.
bool RestartMainProgram(const std::wstring& installationFolder, const ProductFlavour& flavour);
