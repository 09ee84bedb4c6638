#include "UsbArrival.h"

#include <cwctype>

#include "util/Helpers.h"

const GUID kUsbDeviceInterfaceClass = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

namespace {

const GUID kWatchedClasses[] = {
    kUsbDeviceInterfaceClass,
    {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}},  // disks
    {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}},  // HID
    {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}},  // network adapters
};

// Characters of the path prefix ("\\?\USB#") before the ids are looked for.
constexpr size_t kPathPrefix = 8;

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::wstring IdAfter(const std::wstring& upperPath, const wchar_t* key) {
    const size_t at = upperPath.find(key, kPathPrefix);
    if (at == std::wstring::npos) return {};
    return upperPath.substr(at + 4, 4);
}

}  // namespace

std::wstring BroadcastDevicePath(const DEV_BROADCAST_HDR* header) {
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return {};
    const auto* broadcast = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (header->dbch_size <= nameOffset) return {};
    const size_t capacity = (header->dbch_size - nameOffset) / sizeof(wchar_t);
    return std::wstring(broadcast->dbcc_name, wcsnlen(broadcast->dbcc_name, capacity));
}

bool IsUsbDeviceBroadcast(const DEV_BROADCAST_HDR* header) {
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        header->dbch_size < offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name))
        return false;
    const auto* broadcast = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    return IsEqualGUID(broadcast->dbcc_classguid, kUsbDeviceInterfaceClass) != 0;
}

bool ParseUsbIds(const std::wstring& devicePath, UsbIds& ids) {
    const std::wstring upper = Upper(devicePath);
    UsbIds found{IdAfter(upper, L"VID_"), IdAfter(upper, L"PID_")};
    if (found.vid.size() != 4 || found.pid.size() != 4 || !IsUpperHex(found.vid) || !IsUpperHex(found.pid))
        return false;
    ids = found;
    return true;
}

bool SameDevicePath(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && Upper(a) == Upper(b);
}

bool RemovalNamesPhone(const std::wstring& phonePath, const UsbIds& phone, const std::wstring& removedPath) {
    if (!phonePath.empty()) return SameDevicePath(phonePath, removedPath);
    UsbIds removed;
    return !phone.vid.empty() && !phone.pid.empty() && ParseUsbIds(removedPath, removed) &&
           Upper(removed.vid) == Upper(phone.vid) && Upper(removed.pid) == Upper(phone.pid);
}

int RegisterDeviceBroadcasts(HWND window) {
    int registered = 0;
    for (const GUID& watched : kWatchedClasses) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = watched;
        if (!RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE)) break;
        ++registered;
    }
    return registered;
}
