// GetDevpBrandModel: the device manager's description of a phone.
#include <windows.h>
#include <shellapi.h>

#include "tools/DeviceConsole.h"
#include "phone/DeviceDescription.h"
#include "exports/Hemlar.h"
#include "phone/PhoneCommands.h"
#include "tools/ToolRunner.h"

namespace {

// Leaves devcon's listing for the identity in the tool folder's
// "Zidezuvazu.txt", without waiting for it.
void StartListing(const std::wstring& identity) {
    std::wstring parameters =
        L"/c " + ToolLineInFolder(AndroidToolFolder(), L"devcon_x64 find \"" + identity + L"*\" > Zidezuvazu.txt");
    ShellExecuteW(nullptr, L"open", L"cmd.exe", parameters.c_str(), nullptr, SW_HIDE);
}

}  // namespace

HEMLAR_EXPORT int HEMLAR_CALL GetDevpBrandModel(const wchar_t* interfacePath, wchar_t* out) {
    DeviceManagerTools tools;
    tools.devcon = [](const std::wstring& arguments) { return RunToolCommand(DevconLine(true, arguments)); };
    tools.adbDevices = [] {
        CapturedOutput devices;
        RunAdb(L"devices", devices);
        return devices;
    };
    tools.startListing = StartListing;
    return DescribeDevice(interfacePath, out, IsSystem64(), tools);
}
