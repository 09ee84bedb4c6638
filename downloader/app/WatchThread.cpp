#include "app/WatchThread.h"

#include <thread>

bool MainWindowPresent() { return FindWindowW(L"UIMainFrame", L"Kovi刷机") != nullptr; }

void StartMainWindowWatch(DWORD periodMs) {
    std::thread([periodMs] {
        for (;;) {
            if (!MainWindowPresent()) ExitProcess(0);
            Sleep(periodMs);
        }
    }).detach();
}
