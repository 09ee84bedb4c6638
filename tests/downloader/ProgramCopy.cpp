#include "ProgramCopy.h"

#include "MainWindowStandIn.h"
#include "UiHarness.h"
#include "TestPaths.h"
#include "win32/ProcessLauncher.h"

#include <cstdio>
#include <filesystem>

namespace downloadertest {

bool CopyDownloaderProgram(const std::wstring& folder) {
    namespace fs = std::filesystem;
    const std::wstring from = testsupport::ProgramFolder();
    std::error_code error;
    fs::create_directories(fs::path(folder + L"skins"), error);
    for (const wchar_t* file : {L"Pellarine_u.exe", L"UiLib_u.dll"})
        if (!CopyFileW((from + file).c_str(), (folder + file).c_str(), FALSE)) return false;
    fs::copy(fs::path(from + L"skins\\Pellarine"), fs::path(folder + L"skins\\Pellarine"),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    if (error) std::fprintf(stderr, "copying the skin: %s\n", error.message().c_str());
    return !error;
}

ScopedHandle StartDownloader(const std::wstring& folder) {
    ProcessLaunch launch;
    const std::wstring program = folder + L"Pellarine_u.exe";
    launch.application = program.c_str();
    launch.commandLine = L"\"" + program + L"\"";
    return LaunchProcess(launch);
}

HWND WaitForDownloaderWindow(const ScopedHandle& process, DWORD timeoutMs) {
    const DWORD pid = GetProcessId(process.Get());
    HWND found = nullptr;
    const auto ofProcess = [&] {
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"CPellarinesFrame", L"Downloader"));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == pid) return found = window, true;
        }
        return false;
    };
    if (pid != 0) uiharness::PumpUntil(ofProcess, timeoutMs);
    return found;
}

}  // namespace downloadertest
