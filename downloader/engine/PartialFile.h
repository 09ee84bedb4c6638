// The ".tmp" file a transfer appends to. Writes are gathered into large
// blocks (every file call is a round trip under Wine) and offsets are 64-bit.
#pragma once

#include "win32/ScopedHandle.h"

#include <cstdint>
#include <string>
#include <vector>

class PartialFile {
public:
    // Opens (creating when absent) for appending; false when it cannot.
    bool Open(const std::wstring& path);
    bool IsOpen() const { return static_cast<bool>(file_); }
    int64_t Size() const { return size_; }
    bool Append(const char* data, size_t length);
    bool Flush();
    bool Truncate();  // back to zero bytes, for a restart from the beginning
    void Close();
    ~PartialFile() { Close(); }

private:
    ScopedHandle file_;
    int64_t size_ = 0;  // bytes on disk plus bytes buffered
    std::vector<char> buffer_;
    size_t buffered_ = 0;
};
