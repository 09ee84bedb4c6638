#include "ChildProcess.h"

#include <utility>

namespace testsupport {

namespace {

constexpr DWORD kTreeEndMs = 10000;

HANDLE KillOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

DWORD ActiveProcesses(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, nullptr))
        return 0;
    return accounting.ActiveProcesses;
}

}  // namespace

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::wstring& folder, DWORD flags) {
    job_ = KillOnCloseJob();
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Started suspended so it is in the job before it can start anything.
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, flags | CREATE_SUSPENDED, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return;
    if (job_) AssignProcessToJobObject(job_, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
}

ChildProcess::~ChildProcess() {
    KillTree();
    Release();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : job_(std::exchange(other.job_, nullptr)), process_(std::exchange(other.process_, nullptr)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        KillTree();
        Release();
        job_ = std::exchange(other.job_, nullptr);
        process_ = std::exchange(other.process_, nullptr);
    }
    return *this;
}

bool ChildProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

int ChildProcess::WaitForExit(DWORD timeoutMs) const {
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

void ChildProcess::KillTree() {
    if (job_) {
        TerminateJobObject(job_, 99);
        const DWORD start = GetTickCount();
        while (ActiveProcesses(job_) > 0 && GetTickCount() - start < kTreeEndMs) Sleep(20);
    } else if (Running()) {
        TerminateProcess(process_, 99);
    }
    if (process_) WaitForSingleObject(process_, kTreeEndMs);
}

void ChildProcess::Release() {
    if (process_) CloseHandle(process_);
    if (job_) CloseHandle(job_);
    process_ = job_ = nullptr;
}

}  // namespace testsupport
