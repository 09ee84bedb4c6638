// The task record the download engine runs. Owners (the download list, the
// icon queue) create and free tasks; the engine only reads and updates them
// and reports through OnProgress on the worker's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

class IProgress {
public:
    IProgress(const std::string& folder, bool generatedName, bool folderIsAbsolute, int useCurl);
    virtual ~IProgress() = default;
    IProgress(const IProgress&) = delete;
    IProgress& operator=(const IProgress&) = delete;

    // Called by the worker after each progress update and after it sets
    // status 3 or 4.
    virtual void OnProgress() = 0;

    // -1 waiting, 0 downloading, 1 paused, 2 deleted, 3 done, 4 failed. The
    // UI thread writes 1, 2 and -1; the worker 0, 3 and 4.
    std::atomic<int> status{-1};
    std::string url;           // replaced by the effective URL at each attempt
    std::string folder;
    bool folderIsAbsolute = false;
    bool generatedName = false;
    char name[260] = {};
    char extension[256] = {};  // with its dot, from the effective URL
    std::atomic<int64_t> resumeOffset{0};  // bytes on disk when the transfer began
    std::atomic<double> total{0};
    std::atomic<double> now{0};
    std::atomic<double> speed{0};
    int useCurl = 1;
    std::atomic<void*> transfer{nullptr};  // the live libcurl handle, else null
    // Lower-case hex MD5 the finished file must have; empty for no check.
    std::string expectedMd5;
    int failedRounds = 0;  // times the task ended failed and went back to its queue
};
