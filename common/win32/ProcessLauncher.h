// The one way the suite starts a child process with redirected standard
// handles. Handle inheritance is process-wide: while one child is created
// with inheritance on, every inheritable handle of the process goes with it.
// So the launcher makes the child's own standard handles inheritable only
// for the moment of its creation, under one lock every launch takes; a pipe
// end meant for one child never reaches another started at the same time.
#pragma once

#include <windows.h>

#include <string>

#include "win32/ScopedHandle.h"

struct ProcessLaunch {
    // The program to run; null lets the first token of the command line name it.
    const wchar_t* application = nullptr;
    std::wstring commandLine;
    // The child's standard handles; a null one gives the child none.
    HANDLE input = nullptr;
    HANDLE output = nullptr;
    HANDLE error = nullptr;
    DWORD creationFlags = 0;
    bool hideWindow = false;
};

// Starts the process and returns its handle (the thread handle is closed);
// an empty handle when it could not be started, with GetLastError() set.
ScopedHandle LaunchProcess(const ProcessLaunch& launch);

// The longest command line CreateProcess accepts, without its NUL.
constexpr size_t kMaxProcessCommandLine = 32766;
