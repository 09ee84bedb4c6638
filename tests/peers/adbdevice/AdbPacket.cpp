#include "AdbPacket.h"
#include "Le32.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace adbdevice {
namespace {

// Larger payloads than the protocol allows mean a broken peer.
constexpr uint32_t kMaxAcceptedPayload = 16 * kMaxPayload;

bool ReadAll(int fd, char* p, size_t n) {
    while (n > 0) {
        ssize_t got = read(fd, p, n);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

bool WriteAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t put = write(fd, p, n);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        p += put;
        n -= static_cast<size_t>(put);
    }
    return true;
}

uint32_t Checksum(const char* p, size_t n) {
    uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum += static_cast<unsigned char>(p[i]);
    return sum;
}

}  // namespace

PacketChannel::PacketChannel(int fd) : fd_(fd), buffer_(kHeaderSize + kMaxPayload) {}

bool PacketChannel::Read(PacketHeader& header, std::vector<char>& payload) {
    char raw[kHeaderSize];
    if (!ReadAll(fd_, raw, sizeof raw)) return false;
    uint32_t* fields[] = {&header.command, &header.arg0,     &header.arg1,
                          &header.length,  &header.checksum, &header.magic};
    for (int i = 0; i < 6; ++i) *fields[i] = GetLe32(raw + 4 * i);
    if (header.magic != (header.command ^ 0xffffffffu) || header.length > kMaxAcceptedPayload) return false;
    payload.resize(header.length);
    return ReadAll(fd_, payload.data(), header.length);
}

bool PacketChannel::Write(uint32_t command, uint32_t arg0, uint32_t arg1, size_t length) {
    char* raw = buffer_.data();
    uint32_t fields[] = {command,
                         arg0,
                         arg1,
                         static_cast<uint32_t>(length),
                         checksums_ ? Checksum(Payload(), length) : 0,
                         command ^ 0xffffffffu};
    for (int i = 0; i < 6; ++i) PutLe32(raw + 4 * i, fields[i]);
    return WriteAll(fd_, raw, kHeaderSize + length);
}

bool PacketChannel::Write(uint32_t command, uint32_t arg0, uint32_t arg1, const void* data, size_t length) {
    if (length > kMaxPayload) return false;
    if (length > 0) memcpy(Payload(), data, length);
    return Write(command, arg0, arg1, length);
}

}  // namespace adbdevice
