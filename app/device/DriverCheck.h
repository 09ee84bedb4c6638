// The USB driver check after a phone arrives: ask the web service for the
// phone's driver package, find the phone's ADB interface among the present
// USB devices and, when its node reports a problem, download the package,
// unpack it and install its INF through the device library.
#pragma once

#include <string>

#include "device/DeviceBridge.h"
#include "device/DeviceEnumerator.h"
#include "web/WebHosts.h"

enum class DriverOutcome {
    NoReply,          // the service did not answer with JSON
    NoDriverOffered,  // no "down", or a "down" beginning "error"
    NoMatchingDevice,
    DriverWorks,
    NotInstallable,   // a package whose "type" is not "2"
    PackageFailed,    // the download or the unpacking failed: nothing installed
    Installed,
};

struct DriverCheckContext {
    IDeviceEnumerator& devices;
    const DeviceBridge& bridge;
    WebEndpoint api;
    std::wstring tempFolder;  // with a trailing backslash; the packages go below "KoviBrush"
};

// The hardware id the ADB interface's driver is installed for.
extern const wchar_t kAdbHardwareId[];

// True when a device is the phone's ADB interface: its first hardware id
// holds the PID and its first compatible id the ADB class signature.
bool IsAdbInterfaceOf(const UsbDeviceNode& node, const std::wstring& pid);

DriverOutcome CheckAndInstallDriver(const std::wstring& vid, const std::wstring& pid, DriverCheckContext& context);
