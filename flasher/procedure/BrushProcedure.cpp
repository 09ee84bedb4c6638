#include "BrushProcedure.h"

#include <algorithm>
#include <cstdio>

#include "FlashSteps.h"
#include "PluginLog.h"
#include "ScriptFiles.h"
#include "ScriptRunner.h"
#include "win32/FileUtil.h"
#include "win32/ProcessKill.h"
#include "win32/TextConvert.h"

namespace {

const wchar_t kPushTool[] = L"Kovi_adb.exe";
constexpr int kRecoveryMode = 2;
constexpr int kProbes = 10;
// A push gets ten minutes plus a second per MiB before it counts as hung.
constexpr DWORD kPushBaseLimitMs = 10 * 60 * 1000;
constexpr DWORD kPushLimitPerMiBMs = 1000;
// The creep of the bar during the push: 150 ms a thousandth for 250 MiB,
// never so fast that the timer would spin.
constexpr UINT kCreepPerQuarterGiBMs = 150;
constexpr UINT kFastestCreepMs = 50;
constexpr UINT kScriptCreepMs = 200;

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void DebugLine(const std::string& text) { OutputDebugStringA(text.c_str()); }

}  // namespace

BrushProcedure::BrushProcedure(BrushSettings settings, IBrushPage& page)
    : settings_(std::move(settings)), page_(page), scanner_(1) {
    echo_ = FileExists(Tool(L"flagcmdecho"));
}

void BrushProcedure::SetStep(int step) { scanner_.Set(step); }

void BrushProcedure::Raise() {
    const int step = scanner_.Current();
    if (flashsteps::IsFinal(step)) {
        if (ended_) return;
        ended_ = true;
        if (step == flashsteps::kSucceeded) Sleep(settings_.successPauseMs);
    }
    page_.StepRaised(scanner_.Previous(), step, pushBegun_);
}

void BrushProcedure::Fail(int step) {
    if (ended_) return;
    SetStep(step);
    Raise();
}

void BrushProcedure::OnOutput(const char* data, size_t size) {
    if (echo_) DebugLine("\n #1.4.8 " + std::string(data, size));
    if (ended_) return;
    const MarkerScanner::Result found = scanner_.Feed(std::string_view(data, size));
    if (found.raise) Raise();
    if (found.percentage) page_.PushPercentage(found.percentageText);
}

void BrushProcedure::FillUpTo(int step) {
    const int target = static_cast<int>(page_.ProgressMaximum() * flashsteps::TargetFraction(step));
    while (!ended_ && page_.ProgressValue() < target) {
        page_.ProgressStepToward(target);
        Sleep(settings_.fillStepMs);
    }
}

bool BrushProcedure::WaitForRecovery() {
    for (int poll = 0; poll < settings_.recoveryPolls; ++poll) {
        const int state = settings_.hemlar->isConnectPhone();
        if (state == kRecoveryMode) {
            char line[32];
            std::snprintf(line, sizeof line, "connetcode = %d\n", state);
            DebugLine(line);
            return true;
        }
        Sleep(settings_.recoveryPollMs);
    }
    return false;
}

void BrushProcedure::ProbeAdb() {
    for (int probe = 0; probe < kProbes; ++probe) {
        if (settings_.hemlar->adbPushFile(L"devices") != 0) break;
        Sleep(settings_.probePauseMs);
    }
    Sleep(settings_.settleMs);
}

int BrushProcedure::RunScript(const wchar_t* name, const std::wstring& argument) {
    const int result = scriptrunner::RunBatch(Tool(L"Rirorivuvi\\") + name, argument,
                                              [this](std::string_view chunk) { OnOutput(chunk.data(), chunk.size()); });
    KillProcessesByImageName(kPushTool, 0);
    if (result != scriptrunner::kRunOk) PluginLog("script did not start: " + WideToAnsi(name));
    return result;
}

UINT BrushProcedure::PushCreepPeriod() const {
    const long long mib = FileSize(settings_.romPath) / (1024 * 1024);
    const long long period = mib * kCreepPerQuarterGiBMs / 250;
    return static_cast<UINT>(std::max<long long>(period, kFastestCreepMs));
}

int BrushProcedure::Run() {
    SetStep(1);
    const std::wstring rec = Tool(L"Rirorivuvi\\rec.bat"), push = Tool(L"Rirorivuvi\\push_brush.bat"),
                       wipe = Tool(L"Rirorivuvi\\wipe.bat");
    const HemlarEntries* hemlar = settings_.hemlar.get();
    const bool bridgeReady = hemlar && hemlar->isConnectPhone && hemlar->adbPushFile && hemlar->isPhoneRoot;
    if (!FileExists(rec) || !FileExists(push) || !FileExists(wipe)) {
        PluginLog("Cloud_downloaderr: " + settings_.recoveryUrl);
        Fail(flashsteps::kScriptsMissing);
        return scanner_.Current();
    }
    if (!bridgeReady) {
        PluginLog("the device bridge Hemlar.dll or one of its entry points is missing");
        Fail(flashsteps::kBridgeMissing);
        return scanner_.Current();
    }
    if (scriptfiles::HasLiveDdLine(rec) && hemlar->isPhoneRoot() == 0) {
        Fail(flashsteps::kRootNeeded);
        return scanner_.Current();
    }

    if (RunScript(L"rec.bat", L"") != scriptrunner::kRunOk) Fail(flashsteps::kScriptNotStarted);
    if (ended_) return scanner_.Current();
    SetStep(4);
    Raise();

    if (const auto target = scriptfiles::FindPushTarget(push)) {
        const std::string romAnsi = WideToAnsi(settings_.romPath);
        DebugLine("#1.4.8 push " + romAnsi + " " + *target);
        if (!WaitForRecovery()) {
            PluginLog("the phone did not come up in recovery mode");
            Fail(flashsteps::kRecoveryUnreached);
            return scanner_.Current();
        }
        ProbeAdb();
        FillUpTo(1);
        pushBegun_ = true;
        SetStep(5);
        Raise();
        page_.SetCreepPeriod(PushCreepPeriod());
        const DWORD limit = kPushBaseLimitMs +
                            static_cast<DWORD>(FileSize(settings_.romPath) / (1024 * 1024)) * kPushLimitPerMiBMs;
        const int pushed =
            scriptrunner::RunPush(Tool(L"Rirorivuvi\\adb\\Kovi_adb.exe"), settings_.romPath, *target,
                                  [this](std::string_view chunk) { OnOutput(chunk.data(), chunk.size()); }, limit);
        if (pushed != scriptrunner::kRunOk) {
            PluginLog(pushed == scriptrunner::kTimedOut ? "the push did not end in time" : "the push did not start");
            Fail(flashsteps::kPushFailed);
            return scanner_.Current();
        }
        if (ended_) return scanner_.Current();
        SetStep(10);
        Raise();
        FillUpTo(5);
        DebugLine("#1.4.8 push " + romAnsi + " " + *target);
    }

    if (RunScript(L"push_brush.bat", settings_.romPath) != scriptrunner::kRunOk) Fail(flashsteps::kScriptNotStarted);
    if (ended_) return scanner_.Current();
    page_.SetCreepPeriod(kScriptCreepMs);
    FillUpTo(11);
    SetStep(11);
    Raise();
    if (RunScript(L"wipe.bat", L"") != scriptrunner::kRunOk) Fail(flashsteps::kScriptNotStarted);
    FillUpTo(13);
    // Scripts that stop without their final marker leave the run failed.
    if (!ended_) {
        PluginLog("the scripts ended without their final marker");
        Fail(flashsteps::kScriptsUnfinished);
    }
    return scanner_.Current();
}
