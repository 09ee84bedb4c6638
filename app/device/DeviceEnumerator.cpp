#include "DeviceEnumerator.h"

#include <setupapi.h>
#include <cfgmgr32.h>

#include <vector>

namespace {

// The first string of a multi-string registry property; false when the
// property cannot be read.
bool FirstString(HDEVINFO devices, SP_DEVINFO_DATA& info, DWORD property, std::wstring& out) {
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(devices, &info, property, nullptr, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<BYTE> buffer(size + sizeof(wchar_t) * 2, 0);
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &info, property, nullptr, buffer.data(), size, nullptr))
        return false;
    out = reinterpret_cast<const wchar_t*>(buffer.data());
    return true;
}

}  // namespace

std::vector<UsbDeviceNode> SetupApiDeviceEnumerator::PresentUsbDevices() {
    std::vector<UsbDeviceNode> nodes;
    HDEVINFO devices = SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE) return nodes;
    SP_DEVINFO_DATA info = {};
    info.cbSize = sizeof info;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &info); ++index) {
        UsbDeviceNode node;
        if (!FirstString(devices, info, SPDRP_COMPATIBLEIDS, node.compatibleId) ||
            !FirstString(devices, info, SPDRP_HARDWAREID, node.hardwareId))
            continue;
        DWORD size = 0;
        SetupDiGetDeviceInstanceIdW(devices, &info, nullptr, 0, &size);
        std::vector<wchar_t> id(size + 1, L'\0');
        if (size == 0 || !SetupDiGetDeviceInstanceIdW(devices, &info, id.data(), size + 1, nullptr)) continue;
        node.instanceId = id.data();
        nodes.push_back(node);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return nodes;
}

bool SetupApiDeviceEnumerator::NodeStatus(const std::wstring& instanceId, ULONG& status) {
    DEVINST node = 0;
    std::wstring id = instanceId;
    if (CM_Locate_DevNodeW(&node, &id[0], CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS) return false;
    ULONG problem = 0;
    return CM_Get_DevNode_Status(&status, &problem, node, 0) == CR_SUCCESS;
}
