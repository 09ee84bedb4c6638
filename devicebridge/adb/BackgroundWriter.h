// Writes blocks to a handle from a thread of its own, so the caller prepares
// the next block while the last one goes out. A socket send of more than the
// socket takes at once waits until the far end has read enough; under Wine
// that wait also passes through the Wine server. Here it overlaps the
// caller's own work (reading the file the blocks come from).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

class BackgroundWriter {
public:
    explicit BackgroundWriter(int fd) : fd_(fd) {}
    // A block still going out is cut short by shutting the connection down
    // (the transfer failed anyway); its memory is the caller's.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Waits for the block before, then hands this one over; the caller leaves
    // its memory alone until the next Start. The last block has gone out when
    // Start returns; a transfer of one block starts no thread at all. False
    // (errno set) when a write failed.
    bool Start(const void* data, size_t count, bool last);

private:
    void Run();
    bool Finish();

    int fd_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const void* data_ = nullptr;
    size_t count_ = 0;
    bool busy_ = false, failed_ = false, quit_ = false;
    int error_ = 0;
    std::thread thread_;
};
