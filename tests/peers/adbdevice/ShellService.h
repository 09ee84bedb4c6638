// "shell:<command>": the few phone commands the tests and the benchmark use
// (getprop, echo, cat, rm, pm install / uninstall), answered in the raw
// shell protocol: the output, then the stream closes.
#pragma once

#include "DeviceService.h"

#include <string>
#include <vector>

namespace adbdevice {

class ShellService : public DeviceService {
public:
    ShellService(const std::string& command, PhoneStore& store);
    void Receive(const char*, size_t) override {}
    size_t Produce(char* out, size_t room) override;
    bool Finished() const override { return sent_ == output_.size(); }

private:
    std::string output_;
    size_t sent_ = 0;
};

}  // namespace adbdevice
