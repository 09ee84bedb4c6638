// One connection from an adb server: answers its CNXN at once (no
// authentication), then runs the streams it opens until it disconnects.
#pragma once

#include <string>

namespace adbdevice {

class PhoneStore;

// `banner` is the CNXN identity, e.g. "device::ro.product.model=X;".
void ServeTransport(int fd, PhoneStore& store, const std::string& banner);

}  // namespace adbdevice
