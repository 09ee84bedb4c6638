// The main program's start: one instance per session, the private font, the
// skin location, COM and the web engine, the frame and the message loop.
#pragma once

#include <windows.h>

constexpr wchar_t kInstanceMutexName[] = L"PNTQV2015TORVANIK";
constexpr wchar_t kMainFrameClass[] = L"UIMainFrame";
constexpr wchar_t kMainFrameTitle[] = L"Kovi刷机";

// Runs the program; returns its exit code (1 for a second instance).
int RunTorvanik(HINSTANCE instance);
