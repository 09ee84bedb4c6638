#include "database/DownloadDatabase.h"

#include "engine/UrlHelpers.h"
#include "sql/CppSQLite3.h"
#include "win32/TextConvert.h"

#include <windows.h>

#include <cstring>

namespace {

// ObjectUrl is no key: two packages may come from one URL.
const char kCreateTable[] =
    "CREATE TABLE Packages (Id VARCHAR, Name VARCHAR, ObjectUrl VARCHAR NOT NULL, PngUrl VARCHAR, "
    "Size VARCHAR, Type VARCHAR, Hash VARCHAR, PromptMsg VARCHAR, Err VARCHAR)";
// A row by its record: by Id when the record has one, else by Name.
const char kRowById[] = "Id=?";
const char kRowByName[] = "COALESCE(Id,'')='' AND Name=?";

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

// Creates the table, or rebuilds one of an earlier build (ObjectUrl its
// primary key, so a second package of the same URL replaced the first's
// row) as the current one, keeping every row, in one transaction.
void EnsureTable(CppSQLite3DB& db) {
    std::string existing;
    {
        CppSQLite3Query sql = db.Query("SELECT sql FROM sqlite_master WHERE type='table' AND name='Packages'");
        if (!sql.AtEnd()) existing = sql.GetText(0, "");
    }
    if (existing.empty()) {
        db.Execute(kCreateTable);
        return;
    }
    if (existing.find("PRIMARY KEY") == std::string::npos) return;
    db.Execute("BEGIN IMMEDIATE");
    try {
        db.Execute("ALTER TABLE Packages RENAME TO PackagesBefore");
        db.Execute(kCreateTable);
        db.Execute("INSERT INTO Packages SELECT * FROM PackagesBefore ORDER BY rowid");
        db.Execute("DROP TABLE PackagesBefore");
        db.Execute("COMMIT");
    } catch (const CppSQLite3Exception&) {
        try {
            db.Execute("ROLLBACK");
        } catch (const CppSQLite3Exception&) {
        }
        throw;
    }
}

}  // namespace

DownloadDatabase::DownloadDatabase(const std::wstring& folder) : path_(folder + L"\\Downloader.db") {}

DownloadDatabase::~DownloadDatabase() {
    {
        std::lock_guard<std::mutex> hold(queueLock_);
        stopping_ = true;
    }
    queued_.notify_all();
    if (writer_.joinable()) writer_.join();
    std::lock_guard<std::mutex> hold(lock_);
    WriteQueued();
}

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
        EnsureTable(db);
    } catch (const CppSQLite3Exception& error) {
        Report(error);
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

bool DownloadDatabase::SaveTask(const PackageRecord& record) {
    std::lock_guard<std::mutex> hold(lock_);
    WriteQueued();
    return SaveWithRetries(record);
}

void DownloadDatabase::SaveSoon(const PackageRecord& record) {
    {
        std::lock_guard<std::mutex> hold(queueLock_);
        queue_.push_back(record);
        if (!writer_.joinable()) writer_ = std::thread([this] { WriteInBackground(); });
    }
    queued_.notify_one();
}

void DownloadDatabase::WriteInBackground() {
    for (;;) {
        {
            std::unique_lock<std::mutex> wait(queueLock_);
            queued_.wait(wait, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;  // stopping, nothing left
        }
        std::lock_guard<std::mutex> hold(lock_);
        WriteQueued();
    }
}

void DownloadDatabase::WriteQueued() {
    for (;;) {
        PackageRecord record;
        {
            std::lock_guard<std::mutex> hold(queueLock_);
            if (queue_.empty()) return;
            record = queue_.front();
            queue_.pop_front();
        }
        SaveWithRetries(record);
    }
}

bool DownloadDatabase::SaveWithRetries(const PackageRecord& record) {
    for (int attempt = 0; attempt < kSaveTries; ++attempt) {
        try {
            SaveOnce(record);
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

void DownloadDatabase::SaveOnce(const PackageRecord& record) {
    CppSQLite3DB db;
    db.Open(WideToUtf8(path_).c_str());
    EnsureTable(db);
    const bool byId = record.Id[0] != '\0';
    const std::string key = byId ? ToUtf8(record.Id) : ToUtf8(record.Name);
    const std::string where = std::string(" WHERE ") + (byId ? kRowById : kRowByName);
    const int status = ParseStatusText(record.Err, sizeof record.Err, kStatusWaiting);

    if (status == kStatusDeleted) {
        CppSQLite3Statement remove = db.CompileStatement(("DELETE FROM Packages" + where).c_str());
        remove.Bind(1, key.c_str());
        remove.Execute();
        return;
    }
    CppSQLite3Statement update =
        db.CompileStatement(("UPDATE Packages SET ObjectUrl=?, PngUrl=?, Size=?, Err=?" + where).c_str());
    update.Bind(1, ToUtf8(record.ObjectUrl).c_str());
    update.Bind(2, ToUtf8(record.PngUrl).c_str());
    update.Bind(3, ToUtf8(record.Size).c_str());
    update.Bind(4, ToUtf8(record.Err).c_str());
    update.Bind(5, key.c_str());
    if (update.Execute() > 0) return;
    CppSQLite3Statement insert = db.CompileStatement("INSERT INTO Packages VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, ToUtf8(record.Id).c_str());
    insert.Bind(2, ToUtf8(record.Name).c_str());
    insert.Bind(3, ToUtf8(record.ObjectUrl).c_str());
    insert.Bind(4, ToUtf8(record.PngUrl).c_str());
    insert.Bind(5, ToUtf8(record.Size).c_str());
    insert.Bind(6, ToUtf8(record.Type).c_str());
    insert.Bind(7, ToUtf8(record.Hash).c_str());
    insert.Bind(8, ToUtf8(record.PromptMsg).c_str());
    insert.Bind(9, ToUtf8(record.Err).c_str());
    insert.Execute();
}
