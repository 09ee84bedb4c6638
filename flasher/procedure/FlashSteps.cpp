#include "FlashSteps.h"

namespace flashsteps {

namespace {

struct Row {
    const char* marker;
    const wchar_t* text;
};

const Row kRows[kRowCount] = {
    {"device-detected---", L"手机设置：调试模式及授权"},
    {"cloud-detected---", L"云端检测：刷机方案"},
    {"rec-bat-begin---", L"引导刷机：手机进入引导模式"},
    {"rec-bat+fast-find-fastbootdevices+++", L"检测引导连接"},
    {"rec-bat+fast-flash-recovery-img-done+++", L"准备刷机进程"},
    {"rec-bat-end===", L"检查刷机进程"},
    {"brush-bat-begin---", L"手机进入刷机环境"},
    {"brush-bat+adb-find-recoverydevices+++", L"检测环境连接"},
    {"brush-bat+push-lup-done+++", L"检测ROM包内更新文件"},
    {"%%", L"推送ROM包到刷机环境"},
    {"brush-bat+push-zip-done+++", L"推送ROM包结束"},
    {"minzip", L"手机解析ROM包并接受刷入"},
    {"rec-bat+wipe-done+++", L"系统清理后准备进入新ROM系统"},
    {"brush-bat+final-reboot+++", L"手机重启"},
    {"brush-bat-end===", L"恭喜，设备已完成刷机！"},
    {"brush-bat+lup-missing+++", L"ROM包已损坏"},
    {"brush-bat+zip-missing+++", L"请检查ROM包路径"},
    {"cloud+recovery-missing+++", L"没有刷机方案，请在首页提交申请"},
};

}  // namespace

const char* Marker(int step) { return step >= 0 && step < kRowCount ? kRows[step].marker : nullptr; }

std::wstring StepText(int step) {
    if (step >= 0 && step < kRowCount) return kRows[step].text;
    if (step == kRootNeeded) return L"请先ROOT！";
    switch (step) {
    case kScriptsMissing: return L"刷机方案下载失败，请稍后重试！";
    case kBridgeMissing: return L"缺少刷机组件，请重新安装本软件后重试！";
    case kRecoveryUnreached: return L"手机未能进入刷机环境，请重新连接手机后重试！";
    case kScriptNotStarted: return L"刷机脚本无法启动，请重新安装本软件后重试！";
    case kScriptsUnfinished: return L"刷机脚本意外结束，刷机未完成，请重试！";
    case kPushFailed: return L"ROM包推送失败，请重新连接手机后重试！";
    case kRecoveryDamaged: return L"本地刷机方案已损坏，请删除后重试！";
    default: return {};
    }
}

namespace {

// The failures the procedure sets itself share the wiping step's look.
bool IsSetFailure(int step) { return step >= kRootNeeded && !StepText(step).empty(); }

}  // namespace

std::wstring Title(int step) {
    if (step == 13) return L"准备体验";
    if ((step >= 11 && step <= 17) || IsSetFailure(step)) return L"正在清理";
    if (step >= 5 && step <= 10) return L"正在刷机";
    if (step >= 2 && step <= 4) return L"准备刷机";
    return L"等待设备";
}

std::wstring Animation(int step) {
    if (step == 13) return L"images/FlashingGif-6-relive.gif";
    if ((step >= 11 && step <= 17) || IsSetFailure(step)) return L"images/FlashingGif-5-wipe.gif";
    if (step >= 5 && step <= 10) return L"images/FlashingGif-4-push.gif";
    if (step >= 2 && step <= 4) return L"images/FlashingGif-3-recovery.gif";
    return L"images/FlashingGif.gif";
}

double TargetFraction(int step) {
    if (step >= 13) return 1.0;
    if (step >= 11) return 0.98;
    if (step >= 2) return 0.86;
    return 0.33;
}

std::wstring ResultText(int step) { return StepText(step == 13 ? kSucceeded : step); }

}  // namespace flashsteps
