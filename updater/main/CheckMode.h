// The check mode: is there a newer version? Then fetch its package, stage
// the new updater and start it in the apply mode.
#pragma once

#include <windows.h>

#include <string>

// 1 when another check is already running, else 0.
int UpdateCheckAndFetch(HINSTANCE instance, const std::wstring& installationFolder, const std::wstring& ownFileName);
