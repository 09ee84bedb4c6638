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

unsigned __stdcall DeliveryThread(void* argument) {
    std::unique_ptr<Delivery> job(static_cast<Delivery*>(argument));
    HWND window = FindDownloaderWindow();
    if (!window) {
        if (!StartProcess(WideToNarrow(L"\"" + job->program + L"\""))) return 0;
        for (int look = 0; look < 5 && !window; ++look) {
            window = FindDownloaderWindow();
            if (!window) {
                OutputDebugStringA("PNT StartProcess FindWindow Fail");
                Sleep(500);
            }
        }
    }
    if (!window) return 0;
    OutputDebugStringA("PNT StartProcess FindWindow Success");
    if (!SendPackageRecord(window, job->record)) return 0;
    if (job->afterSend) job->afterSend(job->record);
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

std::wstring DownloaderProgram() { return GetModuleFolderW() + L"\\DownModule\\Pellarine_u.exe"; }
