// What the install report says about the PC, asked of the device bridge
// (Hemlar.dll) beside the running updater.
#pragma once

#include <string>

struct DeviceFacts {
    std::string os;   // the Windows product name in the ANSI code page; empty without the bridge
    std::string mac;  // the disk MAC; "-" when the bridge gave none, empty without the bridge
};

DeviceFacts AskDeviceBridge();
