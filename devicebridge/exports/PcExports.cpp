// CheckAndKillKoviAdb, GetHDiskMac, GetWindowsVersion, IsWindows64, LaunchApp:
// facts about the PC and its processes.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "base/BridgeUtil.h"
#include "exports/Hemlar.h"
#include "tools/ToolOutputParsers.h"
#include "tools/ToolRunner.h"
#include "tools/WindowsVersion.h"

HEMLAR_EXPORT int HEMLAR_CALL CheckAndKillKoviAdb() {
    std::string listing = RunToolCommand(L"netstat -aon|findstr \"5037\"");
    for (unsigned long id : ProcessesOnLocalPort(listing, "5037")) {
        if (id == GetCurrentProcessId()) continue;  // never the calling program itself
        RunToolCommand(L"taskkill /f /pid \"" + std::to_wstring(id) + L"\"");
    }
    return 1;
}

HEMLAR_EXPORT int HEMLAR_CALL GetHDiskMac(char* out) {
    wchar_t system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    std::string address;
    if (FirstAdapterAddress(RunToolCommand(ToolLineInFolder(system, L"getmac")), address) && out)
        CopyToCallerBuffer(address, out, address.size() + 1);
    return 1;
}

HEMLAR_EXPORT int HEMLAR_CALL GetWindowsVersion(wchar_t* out) {
    WindowsVersionFacts facts;
    if (!ReadWindowsVersionFacts(facts)) return 0;
    wchar_t line[512] = {};
    swprintf(line, 512, L"GetWindowsVersion: OS.dwPlatformId_%d OS.dwMinorVersion:%d OS.dwMajorVersion:%d OS.szCSDVersion: %ls",
             static_cast<int>(facts.platformId), static_cast<int>(facts.minor), static_cast<int>(facts.major),
             facts.servicePack.c_str());
    DebugLine(std::wstring(line));
    std::wstring name = WindowsVersionName(facts);
    DebugLine(name);
    // Callers size the buffer for 260 bytes at the least.
    constexpr size_t kNameChars = 260 / sizeof(wchar_t);
    if (out) {
        std::memset(out, 0, kNameChars * sizeof(wchar_t));
        CopyToCallerBuffer(name, out, kNameChars);
    }
    return 1;
}

HEMLAR_EXPORT int HEMLAR_CALL IsWindows64() {
    return IsWow64Self() ? 1 : 0;
}

HEMLAR_EXPORT int HEMLAR_CALL LaunchApp(const char* commandLine) {
    if (!commandLine || !*commandLine) return 1;
    std::string line = commandLine;  // CreateProcessA may write into it
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
