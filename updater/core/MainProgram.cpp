#include "core/MainProgram.h"

#include <psapi.h>
#include <shellapi.h>

#include <vector>

#include "core/UpdateCheck.h"
#include "win32/ProcessLauncher.h"
#include "win32/ScopedHandle.h"

HWND FindMainWindowFirstTitle(const ProductFlavour& flavour) {
    if (flavour.mainWindowTitles.empty()) return nullptr;
    return FindWindowW(flavour.mainWindowClass.c_str(), flavour.mainWindowTitles[0].c_str());
}

HWND FindMainWindow(const ProductFlavour& flavour) {
    for (const std::wstring& title : flavour.mainWindowTitles)
        if (HWND window = FindWindowW(flavour.mainWindowClass.c_str(), title.c_str())) return window;
    return nullptr;
}

int TerminateProcessesByImage(const std::wstring& image) {
    std::vector<DWORD> ids(1024);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return 0;
    ids.resize(bytes / sizeof(DWORD));
    int terminated = 0;
    for (DWORD id : ids) {
        if (id == 0 || id == GetCurrentProcessId()) continue;
        ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, id));
        if (!process) continue;
        wchar_t name[MAX_PATH] = {};
        if (!GetModuleBaseNameW(process.Get(), nullptr, name, MAX_PATH)) continue;
        if (CompareStringOrdinal(name, -1, image.c_str(), -1, TRUE) != CSTR_EQUAL) continue;
        if (TerminateProcess(process.Get(), 0)) ++terminated;
    }
    return terminated;
}

void CloseMainProgram(const ProductFlavour& flavour) {
    for (const std::wstring& title : flavour.mainWindowTitles) {
        HWND window = FindWindowW(flavour.mainWindowClass.c_str(), title.c_str());
        if (!window) continue;
        PostMessageW(window, WM_QUIT, 0, 0);
    }
    Sleep(300);
    TerminateProcessesByImage(flavour.mainImage);
}

bool RestartMainProgram(const std::wstring& installationFolder, const ProductFlavour& flavour) {
    const std::wstring program = installationFolder + flavour.mainImage;
    ProcessLaunch launch;
    launch.application = program.c_str();
    launch.commandLine = L"\"" + program + L"\"";
    if (LaunchProcess(launch)) return true;
    UpdaterTrace(program + L" " + launch.commandLine + L" err = " + std::to_wstring(GetLastError()));
    // The shell may still start what CreateProcess would not.
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, program.c_str(), nullptr, nullptr,
                                                   SW_SHOWNORMAL)) > 32;
}
