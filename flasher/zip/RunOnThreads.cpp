#include "RunOnThreads.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

void RunOnThreads(size_t count, unsigned threads, const std::function<void(size_t)>& work) {
    std::atomic<size_t> next{0};
    const auto takeTurns = [&] {
        for (size_t piece = next++; piece < count; piece = next++) work(piece);
    };
    std::vector<std::thread> helpers;
    const size_t wanted = std::min<size_t>(threads > 1 ? threads - 1 : 0, count > 1 ? count - 1 : 0);
    for (size_t started = 0; started < wanted; ++started) {
        try {
            helpers.emplace_back(takeTurns);
        } catch (const std::system_error&) {
            break;
        }
    }
    takeTurns();
    for (std::thread& helper : helpers) helper.join();
}
