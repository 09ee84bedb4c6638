#include "phonelink/PhoneLinkWorkers.h"

#include "device/DeviceBridge.h"
#include "messages/AppMessages.h"

#include <cstdio>
#include <memory>
#include <process.h>

namespace {

constexpr int kStartAttempts = 5;

template <class Job, int (*Body)(const Job&)>
unsigned __stdcall ThreadMain(void* argument) {
    std::unique_ptr<Job> job(static_cast<Job*>(argument));
    return static_cast<unsigned>(Body(*job));
}

template <class Job, int (*Body)(const Job&)>
HANDLE StartWorker(const Job& job) {
    auto copy = std::make_unique<Job>(job);
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadMain<Job, Body>, copy.get(), 0, nullptr));
    if (thread) copy.release();
    return thread;
}

struct DelayedJob {
    HWND frame = nullptr;
};

int QueryDataBody(const DelayedJob& job) {
    ::Sleep(1000);
    ::PostMessageW(job.frame, appmsg::kQueryPhoneData, 0, 0);
    return 1;
}

}  // namespace

int RunHelperApk(const HelperAppJob& job) {
    DeviceBridge bridge(job.hemlar);
    const std::wstring exported = job.programFolder + L"\\data\\govTemp.apk";
    const std::wstring shipped = job.programFolder + L"\\gov.apk";
    ::DeleteFileW(exported.c_str());
    bridge.ExportApkByPackage(kCompanionPackage, exported);
    const int phoneVersion = bridge.ApkVersionCode(exported);
    const int localVersion = bridge.ApkVersionCode(shipped);
    char line[260];
    std::snprintf(line, sizeof line, "手机版本号：%d,  本地版本号：%d", phoneVersion, localVersion);
    ::OutputDebugStringA(line);
    if (phoneVersion != -1 && phoneVersion < localVersion) {
        ::OutputDebugStringA("强制安装软件");
        bridge.RunCommand(L"install -r \"" + shipped + L"\"");
        ::Sleep(job.installPauseMs);
    }
    ::OutputDebugStringA("StartAndroidServer___AdbServerStartEx");
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        const int started = bridge.ServerStartEx(kCompanionPackage, kCompanionActivity);
        if (started == 1 || started == 2) {
            ::OutputDebugStringA("StartApp_And_Shoot");
            ::PostMessageW(job.frame, appmsg::kStartPhoneLink, 0, 0);
            return 1;
        }
        ::Sleep(job.retryPauseMs);
    }
    // The user is told; the link waits for the next try.
    ::PostMessageW(job.frame, appmsg::kHelperAppFailed, 0, 0);
    return 1;
}

HANDLE StartHelperApkThread(const HelperAppJob& job) { return StartWorker<HelperAppJob, &RunHelperApk>(job); }

HANDLE StartQueryDataThread(HWND frame) { return StartWorker<DelayedJob, &QueryDataBody>(DelayedJob{frame}); }
