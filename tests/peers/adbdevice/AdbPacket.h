// Packets of the adb transport protocol as a device sees them: a 24-byte
// header of six little-endian words, then the payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace adbdevice {

constexpr uint32_t kCommandConnect = 0x4e584e43;  // "CNXN"
constexpr uint32_t kCommandOpen = 0x4e45504f;     // "OPEN"
constexpr uint32_t kCommandOkay = 0x59414b4f;     // "OKAY"
constexpr uint32_t kCommandWrite = 0x45545257;    // "WRTE"
constexpr uint32_t kCommandClose = 0x45534c43;    // "CLSE"

// From this version on neither side computes payload checksums.
constexpr uint32_t kVersionSkipChecksum = 0x01000001;
constexpr uint32_t kMaxPayload = 1024 * 1024;
constexpr size_t kHeaderSize = 24;

struct PacketHeader {
    uint32_t command = 0, arg0 = 0, arg1 = 0, length = 0, checksum = 0, magic = 0;
};

// Reads and writes whole packets on one connected socket.
class PacketChannel {
public:
    explicit PacketChannel(int fd);
    // False at end of stream, on a broken header or an oversized payload.
    bool Read(PacketHeader& header, std::vector<char>& payload);
    // Sends header and payload in one call; the payload is taken from
    // Buffer() + kHeaderSize, where callers build it in place.
    bool Write(uint32_t command, uint32_t arg0, uint32_t arg1, size_t length);
    bool Write(uint32_t command, uint32_t arg0, uint32_t arg1, const void* data, size_t length);
    char* Payload() { return buffer_.data() + kHeaderSize; }
    void SetChecksums(bool on) { checksums_ = on; }

private:
    int fd_;
    bool checksums_ = true;
    std::vector<char> buffer_;
};

}  // namespace adbdevice
