#include "DeviceBridge.h"

#include "phone/ApkInfoRecord.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <cstdlib>

namespace {

typedef int(__cdecl* NoArgFn)();
typedef int(__cdecl* WideOutFn)(wchar_t*);
typedef int(__cdecl* NarrowOutFn)(char*);
typedef int(__cdecl* TwoWideFn)(const wchar_t*, const wchar_t*);
typedef int(__cdecl* WideInFn)(const wchar_t*);
// The record comes back by value; on 32-bit x86 the callee leaves the hidden
// return pointer on the stack, as the library's compiler does.
#if defined(__GNUC__) && defined(__i386__)
typedef ApkInfoRecord(__cdecl* ApkInfoFn)(const char*, char*) __attribute__((callee_pop_aggregate_return(0)));
#else
typedef ApkInfoRecord(__cdecl* ApkInfoFn)(const char*, char*);
#endif

}  // namespace

int DeviceBridge::IsConnectPhone() const {
    auto fn = Export<NoArgFn>("IsConnectPhone");
    return fn ? fn() : 0;
}

std::wstring DeviceBridge::PhoneVersion() const {
    auto fn = Export<WideOutFn>("GetPhoneVersion");
    wchar_t model[260] = {};
    if (fn) fn(model);
    // The model arrives as the phone printed it, line end included.
    std::wstring text(model, BoundedLength(model, 260));
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

bool DeviceBridge::AndroidId(std::string& id) const {
    auto fn = Export<NarrowOutFn>("GetAndroidID");
    char buffer[18] = {};
    if (!fn || !fn(buffer)) return false;
    id.assign(buffer, BoundedLength(buffer, sizeof buffer));
    return true;
}

void DeviceBridge::InstallDriver(const std::wstring& infPath, const std::wstring& hardwareId) const {
    if (auto fn = Export<TwoWideFn>("InstallDriver")) fn(infPath.c_str(), hardwareId.c_str());
}

void DeviceBridge::ReScanDev() const {
    if (auto fn = Export<NoArgFn>("ReScanDev")) fn();
}

void DeviceBridge::AdbServerStart() const {
    if (auto fn = Export<NoArgFn>("AdbServerStart")) fn();
}

bool DeviceBridge::TakeScreenshot() const {
    auto fn = Export<NoArgFn>("GetCellphoneScreenPng");
    return fn && fn() == 0;
}

bool DeviceBridge::PcIdentity(std::string& mac, std::string& windowsVersion) const {
    auto getMac = Export<NarrowOutFn>("GetHDiskMac");
    auto getVersion = Export<WideOutFn>("GetWindowsVersion");
    if (!getMac || !getVersion) return false;
    char macText[260] = {};
    wchar_t version[260] = {};
    getMac(macText);
    getVersion(version);
    mac.assign(macText, BoundedLength(macText, sizeof macText));
    windowsVersion = WideToAnsi(std::wstring(version, BoundedLength(version, 260)));
    return true;
}

bool DeviceBridge::PullFile(const std::wstring& commandLine) const {
    auto fn = Export<WideInFn>("AdbPullFile");
    return fn && fn(commandLine.c_str()) == 1;
}

bool DeviceBridge::ExportApkByPackage(const std::wstring& package, const std::wstring& target) const {
    auto fn = Export<TwoWideFn>("ExportAndroidApkByPackageName");
    return fn && fn(package.c_str(), target.c_str()) == 1;
}

int DeviceBridge::ApkVersionCode(const std::wstring& apkPath) const {
    auto fn = Export<ApkInfoFn>("GetDumpApkInfo");
    if (!fn || !FileExists(apkPath)) return -1;
    ApkInfoRecord scratch = {};
    ApkInfoRecord info = fn(WideToAnsi(apkPath).c_str(), reinterpret_cast<char*>(&scratch));
    const size_t length = BoundedLength(info.versionCode, sizeof info.versionCode);
    if (length == 0) return -1;
    for (size_t i = 0; i < length; ++i)
        if (info.versionCode[i] < '0' || info.versionCode[i] > '9') return -1;
    return std::atoi(info.versionCode);
}

void DeviceBridge::RunCommand(const std::wstring& commandLine) const {
    if (auto fn = Export<WideInFn>("AdbRunCommand")) fn(commandLine.c_str());
}

int DeviceBridge::ServerStartEx(const std::wstring& package, const std::wstring& activity) const {
    auto fn = Export<TwoWideFn>("AdbServerStartEx");
    return fn ? fn(package.c_str(), activity.c_str()) : 0;
}

bool DeviceBridge::PortToPC() const {
    auto fn = Export<NoArgFn>("AndroidPortToPC");
    return fn && fn() == 1;
}

int DeviceBridge::CheckFileAndKillActivity() const {
    auto fn = Export<NoArgFn>("CheckFileAndKillActivity");
    return fn ? fn() : 0;
}
