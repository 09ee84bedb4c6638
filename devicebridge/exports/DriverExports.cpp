// ReScanDev, IsDriverRun, UpdateDriver, InstallDriver: devcon runs for the
// callers' driver work.
#include "tools/DeviceConsole.h"
#include "base/BridgeUtil.h"
#include "exports/Hemlar.h"

HEMLAR_EXPORT int HEMLAR_CALL ReScanDev() {
    RunDevcon(L"rescan");
    return 1;
}

HEMLAR_EXPORT int HEMLAR_CALL IsDriverRun(const wchar_t* hardwareId) {
    std::string output = RunDevcon(L"status " + Quoted(hardwareId));
    DebugLine("IsDriverRun" + output);
    return HasMarker(output, "Driver is running") ? 1 : 0;
}

HEMLAR_EXPORT int HEMLAR_CALL UpdateDriver(const wchar_t* infPath, const wchar_t* hardwareId) {
    RunDevcon(L"update " + Quoted(infPath) + L" " + Quoted(hardwareId));
    return 1;
}

HEMLAR_EXPORT int HEMLAR_CALL InstallDriver(const wchar_t* infPath, const wchar_t* hardwareId) {
    RunDevcon(InstallDriverArguments(IsSystem64(), infPath, hardwareId));
    return 1;
}
