// The device side of the file sync protocol: STAT, LIST, SEND (with DATA and
// DONE), RECV and QUIT, on files of the phone store.
#pragma once

#include "DeviceService.h"

#include <cstdint>
#include <string>

namespace adbdevice {

class SyncService : public DeviceService {
public:
    explicit SyncService(PhoneStore& store) : store_(store) {}
    ~SyncService() override;
    void Receive(const char* data, size_t size) override;
    size_t Produce(char* out, size_t room) override;
    bool Finished() const override { return finished_ && outbox_.empty() && recvFd_ < 0; }

private:
    void Consume(const char* data, size_t size);
    void Handle(const char id[4], uint32_t value, const std::string& body);
    void Answer(const char id[4], uint32_t value, const std::string& body = {});
    void Fail(const std::string& message) { Answer("FAIL", static_cast<uint32_t>(message.size()), message); }
    void Stat(const std::string& remote);
    void List(const std::string& remote);
    void BeginSend(const std::string& pathAndMode);
    void WriteData(const char* data, size_t size);
    void EndSend(uint32_t time);
    void BeginReceive(const std::string& remote);
    size_t TakeOutbox(char* out, size_t room);
    // Parses what the host wrote while a file was being sent to it.
    void Resume();

    PhoneStore& store_;
    std::string request_;      // header and path of the request being read
    std::string stash_;        // host bytes held back while a RECV runs
    std::string outbox_;       // answers not yet sent
    size_t outboxSent_ = 0;
    uint32_t dataLeft_ = 0;    // bytes of the current DATA chunk still to come
    int sendFd_ = -1;          // the file a SEND writes
    std::string sendPath_, sendError_;
    int recvFd_ = -1;          // the file a RECV reads
    bool finished_ = false;
};

}  // namespace adbdevice
