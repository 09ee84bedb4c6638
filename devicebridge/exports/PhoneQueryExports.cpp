// IsConnectPhone, IsPhoneRoot, GetAndroidID, GetPhoneVersion, GetPhoneBrand,
// GetCellphoneScreenPng, AndroidPortToPC: whether a phone is attached, in
// which state, and who it is.
#include <windows.h>

#include "tools/DeviceConsole.h"
#include "base/BridgeUtil.h"
#include "exports/ExportGuard.h"
#include "exports/Hemlar.h"
#include "phone/PhoneCommands.h"
#include "phone/PhoneText.h"
#include "base/ProgramFolder.h"
#include "tools/ToolRunner.h"
#include "win32/TextConvert.h"

namespace {

constexpr int kConnectRounds = 10;
constexpr int kRestartRound = 4;
constexpr DWORD kConnectPauseMs = 800;
constexpr DWORD kVersionPauseMs = 500;

// Lets the adb tool folder's own client list the devices; it starts a server
// from there when none runs.
std::string ListDevicesWithServerTool(bool readOutput) {
    return RunToolCommand(ToolLineInFolder(AdbToolFolder(), L"RirorivUvi devices"), readOutput);
}

void RestartAdbServer() {
    ListDevicesWithServerTool(true);
    DebugLine(std::string("Hemlar   IsConnectPhone:  serverRestart"));
    CapturedOutput output;
    RunAdb(L"kill-server", output);
    DebugLine(output);
    output.clear();
    RunAdb(L"start-server", output);
    DebugLine(output);
    DebugLine(std::string("Hemlar   IsConnectPhone:  serverRestartEnd"));
}

int StateOfListedPhone(const CapturedOutput& devices) {
    DebugLine(std::string("Hemlar   IsConnectPhone:  >0"));
    if (HasMarker(devices, "offline")) {
        DebugLine(std::string("Hemlar   IsConnectPhone:  offline"));
        return -1;
    }
    if (HasMarker(devices, "recovery")) {
        DebugLine(std::string("Hemlar   IsConnectPhone:  recovery"));
        return 2;
    }
    DebugLine(std::string("Hemlar   IsConnectPhone:  others"));
    return 1;
}

// devcon's description of the phone's portable-device (WPD) interface.
std::string PortableDeviceListing() {
    return RunDevcon(L"find =wpd * ");
}

}  // namespace

