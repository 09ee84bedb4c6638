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
    kDownloadRangeRestart = 1003,  // the server ignored the range or its file changed; start again from 0
    kDownloadShort = 1004,         // a clean end with fewer bytes than announced; resume later
};

// How long a pool waits for its workers to end at shutdown. A worker still
// inside a call that ignores the stop after that is left to the process's
// end, with everything it may still touch.
constexpr DWORD kWorkerStopBoundMs = 3000;

class CDownloader {
public:
    CDownloader(HANDLE wakeEvent, CQueueMutex* queueLock, TaskQueue* queue, bool noRequeue);
    // Stops the thread cooperatively: a running transfer or URL probe aborts
    // at its next progress report, its partial file stays for a later
    // resume. Waits for the thread without a bound; see RequestStop.
    ~CDownloader();
    CDownloader(const CDownloader&) = delete;
    CDownloader& operator=(const CDownloader&) = delete;

    // Runs the current task: the attempt that ended it (0..2), or 3 when all
    // three attempts failed.
    int DownloadTask();

    // Asks the thread to end; Stopped() is signalled once it has. A stopped
    // thread touches nothing of its pool or its last task any more.
    void RequestStop();
    HANDLE Stopped() const { return stoppedEvent_; }

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
    HANDLE stoppedEvent_;
    std::thread thread_;
};

// One transfer of a task into "<folder>\<name><ext>" through "<...>.tmp".
// `stop` aborts it from outside (worker shutdown); may be null.
int download_proc(IProgress* task, std::atomic<void*>* slot, const std::atomic<bool>* stop);

// A queue, its lock, its wake event and the workers on it.
class DownloadPool {
public:
    DownloadPool(int workers, bool noRequeue);
    // Stops every worker at once and waits for them, at most
    // kWorkerStopBoundMs; tasks stay with their owners. A worker that has
    // not ended by then is left running, and so are the pool's queue, lock
    // and event: see Abandoned.
    ~DownloadPool();
    DownloadPool(const DownloadPool&) = delete;
    DownloadPool& operator=(const DownloadPool&) = delete;

    // Hands a task over: status -1, pushed at the back, workers woken.
    void Hand(IProgress* task);

    CQueueMutex& Lock() { return lock_; }
    TaskQueue& Queue() { return queue_; }
    HANDLE WakeEvent() const { return wake_; }

    // Stops the workers as the destructor does. True when all of them ended
    // within the bound; false when one is left running, whose current task
    // must then outlive the pool (its owner keeps its tasks to the end).
    bool Stop();

private:
    struct Shared {
        CQueueMutex lock;
        TaskQueue queue;
    };
    std::unique_ptr<Shared> shared_;
    CQueueMutex& lock_;
    TaskQueue& queue_;
    HANDLE wake_;
    std::vector<std::unique_ptr<CDownloader>> workers_;
    bool stopped_ = false;
    bool abandoned_ = false;
};

// Where the engine's log lines go (the program installs its logger); the
// debugger output by default.
using EngineLogSink = void (*)(const char* line);
void SetEngineLogSink(EngineLogSink sink);
void EngineLog(const std::string& line);
