// The workers around the phone link: keeping the companion app current and
// started, the delayed phone-data query and the app's service check. Each
// runs once on its own thread and reports to the frame by posted messages.
#pragma once

#include <windows.h>

#include <string>

class DeviceBridge;

constexpr wchar_t kCompanionPackage[] = L"com.vandrell.mrtq";
constexpr wchar_t kCompanionActivity[] = L"com.vandrell.mrtq.StartActivity_";

struct HelperAppJob {
    HWND frame = nullptr;
    HMODULE hemlar = nullptr;
    std::wstring programFolder;  // no trailing backslash
    DWORD retryPauseMs = 500;    // between failed starts
    DWORD installPauseMs = 3000; // after a reinstall
};

// The phone's copy of the app is exported and compared with the shipped
// gov.apk; an older copy is reinstalled. Then the app's start activity is
// started, up to five times: WM_APP_START_PHONE_LINK when it runs, the
// "app would not start" message after five failures. Returns 1.
int RunHelperApk(const HelperAppJob& job);
HANDLE StartHelperApkThread(const HelperAppJob& job);

// Waits a second for the link, then asks the frame to query the phone's data.
HANDLE StartQueryDataThread(HWND frame);
