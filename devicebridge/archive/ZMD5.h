// MD5 digests (RFC 1321) of texts and files as 32 lower-case hex digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class ZMD5 {
public:
    ZMD5();
    virtual ~ZMD5();  // closes a file the object still holds open

    ZMD5(const ZMD5&) = delete;
    ZMD5& operator=(const ZMD5&) = delete;

    // Digest of the text's bytes (without the terminating NUL).
    std::string GetMD5OfString(const std::string& text);

    // Digest of a file's content, or an empty text when the file is missing,
    // empty or cannot be read. The file is streamed in 1 MiB pieces.
    std::string GetMD5OfFile(const char* path);

    // True while a file is open (only during GetMD5OfFile, or after a failure
    // the caller may clean up with CloseFile).
    bool IsFileOpen() const { return file_ != nullptr; }
    void CloseFile();

    // Streaming interface: Reset, any number of Update calls, then Final.
    void Reset();
    void Update(const void* data, size_t length);
    std::string Final();

private:
    void Transform(const uint8_t* block);

    uint32_t state_[4];
    uint64_t length_ = 0;       // message length in bytes so far
    uint8_t pending_[64];       // bytes not yet forming a full block
    size_t pendingLength_ = 0;
    FILE* file_ = nullptr;
};
