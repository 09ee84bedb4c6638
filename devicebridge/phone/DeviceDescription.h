// A phone's description from the Windows device manager, found through
// devcon for the USB identity in its device interface path.
#pragma once

#include <functional>
#include <string>

// "VID_xxxx&PID_xxxx" of a device interface path of the form
// \\?\USB#VID_xxxx&PID_xxxx#...; false when the path has another form.
bool UsbIdentityFromInterfacePath(const std::wstring& path, std::wstring& identity);

// What the lookup runs: the x64 devcon with arguments (read output), the adb
// device list, and the detached listing left in the tool folder.
struct DeviceManagerTools {
    std::function<std::string(const std::wstring& arguments)> devcon;
    std::function<std::string()> adbDevices;
    std::function<void(const std::wstring& identity)> startListing;
};

// Writes the description into out (260 characters) and returns 1, or
// returns 0; on 32-bit Windows returns 1 at once without writing.
int DescribeDevice(const wchar_t* interfacePath, wchar_t* out, bool system64, const DeviceManagerTools& tools);
