// WinINet handles (session, connection, request), freed with InternetCloseHandle.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "win32/ScopedHandle.h"

struct InternetHandleTraits {
    using Type = HINTERNET;
    static bool IsValid(HINTERNET handle) { return handle != nullptr; }
    static void Free(HINTERNET handle) { InternetCloseHandle(handle); }
};
using ScopedInternetHandle = UniqueHandle<InternetHandleTraits>;
