// The present USB devices and their node status, as the driver check needs
// them. The system's device installer answers in the program; tests give
// their own devices and problem codes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct UsbDeviceNode {
    std::wstring hardwareId;    // the first hardware id
    std::wstring compatibleId;  // the first compatible id
    std::wstring instanceId;
};

class IDeviceEnumerator {
public:
    virtual ~IDeviceEnumerator() = default;
    // Present devices of the "USB" enumerator whose hardware and compatible
    // ids could both be read.
    virtual std::vector<UsbDeviceNode> PresentUsbDevices() = 0;
    // The node's status bits (DN_*); false when the node cannot be found.
    virtual bool NodeStatus(const std::wstring& instanceId, ULONG& status) = 0;
};

// Over SetupDi* and CM_*.
class SetupApiDeviceEnumerator : public IDeviceEnumerator {
public:
    std::vector<UsbDeviceNode> PresentUsbDevices() override;
    bool NodeStatus(const std::wstring& instanceId, ULONG& status) override;
};
