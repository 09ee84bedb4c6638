#include "backup/BackupPulls.h"

#include "device/DeviceBridge.h"
#include "messages/AppMessages.h"
#include "settings/SettingsFile.h"

namespace {
// One thread for each of contacts, messages and call records.
constexpr size_t kCopyThreads = 3;
}  // namespace

BackupPulls::~BackupPulls() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void BackupPulls::StartThreads(HWND window, HMODULE hemlar) {
    window_ = window;
    hemlar_ = hemlar;
    while (threads_.size() < kCopyThreads) threads_.emplace_back([this] { Serve(); });
}

void BackupPulls::Prepare(HWND window, HMODULE hemlar) {
    std::lock_guard<std::mutex> lock(mutex_);
    StartThreads(window, hemlar);
}

void BackupPulls::Start(HWND window, HMODULE hemlar, const std::wstring& programFolder, const BackupReply& reply) {
    auto copy = std::make_shared<Copy>();
    copy->result.reply = reply;
    copy->programFolder = programFolder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        copies_.push_back(copy);
        waiting_.push_back(copy);
        StartThreads(window, hemlar);
    }
    queued_.notify_one();
}

void BackupPulls::Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_) return;
        std::shared_ptr<Copy> copy = waiting_.front();
        waiting_.pop_front();
        const HWND window = window_;
        const DeviceBridge bridge(hemlar_);
        lock.unlock();
        Ended& result = copy->result;
        const std::wstring folder = SettingsFile(copy->programFolder).BackupFolder();
        result.pulled = !folder.empty() && PullRepliedBackup(bridge, folder, result.reply, result.localFile);
        lock.lock();
        copy->ended = true;
        ::PostMessageW(window, appmsg::kBackupFileCopied, 0, 0);
    }
}

std::vector<BackupPulls::Ended> BackupPulls::TakeEnded() {
    std::vector<Ended> ended;
    std::lock_guard<std::mutex> lock(mutex_);
    while (!copies_.empty() && copies_.front()->ended) {
        ended.push_back(std::move(copies_.front()->result));
        copies_.pop_front();
    }
    return ended;
}
