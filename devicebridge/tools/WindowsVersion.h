// The Windows version facts behind GetWindowsVersion and the display name
// chosen from them.
#pragma once

#include <windows.h>

#include <string>

struct WindowsVersionFacts {
    bool extended = true;  // product type and suite mask are known
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD major = 0;
    DWORD minor = 0;
    std::wstring servicePack;
    BYTE productType = VER_NT_WORKSTATION;
    WORD suiteMask = 0;
    bool windows64 = false;  // the process runs on 64-bit Windows
    bool serverR2 = false;   // system metrics
    bool mediaCenter = false;
    bool starter = false;
    bool tabletPc = false;
    DWORD kernel32Major = 0;  // file version of the system's kernel32.dll
};

// Reads this machine's facts; false when the version cannot be read at all.
bool ReadWindowsVersionFacts(WindowsVersionFacts& facts);

// The display name ("Windows 7 64-bit", "Windows XP Professional Service
// Pack 3", ...); empty for versions the table does not name.
std::wstring WindowsVersionName(const WindowsVersionFacts& facts);

// True for a 32-bit process under 64-bit Windows.
bool IsWow64Self();

// True when the process runs on 64-bit Windows, whatever its own build.
bool Is64BitWindows();
