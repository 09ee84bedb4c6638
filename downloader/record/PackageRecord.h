// The download job record exchanged by WM_COPYDATA between the main program
// and the downloader, and stored field by field in the download database.
// It is a wire format: every size and offset below is fixed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#pragma pack(push, 1)
struct PackageRecord {
    char Id[12];
    char Name[260];
    char ObjectUrl[260];  // download URL; the local file path once done
    char PngUrl[260];     // icon URL; the local icon path once fetched
    char Size[260];       // bytes as decimal text; "%4.2lfM" once done
    char Type[260];       // 0 ROM, 1 app, 2 game, negative: recovery package
    char Hash[260];
    char PromptMsg[260];
    char Err[260];        // download status as decimal text
};
#pragma pack(pop)

static_assert(sizeof(PackageRecord) == 2092, "PackageRecord is a 2092-byte wire record");
static_assert(offsetof(PackageRecord, Id) == 0, "Id offset");
static_assert(offsetof(PackageRecord, Name) == 12, "Name offset");
static_assert(offsetof(PackageRecord, ObjectUrl) == 272, "ObjectUrl offset");
static_assert(offsetof(PackageRecord, PngUrl) == 532, "PngUrl offset");
static_assert(offsetof(PackageRecord, Size) == 792, "Size offset");
static_assert(offsetof(PackageRecord, Type) == 1052, "Type offset");
static_assert(offsetof(PackageRecord, Hash) == 1312, "Hash offset");
static_assert(offsetof(PackageRecord, PromptMsg) == 1572, "PromptMsg offset");
static_assert(offsetof(PackageRecord, Err) == 1832, "Err offset");

// Byte 1056, the fifth byte of Type: 'r' asks the main program to install.
constexpr size_t kPackageInstallMarkerOffset = 1056;
constexpr char kPackageInstallMarker = 'r';
static_assert(kPackageInstallMarkerOffset == offsetof(PackageRecord, Type) + 4, "install mark inside Type");

// wParam of the copy-data message that carries a new download folder.
constexpr WPARAM kDownloadDirMessage = 2;

// Task status codes, carried as decimal text in Err.
enum PackageStatus : int {
    kStatusWaiting = -1,
    kStatusDownloading = 0,
    kStatusPaused = 1,
    kStatusDeleted = 2,
    kStatusDone = 3,
    kStatusFailed = 4,
    kStatusRestartable = 5,
};

// Copies a received copy-data block into a zero-filled record: at most
// cbData bytes, every field forced to end in a NUL, Type cut to at most four
// characters and every byte after its terminator cleared, so an install mark
// can never arrive from outside. False when there is no data at all.
bool ReceivePackageRecord(const COPYDATASTRUCT* data, PackageRecord& out);

// The status a newly received record's task starts in: -1, 1, 2, 3 and 4
// stand; 0, non-numbers and anything else mean waiting (-1).
int InitialTaskStatus(const PackageRecord& record);

// The decimal value of Err, or `fallback` when it is not a whole number.
int ParseStatusText(const char* text, size_t capacity, int fallback);
void SetStatusText(PackageRecord& record, int status);

// The install request for a finished package: only Type (as plain text), the
// mark, ObjectUrl and Size; every other byte zero.
PackageRecord MakeInstallRequest(const PackageRecord& done);

bool HasInstallMarker(const PackageRecord& record);

// Sends the record to `target` by WM_COPYDATA. A timed send, so a hung
// receiver cannot block a download worker for ever. False when the window
// is missing or did not answer in time.
bool SendPackageRecord(HWND target, const PackageRecord& record, UINT timeoutMs = 5000);

// A copy-data download folder (wide text, wParam 2) as ANSI text of at most
// 259 bytes; empty when the block holds no text.
std::string ReceiveDownloadFolder(const COPYDATASTRUCT* data);
