// Hemlar.dll's load and unload hook: the adb client's handle table lock lives
// exactly as long as the library, so every export may use the client from its
// first call on, on any thread.
#include <windows.h>

#include "adb/sysdeps_win32.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) AdbInitHandleTable();
    if (reason == DLL_PROCESS_DETACH) AdbFreeHandleTable();
    return TRUE;
}
