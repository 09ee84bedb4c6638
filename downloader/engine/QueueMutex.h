// The lock of one worker pool's queue: an unnamed Win32 mutex whose Lock
// gives up after 100 ms, so a worker never blocks long on a busy queue.
#pragma once

#include "win32/ScopedHandle.h"

class CQueueMutex {
public:
    CQueueMutex() : mutex_(CreateMutexW(nullptr, FALSE, nullptr)) {}
    bool Lock(DWORD timeoutMs = 100) {
        const DWORD result = WaitForSingleObject(mutex_.Get(), timeoutMs);
        return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    void LockWait() { Lock(INFINITE); }
    void Unlock() { ReleaseMutex(mutex_.Get()); }

private:
    ScopedHandle mutex_;
};
