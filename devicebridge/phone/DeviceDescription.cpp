#include "phone/DeviceDescription.h"

#include "base/BridgeUtil.h"
#include "phone/PhoneText.h"

namespace {

// The device console's description: what follows the first ":" of its listing.
bool WriteTextAfterColon(const std::string& listing, wchar_t* out) {
    size_t colon = listing.find(':');
    if (colon == std::string::npos) return false;
    CopyToCallerBuffer(WidenAnsi(listing.substr(colon + 1)), out);
    return true;
}

}  // namespace

bool UsbIdentityFromInterfacePath(const std::wstring& path, std::wstring& identity) {
    // The identity runs from offset 8 (after \\?\USB#) to the end of the
    // product id, as many characters as "PID_" stands from the start.
    size_t pid = path.find(L"PID_");
    if (pid == std::wstring::npos || 8 + pid > path.size()) return false;
    std::wstring candidate = path.substr(8, pid);
    if (!IsUsbIdentity(NarrowAnsi(candidate))) return false;
    identity = candidate;
    return true;
}

int DescribeDevice(const wchar_t* interfacePath, wchar_t* out, bool system64, const DeviceManagerTools& tools) {
    std::wstring identity;
    if (!interfacePath || !UsbIdentityFromInterfacePath(interfacePath, identity)) return 0;
    if (!system64) return 1;
    const std::string narrowIdentity = NarrowAnsi(identity);

    DebugLine(std::string("PNT devcon_x64  GetDevpBrandModel  Begin"));
    if (tools.devcon(L"find =wpd * ").empty()) {
        tools.startListing(identity);
        DebugLine(std::string("PNT devcon_x64  GetDevpBrandModel 64 False"));
        return 0;
    }

    DebugLine(std::string("PNT devcon_x86  find  wpd"));
    std::string mtp = tools.devcon(L"find *mtp");
    if (HasMarker(mtp, narrowIdentity.c_str()) && WriteTextAfterColon(mtp, out)) {
        DebugLine(std::string("PNT devcon_x64  GetDevpBrandModel 64 True"));
        return 1;
    }

    if (tools.adbDevices().empty()) return 0;

    std::string hwids = tools.devcon(L"hwids \"USB\\" + identity + L"\" ");
    size_t at = hwids.find(narrowIdentity);
    // The description starts 18 characters after the identity (past it and
    // the backslash before the instance id); a shorter listing has none.
    if (at == std::string::npos || at + 18 >= hwids.size()) return 0;
    std::string description = hwids.substr(at + 18);
    CopyToCallerBuffer(WidenAnsi(description), out);
    if (description[0] <= '9') {
        DebugLine(std::string("PNT devcon_x64  GetDevpBrandModel 64 False"));
        return 0;
    }
    DebugLine(std::string("PNT devcon_x64  GetDevpBrandModel 64 True"));
    return 1;
}
