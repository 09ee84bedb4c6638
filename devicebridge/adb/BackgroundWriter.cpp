#include "adb/BackgroundWriter.h"

#include "adb/sysdeps_win32.h"

#include <cerrno>
#include <system_error>

BackgroundWriter::~BackgroundWriter() {
    if (!thread_.joinable()) return;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (busy_) HandleShutdown(fd_);
        changed_.wait(lock, [this] { return !busy_; });
        quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || quit_; });
        if (quit_) return;
        lock.unlock();
        const bool ok = WriteExactly(fd_, data_, count_) == 0;
        const int error = errno;
        lock.lock();
        if (!ok) {
            failed_ = true;
            error_ = error;
        }
        busy_ = false;
        changed_.notify_all();
    }
}

bool BackgroundWriter::Start(const void* data, size_t count, bool last) {
    if (!Finish()) return false;
    if (count == 0) return true;
    if (!thread_.joinable()) {
        if (last) return WriteExactly(fd_, data, count) == 0;
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            return WriteExactly(fd_, data, count) == 0;  // no thread to be had: the caller waits instead
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        data_ = data;
        count_ = count;
        busy_ = true;
    }
    changed_.notify_all();
    return !last || Finish();
}

bool BackgroundWriter::Finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    if (failed_) errno = error_;
    return !failed_;
}
