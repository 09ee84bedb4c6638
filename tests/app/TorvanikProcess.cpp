#include "TorvanikProcess.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>

#include "PngWriter.h"
#include "TestPaths.h"

namespace fs = std::filesystem;

namespace apptest {

std::wstring InstallationFolder() {
    return fs::weakly_canonical(fs::path(testsupport::ProgramFolder()) / L".." / L"installation").wstring() + L"\\";
}

bool CopyInstallation(const std::wstring& target, std::initializer_list<const wchar_t*> omit) {
    std::error_code error;
    const fs::path source = InstallationFolder();
    for (auto it = fs::recursive_directory_iterator(source, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::wstring relative = fs::relative(it->path(), source, error).wstring();
        std::transform(relative.begin(), relative.end(), relative.begin(), ::towlower);
        if (std::any_of(omit.begin(), omit.end(), [&](const wchar_t* o) { return relative == o; })) {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        const fs::path to = fs::path(target) / fs::relative(it->path(), source, error);
        if (it->is_directory()) fs::create_directories(to, error);
        else fs::copy_file(it->path(), to, fs::copy_options::overwrite_existing, error);
        if (error) return false;
    }
    return !error;
}

TorvanikProcess::TorvanikProcess(const std::wstring& folder)
    : process_(L"\"" + folder + L"Torvanik.exe\"", folder) {}

HWND TorvanikProcess::WaitForFrame(DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs && Running()) {
        HWND frame = FrameOf(GetProcessId(process_.Handle()));
        if (frame && CaptionPainted(frame)) return frame;
        Sleep(50);
    }
    return nullptr;
}

int TorvanikProcess::WaitForExit(DWORD timeoutMs) const { return process_.WaitForExit(timeoutMs); }

void SaveScreenshot(const std::wstring& name, int width, int height, const std::vector<DWORD>& pixels) {
    std::vector<uint32_t> argb(pixels.size());
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = 0xFF000000u | pixels[i];
    const std::wstring folder = testsupport::ProgramFolder() + L"screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    testsupport::WritePng(folder + L"\\" + name, width, height, argb);
}

HWND FrameOf(DWORD pid) {
    HWND frame = FindWindowW(L"UIMainFrame", L"Kovi刷机");
    DWORD owner = 0;
    if (frame) GetWindowThreadProcessId(frame, &owner);
    return owner == pid && IsWindowVisible(frame) ? frame : nullptr;
}

bool CaptionPainted(HWND frame, int x, int y) {
    HDC dc = GetDC(frame);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(frame, dc);
    return color != CLR_INVALID && GetBValue(color) > GetRValue(color) + 60;
}

DownloaderWindow::DownloaderWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &DownloaderWindow::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CPellarinesFrame";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowW(L"CPellarinesFrame", L"Downloader", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                          wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

DownloaderWindow::~DownloaderWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK DownloaderWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<DownloaderWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_CLOSE && self) {
        ++self->closes_;
        return 0;
    }
    if (msg == WM_COPYDATA && self) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        self->copies_.push_back({wp, std::string(static_cast<const char*>(data->lpData), data->cbData)});
        return 1;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace apptest
