#include "DeviceTransport.h"

#include "AdbPacket.h"
#include "DeviceService.h"
#include "PhoneStore.h"
#include "ShellService.h"
#include "SyncService.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <poll.h>
#include <vector>

namespace adbdevice {

std::unique_ptr<DeviceService> OpenService(const std::string& destination, PhoneStore& store) {
    if (destination == "sync:") return std::make_unique<SyncService>(store);
    if (destination.compare(0, 6, "shell:") == 0) return std::make_unique<ShellService>(destination.substr(6), store);
    return nullptr;
}

namespace {

struct Stream {
    uint32_t hostId = 0;
    bool awaitingOkay = false;  // one WRTE in flight until the host's OKAY
    std::unique_ptr<DeviceService> service;
};

class Transport {
public:
    Transport(int fd, PhoneStore& store) : fd_(fd), channel_(fd), store_(store) {}

    void Run(const std::string& banner) {
        PacketHeader header;
        std::vector<char> payload;
        for (;;) {
            // A stream whose service will speak on its own (a slow command)
            // is pumped when its time comes, with no packet from the host.
            int wake = NextWakeMs();
            if (wake >= 0) {
                pollfd readable = {fd_, POLLIN, 0};
                int ready = poll(&readable, 1, wake);
                if (ready < 0 && errno != EINTR) return;
                if (ready <= 0) {
                    PumpAll();
                    continue;
                }
            }
            if (!channel_.Read(header, payload)) return;
            switch (header.command) {
            case kCommandConnect:
                maxPayload_ = std::min<uint32_t>(std::max<uint32_t>(header.arg1, 4096), kMaxPayload);
                channel_.SetChecksums(header.arg0 < kVersionSkipChecksum);
                channel_.Write(kCommandConnect, std::min(header.arg0, kVersionSkipChecksum), kMaxPayload,
                               banner.data(), banner.size());
                break;
            case kCommandOpen:
                Open(header.arg0, std::string(payload.data(), strnlen(payload.data(), payload.size())));
                break;
            case kCommandWrite:
                Write(header.arg1, header.arg0, payload);
                break;
            case kCommandOkay:
                if (auto* s = Find(header.arg1)) {
                    s->awaitingOkay = false;
                    Pump(header.arg1);
                }
                break;
            case kCommandClose:
                streams_.erase(header.arg1);
                break;
            default:
                break;
            }
        }
    }

private:
    int NextWakeMs() const {
        int next = -1;
        for (const auto& [id, stream] : streams_) {
            int wake = stream.service->WakeInMs();
            if (wake >= 0 && (next < 0 || wake < next)) next = wake;
        }
        return next;
    }

    void PumpAll() {
        std::vector<uint32_t> ids;
        for (const auto& [id, stream] : streams_) ids.push_back(id);
        for (uint32_t id : ids) Pump(id);
    }

    Stream* Find(uint32_t id) {
        auto found = streams_.find(id);
        return found == streams_.end() ? nullptr : &found->second;
    }

    void Open(uint32_t hostId, const std::string& destination) {
        auto service = OpenService(destination, store_);
        if (!service) {
            channel_.Write(kCommandClose, 0, hostId, nullptr, 0);
            return;
        }
        uint32_t id = nextId_++;
        streams_[id] = Stream{hostId, false, std::move(service)};
        channel_.Write(kCommandOkay, id, hostId, nullptr, 0);
        Pump(id);
    }

    void Write(uint32_t id, uint32_t hostId, const std::vector<char>& payload) {
        Stream* s = Find(id);
        if (!s) {
            channel_.Write(kCommandClose, 0, hostId, nullptr, 0);
            return;
        }
        // Acknowledged before it is handled, so the host sends the next
        // packet while this one is being written out.
        channel_.Write(kCommandOkay, id, s->hostId, nullptr, 0);
        s->service->Receive(payload.data(), payload.size());
        Pump(id);
    }

    // Sends what the stream has to say, one WRTE at a time, and closes it
    // once its service is finished.
    void Pump(uint32_t id) {
        Stream* s = Find(id);
        if (!s || s->awaitingOkay) return;
        size_t n = s->service->Produce(channel_.Payload(), maxPayload_);
        if (n > 0) {
            channel_.Write(kCommandWrite, id, s->hostId, n);
            s->awaitingOkay = true;
        } else if (s->service->Finished()) {
            channel_.Write(kCommandClose, id, s->hostId, nullptr, 0);
            streams_.erase(id);
        }
    }

    int fd_;
    PacketChannel channel_;
    PhoneStore& store_;
    uint32_t maxPayload_ = 4096;
    uint32_t nextId_ = 1;
    std::map<uint32_t, Stream> streams_;
};

}  // namespace

void ServeTransport(int fd, PhoneStore& store, const std::string& banner) {
    Transport(fd, store).Run(banner);
}

}  // namespace adbdevice
