#include "DeviceBridge.h"

#include "win32/TextConvert.h"

namespace {

typedef int(__cdecl* NoArgFn)();
typedef int(__cdecl* WideOutFn)(wchar_t*);
typedef int(__cdecl* NarrowOutFn)(char*);
typedef int(__cdecl* TwoWideFn)(const wchar_t*, const wchar_t*);
typedef int(__cdecl* WideInFn)(const wchar_t*);

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

int DeviceBridge::CheckFileAndKillActivity() const {
    auto fn = Export<NoArgFn>("CheckFileAndKillActivity");
    return fn ? fn() : 0;
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
