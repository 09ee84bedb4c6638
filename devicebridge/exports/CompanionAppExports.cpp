// AdbServerStart, AdbServerStartEx, AdbServerConnectStart,
// AdbServerBackupStart, AdbServerRestoreStart: start the companion app
// (com.vandrell.mrtq) and its services on the phone, installing the shipped
// "gov.apk" when the app is missing.
#include <windows.h>

#include "tools/DeviceConsole.h"
#include "base/BridgeUtil.h"
#include "exports/Hemlar.h"
#include "phone/PhoneCommands.h"
#include "base/ProgramFolder.h"

namespace {

constexpr DWORD kDevicePauseMs = 300;

// Installs the companion app shipped beside the program; the path is quoted
// so a program folder with blanks works.
void InstallShippedApp(CapturedOutput& output) {
    std::wstring line = L"install -r " + Quoted((ProgramFolderW() + L"gov.apk").c_str());
    DebugLine(line);
    RunAdb(line, output);
}

int StartService(const wchar_t* component) {
    CapturedOutput output;
    if (!WaitForListedPhone(output, kDevicePauseMs)) return 0;
    RunAdb(std::wstring(L"shell am startservice --user 0 -n ") + component, output);
    return HasMarker(output, "Not found") ? 0 : 1;
}

}  // namespace

HEMLAR_EXPORT int HEMLAR_CALL AdbServerStart() {
    static const wchar_t kStart[] = L"shell am start --user 0 -n com.vandrell.mrtq/com.vandrell.mrtq.StartActivity_";
    DebugLine(std::string("TORVANIKDLL_API_AdbServerStart"));
    CapturedOutput output;
    if (!WaitForListedPhone(output, kDevicePauseMs)) return 0;
    RunAdb(kStart, output);
    if (!HasMarker(output, "Error")) return 1;
    DebugLine(std::string("TORVANIKDLL_API_AdbServerStar___Install"));
    InstallShippedApp(output);
    RunAdb(kStart, output);
    return 0;  // the caller tries again later
}

HEMLAR_EXPORT int HEMLAR_CALL AdbServerStartEx(const wchar_t* packageName, const wchar_t* activity) {
    DebugLine(std::string("TORVANIKDLL_API_AdbServerStartEx__Begin"));
    std::wstring start = L"shell am start --user 0 -n " + std::wstring(packageName ? packageName : L"") + L"/" +
                         std::wstring(activity ? activity : L"");
    CapturedOutput output;
    if (!FitsCommandLine(start) || !WaitForListedPhone(output, kDevicePauseMs)) return 0;
    RunAdb(start, output);
    DebugLine(output);
    int result = 0;
    if (HasMarker(output, "its current task has been brought to the front")) {
        DebugLine(std::string("AdbServerStartEx   return 2;"));
        return 2;
    }
    if (!HasMarker(output, "Error")) {
        DebugLine(std::string("AdbServerStartEx   b_Ret =  TRUE"));
        result = 1;
    } else {
        DebugLine(std::string("TORVANIKDLL_API_AdbServerStartEx___Install"));
        InstallShippedApp(output);
        RunAdb(start, output);
    }
    DebugLine(std::string("TORVANIKDLL_API_AdbServerStartEx__End"));
    return result;
}

HEMLAR_EXPORT int HEMLAR_CALL AdbServerConnectStart() {
    return StartService(L"com.vandrell.mrtq/com.vandrell.mrtq.app.ConnectService");
}

HEMLAR_EXPORT int HEMLAR_CALL AdbServerBackupStart() {
    return StartService(L"com.vandrell.mrtq/com.vandrell.mrtq.service.BackupService");
}

HEMLAR_EXPORT int HEMLAR_CALL AdbServerRestoreStart() {
    return StartService(L"com.vandrell.mrtq/com.vandrell.mrtq.service.RecoverService");
}
