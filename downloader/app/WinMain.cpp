// The downloader's entry point: one instance at a time, the watch on the
// main program, libcurl, then the window and its message loop until quit.
#include "app/WatchThread.h"
#include "engine/Downloader.h"
#include "ui/DownloadersFrame.h"

#include "core/manager/UIManager.h"
#include "log/ProgramLog.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

#include <curl/curl.h>

#include <windows.h>

#include <string>

using namespace UiLib;

namespace {

std::string ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L'\\');
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    return WideToAnsi(folder);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    ScopedHandle single(CreateMutexW(nullptr, TRUE, L"{817F57FB-96C9-4df0-A429-BD55652EF225}"));
    if (!single || GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    const std::string folder = ProgramFolder();
    CDownloadersFrame frame(folder);
    programlog::Open(AnsiToWide(folder) + L"\\");
    SetEngineLogSink([](const char* line) { programlog::Line(std::string_view(line)); });
    programlog::LineOf("trivial", "-+-+-");
    const bool followMain = !frame.MarkerPresent();
    if (followMain) StartMainWindowWatch();
    curl_global_init(CURL_GLOBAL_ALL);
    CPaintManagerUI::SetInstance(instance);

    HWND parent = FindWindowW(L"UIMainFrame", L"Kovi刷机");
    if (frame.Create(parent, L"Downloader", WS_VISIBLE | WS_OVERLAPPEDWINDOW, followMain ? WS_EX_TOOLWINDOW : 0,
                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT) == nullptr)
        return 0;
    frame.CenterWindow();
    CPaintManagerUI::MessageLoop();
    return 0;
}
