// One service stream opened on the device ("sync:", "shell:..."): takes the
// bytes the host writes and produces the bytes the device answers.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace adbdevice {

class PhoneStore;

class DeviceService {
public:
    virtual ~DeviceService() = default;
    // Bytes of one WRTE from the host.
    virtual void Receive(const char* data, size_t size) = 0;
    // Fills at most `room` bytes of the next WRTE to the host; 0 when there
    // is nothing to send now.
    virtual size_t Produce(char* out, size_t room) = 0;
    // True once the service has said everything and the stream may close.
    virtual bool Finished() const = 0;
    // Milliseconds until the service has something to say without a packet
    // from the host (a slow command's output); -1 when it waits on the host.
    virtual int WakeInMs() const { return -1; }
};

// The service for an OPEN destination, or none for an unknown one.
std::unique_ptr<DeviceService> OpenService(const std::string& destination, PhoneStore& store);

}  // namespace adbdevice
