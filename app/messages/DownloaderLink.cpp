#include "DownloaderLink.h"

#include <process.h>

#include <memory>

#include "util/ProcessUtil.h"

namespace {

struct Delivery {
    PackageRecord record;
    std::wstring program;
    void (*afterSend)(const PackageRecord&);
};

// The running downloader's window, or the window of the one started from
// `program`, looked for up to 5 times 500 ms apart; none when it cannot start.
HWND FindOrStartDownloader(const std::wstring& program) {
    HWND window = FindDownloaderWindow();
    if (window) return window;
    if (!StartProcess(WideToNarrow(L"\"" + program + L"\""))) return nullptr;
    for (int look = 0; look < 5 && !window; ++look) {
        window = FindDownloaderWindow();
        if (!window) {
            OutputDebugStringA("PNT StartProcess FindWindow Fail");
            Sleep(500);
        }
    }
    return window;
}

unsigned __stdcall DeliveryThread(void* argument) {
    std::unique_ptr<Delivery> job(static_cast<Delivery*>(argument));
    HWND window = FindOrStartDownloader(job->program);
    if (!window) return 0;
    OutputDebugStringA("PNT StartProcess FindWindow Success");
    if (!SendPackageRecord(window, job->record)) return 0;
    if (job->afterSend) job->afterSend(job->record);
    return 1;
}

unsigned __stdcall BringUpThread(void* argument) {
    std::unique_ptr<std::wstring> program(static_cast<std::wstring*>(argument));
    const bool wasRunning = FindDownloaderWindow() != nullptr;
    HWND window = FindOrStartDownloader(*program);
    if (!window) return 0;
    // Hidden and shown again, which brings a running window up.
    if (wasRunning) ShowWindow(window, SW_HIDE);
    ShowWindow(window, SW_SHOW);
    return 1;
}

}  // namespace

HWND FindDownloaderWindow() { return FindWindowW(L"CPellarinesFrame", L"Downloader"); }

bool SendToRunningDownloader(const PackageRecord& record) {
    HWND window = FindDownloaderWindow();
    return window && SendPackageRecord(window, record);
}

HANDLE DeliverToDownloader(const PackageRecord& record, const std::wstring& program,
                           void (*afterSend)(const PackageRecord&)) {
    auto job = std::make_unique<Delivery>(Delivery{record, program, afterSend});
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &DeliveryThread, job.get(), 0, nullptr));
    if (thread) job.release();
    return thread;
}

HANDLE BringUpDownloader(const std::wstring& program) {
    auto job = std::make_unique<std::wstring>(program);
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &BringUpThread, job.get(), 0, nullptr));
    if (thread) job.release();
    return thread;
}

std::wstring DownloaderProgram() { return GetModuleFolderW() + L"\\DownModule\\Pellarine_u.exe"; }