HEMLAR_EXPORT int HEMLAR_CALL IsConnectPhone() {
    return GuardExport(0, [&]() -> int {
        DebugLine(std::string("Hemlar   IsConnectPhone:  begin"));
        int result = 0;
        bool restarted = false;
        for (int round = 0; round < kConnectRounds; ++round) {
            CapturedOutput devices;
            RunAdb(L"devices", devices);
            if (!devices.empty()) {
                result = StateOfListedPhone(devices);
                break;
            }
            DebugLine("Hemlar   IsConnectPhone:  <=0   " + devices);
            if (round >= kRestartRound && !restarted) {
                restarted = true;
                RestartAdbServer();
            }
            Sleep(kConnectPauseMs);
        }
        DebugLine(std::string("Hemlar   IsConnectPhone:  End"));
        return result;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL IsPhoneRoot() {
    return GuardExport(0, [&]() -> int {
        DebugLine(std::string("Hemlar_IsPhoneRoot"));
        CapturedOutput output;
        RunAdb(L"root", output);
        return HasMarker(output, "running as root") || HasMarker(output, "restarting") ||
                       HasMarker(output, "adbd cannot run as root in production builds")
                   ? 1
                   : 0;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL GetAndroidID(char* out) {
    return GuardExport(0, [&]() -> int {
        DebugLine(std::string("Hemlar_GetAndroidID_Begin"));
        DebugLine("GetAndroidID_Devices___:   " + ListDevicesWithServerTool(false));
        CapturedOutput devices;
        RunAdb(L"devices", devices);
        DebugLine(devices);
        if (!HasMarker(devices, "device")) {
            DebugLine(std::string("Hemlar_GetAndroidID_Else_End"));
            return HasMarker(devices, "recovery") ? 1 : 0;
        }
        std::string interfaces = RunDevcon(L"find USB\\Class_FF*");
        DebugLine(interfaces);
        std::string identity;
        if (!UsbIdentityFromDevconListing(interfaces, identity) || !out) {
            DebugLine(std::string("Hemlar_GetAndroidID_End"));
            return 0;
        }
        CopyToCallerBuffer(identity, out, identity.size() + 1);
        DebugLine(std::string("Hemlar_GetAndroidID_End"));
        return 1;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL GetPhoneVersion(wchar_t* out) {
    return GuardExport(0, [&]() -> int {
        CapturedOutput output;
        bool written = false;
        for (int round = 0; round < kConnectRounds; ++round) {
            RunAdb(L"devices", output);
            if (output.empty()) {
                Sleep(kVersionPauseMs);
                continue;
            }
            output.clear();
            bool answered = RunAdb(L"shell getprop ro.product.real_model", output);
            if (!output.empty()) {
                DebugLine(L"GetPhoneVersion_Length>0" + Utf8ToWide(output));
                if (HasMarker(output, "device unauthorized")) return 0;
                // An empty property prints only its line end.
                if (answered && IsOnlyLineEnds(output)) {
                    DebugLine(std::string("GetPhoneVersion_Length_Normal"));
                    answered = RunAdb(L"shell getprop ro.product.model", output);
                }
                DebugLine(std::string("GetPhoneVersion_Length>0 End"));
            }
            // The server's failure text (an offline phone, one that went away)
            // is no model.
            if (!answered) output.clear();
            if (output.empty()) {
                DebugLine(std::string("GetPhoneVersion_Length==0"));
                continue;
            }
            if (!HasMarker(output, "not found")) {
                // The phone prints its properties in UTF-8.
                const std::wstring model = Utf8ToWide(output);
                DebugLine(L"GetPhoneVersion_Else_Out_" + std::to_wstring(output.size()) + L"_" +
                          model.substr(0, kCallerBufferChars - 1) + L"_End");
                if (out) CopyToCallerBuffer(model, out);
                written = out != nullptr;
            } else {
                DebugLine(std::string("GetPhoneVersion_not found"));
                if (!IsSystem64()) DebugLine(std::string("GetPhoneVersion_Else"));
                std::string description;
                if (DescriptionFromDevconListing(PortableDeviceListing(), description) && out) {
                    CopyToCallerBuffer(AnsiToWide(description), out);
                    written = true;
                }
            }
            DebugLine(L"Hemlar   model:  " + Utf8ToWide(output));
            break;
        }
        if (written) CopyToCallerBuffer(DropFirstLineWhenMore(out), out);
        return 1;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL GetPhoneBrand(wchar_t* out) {
    return GuardExport(0, [&]() -> int {
        CapturedOutput output;
        // The server's failure text (no phone, an offline one) is no brand.
        if (!RunAdb(L"shell getprop ro.product.brand", output) || output.empty() || !out) return 0;
        if (!HasMarker(output, "not found")) {
            CopyToCallerBuffer(Utf8ToWide(output), out);  // the phone prints UTF-8
            return 1;
        }
        std::string brand;
        if (!TextAfterFirstColon(PortableDeviceListing(), brand)) return 0;
        CopyToCallerBuffer(AnsiToWide(brand), out);
        return 1;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL GetCellphoneScreenPng() {
    return GuardExport(1, [&]() -> int {
        static const wchar_t kCapture[] = L"shell /system/bin/screencap -p /sdcard/screenshot.png";
        CapturedOutput capture;
        RunAdb(kCapture, capture);
        if (HasMarker(capture, "Error opening file")) {
            DebugLine(std::string("Hemlar   GetCellphoneScreenPng:  Error opening file"));
            CapturedOutput rights;
            RunAdb(L"shell su /c mount -o remount rw /", rights);
            Sleep(300);
            RunAdb(L"shell su /c chmod 077 /sdcard", rights);
            Sleep(200);
            capture.clear();  // only the second attempt decides
            RunAdb(kCapture, capture);
        }
        std::wstring pull = L"pull /sdcard/screenshot.png \"" + ProgramFolderW() +
                            L"skin\\Torvanik\\PhoneScreen\\screenshot.png\"";
        CapturedOutput transfer;
        bool pulled = RunAdb(pull, transfer);
        DebugLine(pull);
        // The main program shows the picture when this returns 0: the capture and
        // the pull printed nothing and the file really arrived.
        return capture.empty() && transfer.empty() && pulled ? 0 : 1;
    });
}

HEMLAR_EXPORT int HEMLAR_CALL AndroidPortToPC() {
    return GuardExport(0, [&]() -> int {
        CapturedOutput output;
        RunAdb(L"forward tcp:10086 tcp:10086", output);
        return 1;
    });
}
