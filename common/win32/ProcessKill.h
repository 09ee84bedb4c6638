// Ends processes by the base name of their image.
#pragma once

#include <windows.h>

// Terminates, with `exitCode`, every process whose image base name equals
// `imageName` (case ignored). Returns how many were ended.
int KillProcessesByImageName(const wchar_t* imageName, UINT exitCode);
