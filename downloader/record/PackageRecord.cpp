#include "record/PackageRecord.h"

#include "win32/TextConvert.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <size_t N>
void Terminate(char (&field)[N]) {
    field[N - 1] = '\0';
}

template <size_t N>
void ClearAfterText(char (&field)[N]) {
    const size_t length = strnlen(field, N);
    if (length < N) std::memset(field + length, 0, N - length);
}

template <size_t N>
void CopyField(char (&to)[N], const char (&from)[N]) {
    CopyToFixedBuffer(std::string_view(from, BoundedLength(from, N)), to, N);
}

}  // namespace

bool ReceivePackageRecord(const COPYDATASTRUCT* data, PackageRecord& out) {
    std::memset(&out, 0, sizeof out);
    if (data == nullptr || data->lpData == nullptr || data->cbData == 0) return false;
    const size_t length = data->cbData < sizeof out ? data->cbData : sizeof out;
    std::memcpy(&out, data->lpData, length);
    Terminate(out.Id);
    Terminate(out.Name);
    Terminate(out.ObjectUrl);
    Terminate(out.PngUrl);
    Terminate(out.Size);
    Terminate(out.Type);
    Terminate(out.Hash);
    Terminate(out.PromptMsg);
    Terminate(out.Err);
    // Type texts are at most three characters; a longer one is cut before
    // byte 1056 so the install mark can only ever be set by the downloader.
    out.Type[kPackageInstallMarkerOffset - offsetof(PackageRecord, Type)] = '\0';
    ClearAfterText(out.Type);
    return true;
}

int ParseStatusText(const char* text, size_t capacity, int fallback) {
    const std::string value(text, BoundedLength(text, capacity));
    if (value.empty()) return fallback;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(value.c_str(), &end, 10);
    if (errno != 0 || end == value.c_str() || *end != '\0' || parsed < -1000000 || parsed > 1000000) return fallback;
    return static_cast<int>(parsed);
}

int InitialTaskStatus(const PackageRecord& record) {
    const int status = ParseStatusText(record.Err, sizeof record.Err, kStatusWaiting);
    switch (status) {
        case kStatusWaiting:
        case kStatusPaused:
        case kStatusDeleted:
        case kStatusDone:
        case kStatusFailed:
            return status;
        default:
            return kStatusWaiting;
    }
}

void SetStatusText(PackageRecord& record, int status) {
    std::memset(record.Err, 0, sizeof record.Err);
    CopyToFixedBuffer(std::to_string(status), record.Err, sizeof record.Err);
}

PackageRecord MakeInstallRequest(const PackageRecord& done) {
    PackageRecord request;
    std::memset(&request, 0, sizeof request);
    CopyField(request.Type, done.Type);
    // The Type texts are at most three characters; a longer one would run
    // into the mark, so it is cut to keep the mark readable.
    std::memset(request.Type + 4, 0, sizeof request.Type - 4);
    request.Type[3] = '\0';
    reinterpret_cast<char*>(&request)[kPackageInstallMarkerOffset] = kPackageInstallMarker;
    CopyField(request.ObjectUrl, done.ObjectUrl);
    CopyField(request.Size, done.Size);
    return request;
}

bool HasInstallMarker(const PackageRecord& record) {
    return reinterpret_cast<const char*>(&record)[kPackageInstallMarkerOffset] == kPackageInstallMarker;
}

bool SendPackageRecord(HWND target, const PackageRecord& record, UINT timeoutMs) {
    if (target == nullptr || !IsWindow(target)) return false;
    COPYDATASTRUCT data = {};
    data.cbData = sizeof record;
    data.lpData = const_cast<PackageRecord*>(&record);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result) != 0;
}

std::string ReceiveDownloadFolder(const COPYDATASTRUCT* data) {
    if (data == nullptr || data->lpData == nullptr || data->cbData < sizeof(wchar_t)) return {};
    const auto* text = static_cast<const wchar_t*>(data->lpData);
    const std::wstring wide(text, BoundedLength(text, data->cbData / sizeof(wchar_t)));
    char folder[260] = {};
    CopyToFixedBuffer(WideToAnsi(wide), folder, sizeof folder);
    return folder;
}
