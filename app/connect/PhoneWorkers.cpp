#include "PhoneWorkers.h"

#include <process.h>

#include <memory>

#include "connect/PhoneQuery.h"
#include "device/DriverCheck.h"
#include "log/Log.h"
#include "messages/AppMessages.h"

namespace {

// Holds the driver mutex for one check; an abandoned mutex (a worker that
// died inside) is owned all the same.
class DriverTicket {
public:
    explicit DriverTicket(HANDLE mutex) : mutex_(mutex) {
        if (mutex_) {
            const DWORD wait = WaitForSingleObject(mutex_, INFINITE);
            held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~DriverTicket() { Release(); }
    DriverTicket(const DriverTicket&) = delete;
    DriverTicket& operator=(const DriverTicket&) = delete;
    void Release() {
        if (held_) ReleaseMutex(mutex_);
        held_ = false;
    }

private:
    HANDLE mutex_;
    bool held_ = false;
};

void Post(const PhoneJob& job, UINT message, WPARAM wParam = 0) { PostMessageW(job.frame, message, wParam, 0); }

// Identifies the phone and hands the report to the frame, which frees it.
void ReportPhone(const PhoneJob& job, const std::wstring& vid, const std::wstring& pid, const DeviceBridge& bridge) {
    auto report = std::make_unique<PhoneConnectReport>(QueryPhoneInfo(vid, pid, bridge, job.api));
    report->session = job.phoneSession;
    if (PostMessageW(job.frame, appmsg::kPhoneConnect, reinterpret_cast<WPARAM>(report.get()), 0)) report.release();
}

template <int (*Body)(const PhoneJob&)>
unsigned __stdcall ThreadOf(void* argument) {
    std::unique_ptr<PhoneJob> job(static_cast<PhoneJob*>(argument));
    return static_cast<unsigned>(Body(*job));
}

template <int (*Body)(const PhoneJob&)>
HANDLE Start(const PhoneJob& job) {
    auto copy = std::make_unique<PhoneJob>(job);
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadOf<Body>, copy.get(), 0, nullptr));
    if (thread) copy.release();
    return thread;
}

}  // namespace

int TryConnectAndroid(const PhoneJob& job) {
    CLog::AgentLog(L"TrytoConncetAndroid");
    const DeviceBridge bridge(job.hemlar);
    DriverTicket ticket(job.driverMutex);
    OutputDebugStringA("RecoveryBug EnterCriticalSection");
    switch (bridge.IsConnectPhone()) {
        case -1:
            CLog::AgentLog(L"TrytoConncetAndroid_WM_UI_PHONE_OFFINE");
            Post(job, appmsg::kPhoneOffline);
            break;
        case 0:
            CLog::AgentLog(L"TrytoConncetAndroid_WM_UI_PHONE_CONNECT_FAIL");
            Post(job, appmsg::kPhoneConnectFail);
            return -1;
        default:
            break;
    }
    if (job.devices) {
        DriverCheckContext context{*job.devices, bridge, job.api, job.tempFolder};
        CheckAndInstallDriver(job.vid, job.pid, context);
    }
    // Whatever the driver check found, the phone is identified and reported:
    // the frame's loading animation always ends.
    ticket.Release();
    OutputDebugStringA("RecoveryBug  离开临界区");
    ReportPhone(job, job.vid, job.pid, bridge);
    Post(job, appmsg::kPrepareHelper);
    return 0;
}

int ConnectPhone(const PhoneJob& job) {
    CLog::AgentLog(L"TrytoConncetPhone_ConnectPhoneSucess");
    const DeviceBridge bridge(job.hemlar);
    const int state = bridge.IsConnectPhone();
    if (state == -1) {
        CLog::AgentLog(L"TrytoConncetPhone_WM_UI_PHONE_OFFINE");
        Post(job, appmsg::kPhoneOffline);
    } else if (state == 2) {
        bridge.ReScanDev();
    } else if (state == 0) {
        CLog::AgentLog(L"TrytoConncetPhone_WM_UI_PHONE_CONNECT_FAIL");
        Post(job, appmsg::kPhoneConnectFail);
        return -1;
    }
    std::wstring vid = job.vid, pid = job.pid;
    if (vid.empty() || pid.empty()) SplitAndroidId(job.androidId, vid, pid);
    ReportPhone(job, vid, pid, bridge);
    if (state != 2) {
        bridge.AdbServerStart();
        OutputDebugStringA("StartAndroidServer___AdbServerStart");
    }
    return 1;
}

int TakeScreenshot(const PhoneJob& job) {
    // Reported whether or not the picture arrived, so the frame's refresh
    // flag is always cleared and later refreshes are not refused.
    const bool arrived = DeviceBridge(job.hemlar).TakeScreenshot();
    Post(job, appmsg::kFreshViewScreen, arrived ? 1 : 0);
    return arrived ? 1 : 0;
}

int CheckService(const PhoneJob& job) {
    Sleep(job.serviceWaitMs);
    const int failed = DeviceBridge(job.hemlar).CheckFileAndKillActivity();
    Post(job, failed ? appmsg::kPhoneLogError : appmsg::kShowAuthorize);
    return 1;
}

HANDLE StartTryConnectAndroidThread(const PhoneJob& job) { return Start<&TryConnectAndroid>(job); }
HANDLE StartConnectPhoneThread(const PhoneJob& job) { return Start<&ConnectPhone>(job); }
HANDLE StartScreenshotThread(const PhoneJob& job) { return Start<&TakeScreenshot>(job); }
HANDLE StartCheckServiceThread(const PhoneJob& job) { return Start<&CheckService>(job); }
