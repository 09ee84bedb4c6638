// The copies to this PC of the files the phone wrote for a backup, on copy
// threads. The phone names all of a backup's files in one answer; copied
// side by side they cross the link in about the time of the largest one
// instead of the time of all of them, and the window stays responsive
// meanwhile. Starting a thread is slow under Wine (every loaded DLL hears of
// it), so the threads are started with the backup request, while the phone
// is still writing the files, and are kept for later backups. Each copy that
// ends posts kBackupFileCopied to the window; the window then takes the
// ended copies in the order they were asked for, so it reports the items in
// the order the phone named them.
#pragma once

#include "backup/BackupReply.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class BackupPulls {
public:
    struct Ended {
        BackupReply reply;
        std::wstring localFile;  // where the copy went
        bool pulled = false;     // true only when the whole file arrived
    };

    BackupPulls() = default;
    ~BackupPulls();  // waits for the copy under way on each thread
    BackupPulls(const BackupPulls&) = delete;
    BackupPulls& operator=(const BackupPulls&) = delete;

    // Starts the copy threads unless they run already. Copies report to
    // `window` and go through the device library `hemlar`.
    void Prepare(HWND window, HMODULE hemlar);
    // Copies the replied file into the backup folder the settings in
    // `programFolder` name (none named fails the copy); prepares first.
    void Start(HWND window, HMODULE hemlar, const std::wstring& programFolder, const BackupReply& reply);
    // The copies that ended, in the order they were asked for, up to the
    // first one not ended yet.
    std::vector<Ended> TakeEnded();

private:
    struct Copy {
        Ended result;
        std::wstring programFolder;
        bool ended = false;
    };
    void StartThreads(HWND window, HMODULE hemlar);  // with mutex_ held
    void Serve();

    HWND window_ = nullptr;
    HMODULE hemlar_ = nullptr;
    std::mutex mutex_;  // guards everything below
    std::condition_variable queued_;
    bool stopping_ = false;
    std::deque<std::shared_ptr<Copy>> copies_;  // asked for and not taken yet, in order
    std::deque<std::shared_ptr<Copy>> waiting_;  // not started yet
    std::vector<std::thread> threads_;
};
