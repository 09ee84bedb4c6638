#include "engine/Downloader.h"
#include "engine/EngineTimings.h"

#include "engine/UrlHelpers.h"

#include <cstring>

EngineTimingSettings& EngineTimings() {
    static EngineTimingSettings settings;
    return settings;
}

namespace {
std::atomic<EngineLogSink> g_logSink{nullptr};
}

void SetEngineLogSink(EngineLogSink sink) { g_logSink = sink; }

void EngineLog(const std::string& line) {
    if (EngineLogSink sink = g_logSink.load()) {
        sink(line.c_str());
    } else {
        OutputDebugStringA((line + "\n").c_str());
    }
}

IProgress::IProgress(const std::string& folderPath, bool generated, bool absolute, int curl)
    : folder(folderPath), folderIsAbsolute(absolute), generatedName(generated), useCurl(curl) {}

CDownloader::CDownloader(HANDLE wakeEvent, CQueueMutex* queueLock, TaskQueue* queue, bool noRequeue)
    : wakeEvent_(wakeEvent),
      queueLock_(queueLock),
      queue_(queue),
      noRequeue_(noRequeue),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      stoppedEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
        WaitTask();
        SetEvent(stoppedEvent_);
    });
}

CDownloader::~CDownloader() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
    CloseHandle(stopEvent_);
    CloseHandle(stoppedEvent_);
}

void CDownloader::RequestStop() {
    stopping_ = true;
    SetEvent(stopEvent_);
}

bool CDownloader::TakeTask() {
    if (!queueLock_->Lock()) return false;
    if (queue_->empty()) {
        ResetEvent(wakeEvent_);
    } else {
        IProgress* task = queue_->front();
        queue_->pop();
        int expected = task->status.load();
        // A deleted task is dropped; any other is claimed unless the UI
        // changed it in between (then it is left as the UI set it).
        if (expected != 2 && task->status.compare_exchange_strong(expected, 0)) current_ = task;
    }
    queueLock_->Unlock();
    return true;
}

void CDownloader::WaitTask() {
    const HANDLE waits[2] = {stopEvent_, wakeEvent_};
    while (!Stopping()) {
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0 || Stopping()) break;
        if (woke != WAIT_OBJECT_0 + 1) continue;
        if (!TakeTask()) continue;
        if (WaitForSingleObject(stopEvent_, EngineTimings().afterTakeMs) == WAIT_OBJECT_0) break;
        if (current_ == nullptr || current_->status.load() == 2) {
            current_ = nullptr;
            continue;
        }
        const int attempts = DownloadTask();
        // After a stop nothing of the task is touched: its owner may be gone.
        if (Stopping()) break;
        if (attempts == 3) {
            int expected = 0;
            if (current_->status.compare_exchange_strong(expected, 4)) current_->OnProgress();
            EngineLog("Download_error\n\t" + std::string(current_->name) + "\n\t" + current_->url);
        }
        if (!noRequeue_ && current_->status.load() == 4 &&
            ++current_->failedRounds < EngineTimings().iconRequeueLimit) {
            queueLock_->LockWait();
            queue_->push(current_);
            queueLock_->Unlock();
            SetEvent(wakeEvent_);
        }
        current_ = nullptr;
    }
    // A task cut off by the shutdown keeps its partial file and status 0;
    // the owner decides what to make of it.
    current_ = nullptr;
}

int CDownloader::DownloadTask() {
    IProgress* task = current_;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (Stopping() || task->status.load() != 0) return attempt;
        std::string effective;
        const std::string url = task->url;
        if (!GetEffectiveUrl(url, effective, &stopping_) || effective.empty()) continue;
        if (Stopping()) return attempt;
        task->url = effective;
        std::string stem, extension;
        GetUrlExtension(effective, stem, extension);
        std::memset(task->extension, 0, sizeof task->extension);
        std::memcpy(task->extension, extension.data(), extension.size());

        const int result = download_proc(task, &task->transfer, &stopping_);
        if (Stopping()) return attempt;
        if (result == kDownloadOk) {
            int expected = 0;
            task->status.compare_exchange_strong(expected, 3);
            if (expected == 0 || expected == 3) task->OnProgress();
            return attempt;
        }
        if (result == kDownloadCannotOpen) {
            int expected = 0;
            if (task->status.compare_exchange_strong(expected, 4)) task->OnProgress();
            return attempt;
        }
        if (result == kDownloadAborted) return attempt;
        if (result == kDownloadRangeRestart) continue;  // the next attempt starts from zero at once
        if (WaitForSingleObject(stopEvent_, EngineTimings().failedAttemptPauseMs) == WAIT_OBJECT_0) return attempt;
    }
    return 3;
}

DownloadPool::DownloadPool(int workers, bool noRequeue)
    : shared_(std::make_unique<Shared>()),
      lock_(shared_->lock),
      queue_(shared_->queue),
      wake_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    for (int i = 0; i < workers; ++i)
        workers_.push_back(std::make_unique<CDownloader>(wake_, &lock_, &queue_, noRequeue));
}

DownloadPool::~DownloadPool() {
    if (Stop()) {
        CloseHandle(wake_);
        return;
    }
    // A worker is still inside a call that has not seen the stop: it keeps
    // its CDownloader, the queue, the lock and the event until the process ends.
    (void)shared_.release();
}

bool DownloadPool::Stop() {
    if (stopped_) return !abandoned_;
    stopped_ = true;
    for (auto& worker : workers_) worker->RequestStop();
    const ULONGLONG deadline = GetTickCount64() + kWorkerStopBoundMs;
    for (auto& worker : workers_) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (WaitForSingleObject(worker->Stopped(), left) == WAIT_OBJECT_0) {
            worker.reset();
        } else {
            (void)worker.release();
            abandoned_ = true;
        }
    }
    workers_.clear();
    return !abandoned_;
}

void DownloadPool::Hand(IProgress* task) {
    task->status = -1;
    lock_.LockWait();
    queue_.push(task);
    lock_.Unlock();
    SetEvent(wake_);
}
