// Stands in for the downloader program Pellarine_u.exe in the main program's
// tests: a window of class "CPellarinesFrame" titled "Downloader" that
// appends each package record it receives by copy-data to the file named by
// TORVANIK_DOWNLOADER_LOG, one UTF-8 line each:
//   <Id>|<Name>|<ObjectUrl>|<PngUrl>|<Size>|<Type>|<Hash>|<PromptMsg>|<Err>|<byte 1056 as a number>
// It ends on WM_CLOSE.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

#include "record/PackageRecord.h"
#include "win32/TextConvert.h"

namespace {

template <size_t N>
std::string Field(const char (&text)[N]) {
    return WideToUtf8(AnsiToWide(std::string(text, BoundedLength(text, N))));
}

void Record(const COPYDATASTRUCT* data) {
    if (!data || !data->lpData || data->cbData < sizeof(PackageRecord)) return;
    PackageRecord r;
    std::memcpy(&r, data->lpData, sizeof r);
    const std::string line = Field(r.Id) + "|" + Field(r.Name) + "|" + Field(r.ObjectUrl) + "|" + Field(r.PngUrl) +
                             "|" + Field(r.Size) + "|" + Field(r.Type) + "|" + Field(r.Hash) + "|" +
                             Field(r.PromptMsg) + "|" + Field(r.Err) + "|" +
                             std::to_string(reinterpret_cast<const unsigned char*>(&r)[kPackageInstallMarkerOffset]) +
                             "\n";
    wchar_t path[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TORVANIK_DOWNLOADER_LOG", path, MAX_PATH))
        std::ofstream(path, std::ios::binary | std::ios::app) << line;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        Record(reinterpret_cast<const COPYDATASTRUCT*>(lp));
        return 1;
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"CPellarinesFrame";
    RegisterClassW(&wc);
    if (!CreateWindowW(L"CPellarinesFrame", L"Downloader", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, instance,
                       nullptr))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
