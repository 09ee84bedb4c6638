// The device library's exports the connection code calls, looked up by name
// at each use in the module the frame loaded. A missing module or export
// answers with the "no" value of that call.
#pragma once

#include <windows.h>

#include <string>

class DeviceBridge {
public:
    explicit DeviceBridge(HMODULE hemlar) : module_(hemlar) {}

    bool Loaded() const { return module_ != nullptr; }
    // 1 online, 2 recovery, -1 offline, 0 none (also without the export).
    int IsConnectPhone() const;
    // The phone's model text, empty when none answers.
    std::wstring PhoneVersion() const;
    // "VID_xxxx&PID_xxxx", empty when no phone answered.
    bool AndroidId(std::string& id) const;
    void InstallDriver(const std::wstring& infPath, const std::wstring& hardwareId) const;
    void ReScanDev() const;
    void AdbServerStart() const;
    // True when the screenshot arrived in the skin's PhoneScreen folder.
    bool TakeScreenshot() const;
    // 1 when the companion app left its failure marker on the phone (the app
    // is then stopped), else 0.
    int CheckFileAndKillActivity() const;
    // The physical address and the Windows version; false without the exports.
    bool PcIdentity(std::string& mac, std::string& windowsVersion) const;
    bool PullFile(const std::wstring& commandLine) const;

    // The companion app: export of the installed APK, its version code (-1
    // when the file is missing or unreadable), a plain adb command, starting
    // an activity (1 started, 2 brought to the front, else failed), the port
    // forward to the phone service, and the app's failure marker check.
    bool ExportApkByPackage(const std::wstring& package, const std::wstring& target) const;
    int ApkVersionCode(const std::wstring& apkPath) const;
    void RunCommand(const std::wstring& commandLine) const;
    int ServerStartEx(const std::wstring& package, const std::wstring& activity) const;
    bool PortToPC() const;

private:
    template <class Fn>
    Fn Export(const char* name) const {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

    HMODULE module_;
};
