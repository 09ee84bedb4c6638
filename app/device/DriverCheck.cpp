#include "DriverCheck.h"

#include <cfgmgr32.h>


#include "ZipUtils.h"
#include "log/Log.h"
#include "net/ApiRequests.h"
#include "net/JsonReply.h"
#include "net/WebApi.h"
#include "util/Helpers.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

const wchar_t kAdbHardwareId[] = L"USB\\Class_FF&SubClass_42&Prot_01";

namespace {

// Downloads the package, unpacks it beside itself and installs its INF.
DriverOutcome InstallPackage(const std::wstring& vid, const std::wstring& pid, const Json::Value& reply,
                             DriverCheckContext& context) {
    const std::wstring folder = context.tempFolder + L"KoviBrush\\" + vid + pid;
    const std::wstring zip = folder + L".zip";
    CreateFolderTree(folder);
    // A failed download (an error status, a cut connection) is never
    // unpacked or installed: the phone is still identified afterwards.
    if (DownloadUrlToFile(Utf8ToWide(JsonText(reply, "down")), zip) != 100) return DriverOutcome::PackageFailed;
    if (!UnzipWithBackup(zip.c_str(), (folder + L"\\").c_str(), nullptr, {})) return DriverOutcome::PackageFailed;
    if (JsonText(reply, "type") != "2") return DriverOutcome::NotInstallable;
    CLog::AgentLog(L"TrytoConncetAndroid_Install_inf_Driver");
    context.bridge.InstallDriver(folder + L"\\" + Utf8ToWide(JsonText(reply, "mainName")), kAdbHardwareId);
    return DriverOutcome::Installed;
}

}  // namespace

bool IsAdbInterfaceOf(const UsbDeviceNode& node, const std::wstring& pid) {
    return !pid.empty() && node.hardwareId.find(pid) != std::wstring::npos &&
           node.compatibleId.find(L"Class_ff") != std::wstring::npos &&
           node.compatibleId.find(L"SubClass_42&Prot_01") != std::wstring::npos;
}

DriverOutcome CheckAndInstallDriver(const std::wstring& vid, const std::wstring& pid, DriverCheckContext& context) {
    CLog::AgentLog(L"TrytoConncetAndroid_recobery_json");
    Json::Value reply;
    if (!ParseJsonObject(HttpGetToString(DriversPath(WideToAnsi(vid), WideToAnsi(pid)), context.api), reply))
        return DriverOutcome::NoReply;
    const std::string down = JsonText(reply, "down");
    if (down.empty()) return DriverOutcome::NoDriverOffered;
    if (down.compare(0, 5, "error") == 0) {
        CLog::AgentLog(L"TrytoConncetAndroid_Server_NotFound_DriverUrl");
        return DriverOutcome::NoDriverOffered;
    }
    for (const UsbDeviceNode& node : context.devices.PresentUsbDevices()) {
        if (!IsAdbInterfaceOf(node, pid)) continue;
        ULONG status = 0;
        if (!context.devices.NodeStatus(node.instanceId, status)) continue;
        if (!(status & DN_HAS_PROBLEM)) {
            CLog::AgentLog(L"TrytoConncetAndroid_Driver_Normal");
            return DriverOutcome::DriverWorks;
        }
        CLog::AgentLog(L"TrytoConncetAndroid_Driver_Fail");
        return InstallPackage(vid, pid, reply, context);
    }
    return DriverOutcome::NoMatchingDevice;
}
