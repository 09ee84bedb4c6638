#include "database/DownloadDatabase.h"

#include "engine/UrlHelpers.h"
#include "sql/CppSQLite3.h"
#include "win32/TextConvert.h"

#include <windows.h>

#include <cstring>

namespace {

const char kCreateTable[] =
    "CREATE TABLE Packages (Id VARCHAR, Name VARCHAR, ObjectUrl VARCHAR PRIMARY KEY NOT NULL, PngUrl VARCHAR, "
    "Size VARCHAR, Type VARCHAR, Hash VARCHAR, PromptMsg VARCHAR, Err VARCHAR)";

constexpr int kSaveTries = 5;

template <size_t N>
std::string ToUtf8(const char (&field)[N]) {
    return WideToUtf8(AnsiToWide(std::string_view(field, BoundedLength(field, N))));
}

template <size_t N>
void FromUtf8(char (&field)[N], const char* value) {
    std::memset(field, 0, N);
    Utf8ToAnsi(value != nullptr ? value : "", field, N);
}

void Report(const CppSQLite3Exception& error) {
    OutputDebugStringA(error.Message());
    OutputDebugStringA("\n");
}

bool IsBusy(int code) { return code == SQLITE_BUSY || code == SQLITE_LOCKED; }

}  // namespace

DownloadDatabase::DownloadDatabase(const std::wstring& folder) : path_(folder + L"\\Downloader.db") {}

std::vector<PackageRecord> DownloadDatabase::LoadTasks() {
    std::vector<PackageRecord> restored;
    CppSQLite3DB db;
    try {
        db.Open(WideToUtf8(path_).c_str());
    } catch (const CppSQLite3Exception& error) {
        Report(error);
        return restored;
    }
    try {
        db.Execute(kCreateTable);
    } catch (const CppSQLite3Exception& error) {
        Report(error);  // "table Packages already exists" at every start but the first
    }
    try {
        for (CppSQLite3Query rows = db.Query("SELECT * FROM Packages"); !rows.AtEnd(); rows.NextRow()) {
            PackageRecord record;
            std::memset(&record, 0, sizeof record);
            FromUtf8(record.Id, rows.GetText(0, ""));
            FromUtf8(record.Name, rows.GetText(1, ""));
            FromUtf8(record.ObjectUrl, rows.GetText(2, ""));
            FromUtf8(record.PngUrl, rows.GetText(3, ""));
            FromUtf8(record.Size, rows.GetText(4, ""));
            FromUtf8(record.Type, rows.GetText(5, ""));
            FromUtf8(record.Hash, rows.GetText(6, ""));
            FromUtf8(record.PromptMsg, rows.GetText(7, ""));
            FromUtf8(record.Err, rows.GetText(8, ""));
            const int status = ParseStatusText(record.Err, sizeof record.Err, kStatusDeleted);
            if (status == kStatusWaiting || status == kStatusDownloading) {
                SetStatusText(record, kStatusPaused);
            } else if (status != kStatusPaused && status != kStatusDone && status != kStatusFailed) {
                continue;
            }
            restored.push_back(record);
        }
    } catch (const CppSQLite3Exception& error) {
        Report(error);  // rows read so far stay restored
    }
    return restored;
}

bool DownloadDatabase::SaveTask(const PackageRecord& record, std::string& rowKey) {
    std::lock_guard<std::mutex> hold(lock_);
    for (int attempt = 0; attempt < kSaveTries; ++attempt) {
        try {
            SaveOnce(record, rowKey);
            return true;
        } catch (const CppSQLite3Exception& error) {
            Report(error);
            if (!IsBusy(error.ErrorCode())) return false;
            Sleep(100);
        } catch (...) {
            return false;
        }
    }
    return false;
}

void DownloadDatabase::SaveOnce(const PackageRecord& record, std::string& rowKey) {
    CppSQLite3DB db;
    db.Open(WideToUtf8(path_).c_str());
    const std::string objectUrl = ToUtf8(record.ObjectUrl);
    const std::string key = rowKey.empty() ? objectUrl : WideToUtf8(AnsiToWide(rowKey));
    const int status = ParseStatusText(record.Err, sizeof record.Err, kStatusWaiting);

    if (status == kStatusDeleted) {
        CppSQLite3Statement remove = db.CompileStatement("DELETE FROM Packages WHERE ObjectUrl=?");
        remove.Bind(1, key.c_str());
        remove.Execute();
        rowKey.clear();
        return;
    }
    // A row whose new ObjectUrl (the local path) already belongs to another
    // row replaces that stale row: both describe the same file.
    CppSQLite3Statement update = db.CompileStatement(
        "UPDATE OR REPLACE Packages SET ObjectUrl=?, PngUrl=?, Size=?, Err=? WHERE ObjectUrl=?");
    update.Bind(1, objectUrl.c_str());
    update.Bind(2, ToUtf8(record.PngUrl).c_str());
    update.Bind(3, ToUtf8(record.Size).c_str());
    update.Bind(4, ToUtf8(record.Err).c_str());
    update.Bind(5, key.c_str());
    if (update.Execute() == 0) {
        CppSQLite3Statement insert =
            db.CompileStatement("INSERT OR REPLACE INTO Packages VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        insert.Bind(1, ToUtf8(record.Id).c_str());
        insert.Bind(2, ToUtf8(record.Name).c_str());
        insert.Bind(3, objectUrl.c_str());
        insert.Bind(4, ToUtf8(record.PngUrl).c_str());
        insert.Bind(5, ToUtf8(record.Size).c_str());
        insert.Bind(6, ToUtf8(record.Type).c_str());
        insert.Bind(7, ToUtf8(record.Hash).c_str());
        insert.Bind(8, ToUtf8(record.PromptMsg).c_str());
        insert.Bind(9, ToUtf8(record.Err).c_str());
        insert.Execute();
    }
    rowKey.assign(record.ObjectUrl, BoundedLength(record.ObjectUrl, sizeof record.ObjectUrl));
}
