// The downloader's memory across runs: "Downloader.db" beside the program,
// table Packages, one row per package. A row is found by the record's Id;
// a record without one (a request of the local request port) by its Name,
// which no two live tasks share. Two packages with one URL are two rows.
// Values are bound, never formatted into SQL; records hold ANSI text, the
// database UTF-8.
#pragma once

#include "record/PackageRecord.h"

#include <mutex>
#include <string>
#include <vector>

class DownloadDatabase {
public:
    // `folder` is the program's folder; the file is "<folder>\Downloader.db".
    explicit DownloadDatabase(const std::wstring& folder);

    const std::wstring& Path() const { return path_; }

    // Every row worth restoring, in the database's order. Err -1 and 0 come
    // back as "1" (paused: nothing restarts by itself); 1, 3 and 4 as they
    // are; 2 and anything else are skipped. Creates the table when missing;
    // a table of earlier builds, keyed by ObjectUrl, is rebuilt with every
    // row kept.
    std::vector<PackageRecord> LoadTasks();

    // Writes a task: updates its row (URL, icon, size and status; the other
    // fields are written once) or inserts one. Status 2 deletes the row. A
    // busy or locked database is waited for and retried. False when the save
    // failed.
    bool SaveTask(const PackageRecord& record);

private:
    void SaveOnce(const PackageRecord& record);

    std::wstring path_;
    std::mutex lock_;  // saves come from the UI, request and worker threads
};
