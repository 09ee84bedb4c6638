// "shell:<command>": the few phone commands the tests and the benchmark use
// (getprop, setprop, echo, cat, rm, pm install / uninstall), answered in the
// raw shell protocol: the output, then the stream closes. The property
// "test.pm.install_delay_ms" makes "pm install" answer that much later, as a
// phone does while it optimises a large app; the stream stays silent until then.
#pragma once

#include "DeviceService.h"

#include <chrono>
#include <string>
#include <vector>

namespace adbdevice {

class ShellService : public DeviceService {
public:
    ShellService(const std::string& command, PhoneStore& store);
    void Receive(const char*, size_t) override {}
    size_t Produce(char* out, size_t room) override;
    bool Finished() const override { return Ready() && sent_ == output_.size(); }
    int WakeInMs() const override;

private:
    bool Ready() const { return std::chrono::steady_clock::now() >= readyAt_; }

    std::string output_;
    size_t sent_ = 0;
    std::chrono::steady_clock::time_point readyAt_;
};

}  // namespace adbdevice
