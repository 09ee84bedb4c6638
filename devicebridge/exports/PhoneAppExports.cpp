// AdbPullFile, AdbPushFile, AdbRunCommand, AdbRunningApp, ExportAndroidApk,
// ExportAndroidApkByPackageName, InstallAndroidApp, CheckFileAndKillActivity:
// files and apps on the phone.
#include <windows.h>

#include "tools/DeviceConsole.h"
#include "base/BridgeUtil.h"
#include "exports/ExportGuard.h"
#include "exports/Hemlar.h"
#include "phone/PhoneCommands.h"
#include "phone/PhoneText.h"
#include "win32/TextConvert.h"

namespace {

constexpr DWORD kInstallPauseMs = 300;

// "pull "<phone path>" "<PC path>"", or empty when it does not fit.
std::wstring PullLine(const wchar_t* phonePath, const wchar_t* pcPath) {
    std::wstring line = L"pull " + Quoted(phonePath) + L" " + Quoted(pcPath);
    return FitsCommandLine(line) ? line : std::wstring();
}

// A pull or push prints nothing when it worked, so its own result decides.
bool RunTransfer(const std::wstring& line, CapturedOutput& output) {
    return !line.empty() && RunAdb(line, output) && output.empty();
}

}  // namespace

HEMLAR_EXPORT int HEMLAR_CALL AdbPullFile(const wchar_t* commandLine) {
    return GuardExport(0, [&]() -> int {
        CapturedOutput output;
        bool transferred = commandLine && RunTransfer(commandLine, output);
        DebugLine(std::string("AdbPullFile____1"));
        DebugLine(std::wstring(commandLine ? commandLine : L""));
        DebugLine(output);
        DebugLine(std::string("AdbPullFile____2"));
        return transferred ? 1 : 0;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL AdbPushFile(const wchar_t* commandLine) {
    return GuardExport(0, [&]() -> int {
        if (!commandLine) return 0;
        CapturedOutput output;
        // A transfer reports success by printing nothing; any other line (the
        // flashing plug-in probes with "devices") by printing something.
        if (IsTransferCommandLine(commandLine)) return RunTransfer(commandLine, output) ? 1 : 0;
        RunAdb(commandLine, output);
        return output.empty() ? 0 : 1;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL AdbRunCommand(const wchar_t* commandLine) {
    return GuardExport(0, [&]() -> int {
        CapturedOutput output;
        if (commandLine) RunAdb(commandLine, output);
        return 1;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL AdbRunningApp(const char* name) {
    return GuardExport(0, [&]() -> int {
        if (!name || !*name) return 0;
        CapturedOutput processes;
        RunAdb(L"shell ps", processes);
        // The phone lists its processes in UTF-8; the caller's name is ANSI.
        return HasMarker(processes, WideToUtf8(AnsiToWide(name)).c_str()) ? 1 : 0;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL ExportAndroidApk(const wchar_t* phonePath, const wchar_t* pcPath) {
    return GuardExport(0, [&]() -> int {
        std::wstring line = PullLine(phonePath, pcPath);
        DebugLine(line);
        CapturedOutput output;
        bool transferred = RunTransfer(line, output);
        DebugLine(output);
        return transferred ? 1 : 0;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL ExportAndroidApkByPackageName(const wchar_t* packageName, const wchar_t* pcPath) {
    return GuardExport(0, [&]() -> int {
        DebugLine(std::string("ExportAndroidApkByPackageName___Begin"));
        std::wstring query = L"shell pm path " + Quoted(packageName);
        CapturedOutput output;
        std::string phonePath;
        if (!FitsCommandLine(query) || (RunAdb(query, output), !PackagePathFromPmReply(output, phonePath))) {
            DebugLine(std::string("Apk无法导出"));
            return 0;
        }
        DebugLine(L"ExportAndroidApkByPackageName___路径存在" + Utf8ToWide(output));
        // The phone prints its paths in UTF-8.
        std::wstring pull = PullLine(Utf8ToWide(phonePath).c_str(), pcPath);
        DebugLine(pull);
        CapturedOutput transfer;
        bool transferred = RunTransfer(pull, transfer);
        DebugLine(std::string("ExportAndroidApkByPackageName___End"));
        return transferred ? 1 : 0;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL InstallAndroidApp(const char* apkPath) {
    return GuardExport(0, [&]() -> int {
        CapturedOutput output;
        if (!WaitForListedPhone(output, kInstallPauseMs, "InstallAndroidApp Install Sleep")) return 0;
        std::wstring line = L"install -r " + Quoted(AnsiToWide(apkPath ? apkPath : "").c_str());
        if (!FitsCommandLine(line)) return 0;
        RunAdb(line, output);
        DebugLine(L"InstallAndroidApp" + line);
        if (HasMarker(output, "Success")) {
            DebugLine(std::string("InstallAndroidApp Install TRUE"));
            return 1;
        }
        DebugLine(std::string("InstallAndroidApp Install FALSE"));
        return 0;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL CheckFileAndKillActivity() {
    return GuardExport(0, [&]() -> int {
        CapturedOutput listing;
        RunAdb(L"shell ls /sdcard/doruvadedi", listing);
        if (!HasMarker(listing, "log_error")) return 0;
        CapturedOutput stop;
        RunAdb(L"shell am force-stop com.vandrell.mrtq", stop);
        return 1;
    });
}
