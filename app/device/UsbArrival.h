// Reading Windows device-interface broadcasts: which ones name a USB device,
// its device path (within the broadcast's declared size) and the USB vendor
// and product ids in that path.
#pragma once

#include <windows.h>
#include <dbt.h>

#include <string>

struct UsbIds {
    std::wstring vid, pid;  // four upper-case hexadecimal digits each
};

// The interface class of USB devices; a phone arrives under it.
extern const GUID kUsbDeviceInterfaceClass;

// The path of a device-interface broadcast, read no further than its
// declared size; empty for any other broadcast.
std::wstring BroadcastDevicePath(const DEV_BROADCAST_HDR* header);

// True for a device-interface broadcast of the USB device class.
bool IsUsbDeviceBroadcast(const DEV_BROADCAST_HDR* header);

// The four characters after "VID_" and after "PID_" (searched from the 9th
// character on, without regard to case) as upper-case hexadecimal. False
// when either is missing or not four hexadecimal digits.
bool ParseUsbIds(const std::wstring& devicePath, UsbIds& ids);

// Device paths name the same device when they are equal without regard to case.
bool SameDevicePath(const std::wstring& a, const std::wstring& b);

// True when a removed device is the known phone: the same device path when
// the phone's USB arrival gave one; else (a phone found by the start-up
// probe or by connecting on request) a path with the phone's VID and PID.
// Nothing is the phone while no phone is known.
bool RemovalNamesPhone(const std::wstring& phonePath, const UsbIds& phone, const std::wstring& removedPath);

// Registers the window for device-interface broadcasts of USB devices,
// disks, HID devices and network adapters, stopping at the first refusal.
// Returns how many classes were registered.
int RegisterDeviceBroadcasts(HWND window);
