// Shared pieces of the download engine tests: a task that records what the
// engine told it, short engine pauses, source bytes and URLs on the peer.
#pragma once

#include "TestPaths.h"
#include "WebServicePeer.h"
#include "curl/CurlEasy.h"
#include "engine/Downloader.h"
#include "engine/EngineTimings.h"

#include <atomic>
#include <string>

namespace enginetest {

using testpeers::WebServicePeer;
using testsupport::ReadFileBytes;
using testsupport::ScratchDir;
using testsupport::ToAnsi;
using testsupport::WriteFileBytes;

class RecordingTask : public IProgress {
public:
    explicit RecordingTask(const std::string& folder, const std::string& fileName = "package")
        : IProgress(folder, false, true, 1) {
        fileName.copy(name, sizeof name - 1);
    }
    void OnProgress() override {
        ++reports;
        const int now = status.load();
        if (now == 3) ++doneReports;
        if (now == 4) ++failedReports;
    }
    std::atomic<int> reports{0};
    std::atomic<int> doneReports{0};
    std::atomic<int> failedReports{0};
};

// Short pauses and limits so failing cases end in seconds.
inline void UseShortTimings() {
    EngineTimings().failedAttemptPauseMs = 50;
    EngineTimings().probeRetryPauseMs = 10;
    EngineTimings().beforeMoveMs = 0;
    EngineTimings().afterTakeMs = 1;
    CurlTransferLimits().connectTimeoutSeconds = 3;
    CurlTransferLimits().lowSpeedSeconds = 1;
}

// Bytes that differ at every offset a test might resume from.
std::string SourceBytes(size_t size, unsigned seed = 1);

// Waits until the status is one of the final ones (1..4) or the time is up.
int WaitForEnd(const IProgress& task, unsigned timeoutMs);
// Waits until `predicate` holds; false when the time ran out.
template <class Predicate>
bool WaitUntil(Predicate predicate, unsigned timeoutMs) {
    for (unsigned waited = 0; waited < timeoutMs; waited += 10) {
        if (predicate()) return true;
        Sleep(10);
    }
    return predicate();
}

std::string Url(const testpeers::WebServicePeer& peer, const std::string& path);

// Number of GET requests for `path`, and the Range header of the n-th one.
int GetCount(const testpeers::WebServicePeer& peer, const std::string& path);
std::string RangeOfGet(const testpeers::WebServicePeer& peer, const std::string& path, int n);

std::string Md5Hex(const std::string& bytes);

}  // namespace enginetest
