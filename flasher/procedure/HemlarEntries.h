// The device bridge's entry points the plug-in calls, bound at run time from
// Hemlar.dll beside the program. A missing library or export leaves its
// entry empty; callers refuse the step instead of calling through it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

struct HemlarEntries {
    using InstallAndroidAppFn = int(__cdecl*)(const char* apkPath);
    using AdbPushFileFn = int(__cdecl*)(const wchar_t* commandLine);
    using IsConnectPhoneFn = int(__cdecl*)();
    using IsPhoneRootFn = int(__cdecl*)();
    using IsRomMatchPhoneFn = int(__cdecl*)(int phoneTypeId, const wchar_t* romPath);

    InstallAndroidAppFn installAndroidApp = nullptr;
    AdbPushFileFn adbPushFile = nullptr;
    IsConnectPhoneFn isConnectPhone = nullptr;
    IsPhoneRootFn isPhoneRoot = nullptr;
    IsRomMatchPhoneFn isRomMatchPhone = nullptr;

    // Loads "<folder>\Hemlar.dll" (folder with a trailing backslash). The
    // library stays loaded for the life of the process.
    static std::shared_ptr<const HemlarEntries> Load(const std::wstring& folder);
};
