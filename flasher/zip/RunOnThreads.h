// Runs independent pieces of work on a few threads at once.
#pragma once

#include <cstddef>
#include <functional>

// Calls work(0) ... work(count - 1), each once, on the calling thread and up to
// threads - 1 more, taking the pieces in order; returns when all have returned.
// A thread that cannot be started leaves its share to the others.
void RunOnThreads(size_t count, unsigned threads, const std::function<void(size_t)>& work);
