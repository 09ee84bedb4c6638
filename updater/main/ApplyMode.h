// The apply mode, run by the staged copy: gathers what the install report
// needs and shows the update dialog when the offered version is newer.
#pragma once

#include <windows.h>

#include <string>

// 0 when the dialog runner ran, else the update class (0 or less).
int UpdateApplyMain(HINSTANCE instance, const std::wstring& installationFolder, const std::wstring& ownFileName);
