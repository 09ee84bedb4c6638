// A stand-in for the main program in the updater's tests, copied into a test
// installation as Torvanik.exe. It shows the main window (class
// "UIMainFrame", title "Kovi刷机") and appends to "mainprogram.log" beside
// itself: "start <pid>" when it starts, "second <pid>" when another instance
// already runs (it then ends), and "quit <pid>" when it is asked to quit. It
// does not quit then: like a busy program it has to be killed. Left alone it
// ends after two minutes with exit code 3. Like the main program it loads the
// suite's libraries that lie beside it (Hemlar.dll, Brevlin.dll, wke.dll), so
// they are in use while it runs.
#include <windows.h>

#include <string>

namespace {

std::wstring LogPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"mainprogram.log";
}

void Record(const char* what) {
    const std::string line = std::string(what) + " " + std::to_string(GetCurrentProcessId()) + "\r\n";
    HANDLE log = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
}

constexpr UINT_PTR kGiveUpTimer = 1;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kGiveUpTimer) ExitProcess(3);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    HANDLE single = CreateMutexW(nullptr, TRUE, L"TorvanikStandInMainProgram");
    if (single && GetLastError() == ERROR_ALREADY_EXISTS) {
        Record("second");
        return 0;
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"UIMainFrame";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"UIMainFrame", L"Kovi\x5237\x673A", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 2;
    SetTimer(window, kGiveUpTimer, 120000, nullptr);
    const std::wstring folder = LogPath().substr(0, LogPath().find_last_of(L'\\') + 1);
    for (const wchar_t* library : {L"Hemlar.dll", L"Brevlin.dll", L"wke.dll"})
        if (GetFileAttributesW((folder + library).c_str()) != INVALID_FILE_ATTRIBUTES)
            LoadLibraryW((folder + library).c_str());
    Record("start");
    MSG msg;
    for (;;) {
        const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
        if (result == -1) return 2;
        if (result == 0) {
            Record("quit");
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
