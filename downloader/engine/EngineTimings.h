// The engine's fixed pauses, process-wide so tests can shorten them before
// any worker starts.
#pragma once

#include <windows.h>

struct EngineTimingSettings {
    DWORD afterTakeMs = 10;          // after taking a task off the queue
    DWORD beforeMoveMs = 200;        // before moving the finished file into place
    DWORD failedAttemptPauseMs = 3000;
    DWORD probeRetryPauseMs = 200;
    int iconRequeueLimit = 3;        // failed icon rounds before an icon is given up
};

EngineTimingSettings& EngineTimings();
