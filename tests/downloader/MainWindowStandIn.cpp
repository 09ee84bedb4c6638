#include "MainWindowStandIn.h"

#include "win32/TextConvert.h"

#include <cstring>

namespace downloadertest {

namespace {
const wchar_t kClass[] = L"UIMainFrame";
}

MainWindowStandIn::MainWindowStandIn() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &MainWindowStandIn::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    hwnd_ = CreateWindowW(kClass, L"Kovi刷机", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MainWindowStandIn::~MainWindowStandIn() { Destroy(); }

void MainWindowStandIn::Destroy() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

LRESULT CALLBACK MainWindowStandIn::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<MainWindowStandIn*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_COPYDATA && self != nullptr) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        PackageRecord record;
        std::memset(&record, 0, sizeof record);
        if (data != nullptr && data->lpData != nullptr)
            std::memcpy(&record, data->lpData, data->cbData < sizeof record ? data->cbData : sizeof record);
        self->records.push_back(record);
        return TRUE;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

const PackageRecord* MainWindowStandIn::Report(const std::string& name, const char* err) const {
    for (const PackageRecord& record : records)
        if (Ansi(name.c_str()) == record.Name && std::string(err) == record.Err) return &record;
    return nullptr;
}

int MainWindowStandIn::ReportCount(const std::string& name, const char* err) const {
    int count = 0;
    for (const PackageRecord& record : records)
        count += Ansi(name.c_str()) == record.Name && std::string(err) == record.Err;
    return count;
}

std::string Ansi(const char* utf8) { return WideToAnsi(Utf8ToWide(utf8)); }

bool SendRecord(HWND downloader, const PackageRecord& record, WPARAM wParam) {
    COPYDATASTRUCT data = {};
    data.cbData = sizeof record;
    data.lpData = const_cast<PackageRecord*>(&record);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(downloader, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000,
                               &result) != 0;
}

PackageRecord MakeRecord(const char* id, const char* name, const std::string& url, const char* type,
                         const char* err, const std::string& md5) {
    PackageRecord record;
    std::memset(&record, 0, sizeof record);
    CopyToFixedBuffer(id, record.Id, sizeof record.Id);
    CopyToFixedBuffer(Ansi(name), record.Name, sizeof record.Name);
    CopyToFixedBuffer(url, record.ObjectUrl, sizeof record.ObjectUrl);
    CopyToFixedBuffer(type, record.Type, sizeof record.Type);
    CopyToFixedBuffer(err, record.Err, sizeof record.Err);
    CopyToFixedBuffer(md5, record.Hash, sizeof record.Hash);
    CopyToFixedBuffer("1048576", record.Size, sizeof record.Size);
    return record;
}

}  // namespace downloadertest
