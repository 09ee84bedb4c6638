// The downloader's memory across runs: "Downloader.db" beside the program,
// table Packages, one row per package. A row is found by the record's Id;
// a record without one (a request of the local request port) by its Name,
// which no two live tasks share. Two packages with one URL are two rows.
// Values are bound, never formatted into SQL; records hold ANSI text, the
// database UTF-8.
#pragma once

#include "record/PackageRecord.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class DownloadDatabase {
public:
    // `folder` is the program's folder; the file is "<folder>\Downloader.db".
    explicit DownloadDatabase(const std::wstring& folder);
    // Writes out the saves still queued.
    ~DownloadDatabase();
    DownloadDatabase(const DownloadDatabase&) = delete;
    DownloadDatabase& operator=(const DownloadDatabase&) = delete;

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
    // Saves queued by SaveSoon are written first, so saves land in the
    // order they were asked for.
    bool SaveTask(const PackageRecord& record);

    // Queues a save for the database's own writer thread and returns at
    // once: a thread with pauses of its own to keep (the request thread)
    // does not wait for the file.
    void SaveSoon(const PackageRecord& record);

private:
    bool SaveWithRetries(const PackageRecord& record);
    void SaveOnce(const PackageRecord& record);
    void WriteQueued();  // holding lock_
    void WriteInBackground();

    std::wstring path_;
    std::mutex lock_;  // the file: saves come from the UI, request, writer and worker threads
    std::mutex queueLock_;
    std::condition_variable queued_;
    std::deque<PackageRecord> queue_;
    bool stopping_ = false;
    std::thread writer_;  // started by the first SaveSoon
};
