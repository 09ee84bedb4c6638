// A small windowed program the process tests start: it writes its current
// folder into the file named by its first argument, then keeps a message
// loop running for the milliseconds its second argument gives.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc >= 2) {
        wchar_t folder[MAX_PATH] = {};
        const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
        HANDLE out = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(out, folder, length * sizeof(wchar_t), &written, nullptr);
        CloseHandle(out);
    }
    const UINT lifetime = argc >= 3 ? static_cast<UINT>(_wtoi(argv[2])) : 0;
    HWND window = CreateWindowW(L"STATIC", L"ready child", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetTimer(window, 1, lifetime, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) break;
        DispatchMessageW(&msg);
    }
    return 0;
}
