// Download workers. A pool is a queue of tasks with its lock and a
// manual-reset wake event; each CDownloader is one thread that takes tasks
// from the pool's queue and runs them over libcurl with resume.
#pragma once

#include "engine/DownloadTask.h"
#include "engine/QueueMutex.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <queue>
#include <thread>
#include <vector>

using TaskQueue = std::queue<IProgress*, std::deque<IProgress*>>;

// Results of download_proc beyond libcurl's own codes.
enum DownloadResult : int {
    kDownloadOk = 0,
    kDownloadEmptyUrl = 1,
    kDownloadCannotOpen = 37,      // CURLE_FILE_COULDNT_READ_FILE: the partial file
    kDownloadAborted = 42,         // CURLE_ABORTED_BY_CALLBACK: status changed or stopping
    kDownloadHttpError = 22,       // CURLE_HTTP_RETURNED_ERROR: a 4xx/5xx reply
    kDownloadChecksumMismatch = 1001,
    kDownloadMoveFailed = 1002,
    kDownloadRangeRestart = 1003,  // the server ignored the range; start again from 0
};

class CDownloader {
public:
    CDownloader(HANDLE wakeEvent, CQueueMutex* queueLock, TaskQueue* queue, bool noRequeue);
    // Stops the thread cooperatively: a running transfer aborts at its next
    // progress report, its partial file stays for a later resume.
    ~CDownloader();
    CDownloader(const CDownloader&) = delete;
    CDownloader& operator=(const CDownloader&) = delete;

    // Runs the current task: the attempt that ended it (0..2), or 3 when all
    // three attempts failed.
    int DownloadTask();

private:
    void WaitTask();
    bool TakeTask();
    bool Stopping() const { return stopping_.load(); }

    HANDLE wakeEvent_;
    CQueueMutex* queueLock_;
    TaskQueue* queue_;
    IProgress* current_ = nullptr;
    bool noRequeue_;
    std::atomic<bool> stopping_{false};
    HANDLE stopEvent_;
    std::thread thread_;
};

// One transfer of a task into "<folder>\<name><ext>" through "<...>.tmp".
// `stop` aborts it from outside (worker shutdown); may be null.
int download_proc(IProgress* task, std::atomic<void*>* slot, const std::atomic<bool>* stop);

// A queue, its lock, its wake event and the workers on it.
class DownloadPool {
public:
    DownloadPool(int workers, bool noRequeue);
    ~DownloadPool();  // stops the workers; tasks stay with their owners
    DownloadPool(const DownloadPool&) = delete;
    DownloadPool& operator=(const DownloadPool&) = delete;

    // Hands a task over: status -1, pushed at the back, workers woken.
    void Hand(IProgress* task);

    CQueueMutex& Lock() { return lock_; }
    TaskQueue& Queue() { return queue_; }
    HANDLE WakeEvent() const { return wake_; }

private:
    CQueueMutex lock_;
    TaskQueue queue_;
    HANDLE wake_;
    std::vector<std::unique_ptr<CDownloader>> workers_;
};

// Where the engine's log lines go (the program installs its logger); the
// debugger output by default.
using EngineLogSink = void (*)(const char* line);
void SetEngineLogSink(EngineLogSink sink);
void EngineLog(const std::string& line);
