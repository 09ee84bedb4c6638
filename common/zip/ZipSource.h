// Byte sources of a zip archive: a disk file (from its position at open time)
// or a memory block. Every read is positional and checked against the size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace zipcore {

class ZipSource {
public:
    virtual ~ZipSource() = default;
    uint64_t Size() const { return size_; }
    // Reads exactly `length` bytes at `offset`; false when they are not all there.
    bool ReadAt(uint64_t offset, void* buffer, size_t length) const {
        if (offset > size_ || length > size_ - offset) return false;
        return length == 0 || Read(offset, buffer, length);
    }
    // The bytes themselves when the source is in memory, else null.
    virtual const unsigned char* Memory() const { return nullptr; }

protected:
    virtual bool Read(uint64_t offset, void* buffer, size_t length) const = 0;
    uint64_t size_ = 0;
};

class MemoryZipSource : public ZipSource {
public:
    MemoryZipSource(const void* bytes, uint64_t length) : bytes_(static_cast<const unsigned char*>(bytes)) {
        size_ = length;
    }
    const unsigned char* Memory() const override { return bytes_; }

protected:
    bool Read(uint64_t offset, void* buffer, size_t length) const override;

private:
    const unsigned char* bytes_;
};

class FileZipSource : public ZipSource {
public:
    // Takes ownership of the handle; the archive starts at the handle's
    // current position.
    explicit FileZipSource(HANDLE file);
    ~FileZipSource() override;
    FileZipSource(const FileZipSource&) = delete;
    FileZipSource& operator=(const FileZipSource&) = delete;
    bool IsValid() const { return valid_; }
    // Archives of ordinary size are mapped, so items inflate straight from the file's pages.
    const unsigned char* Memory() const override { return view_ ? view_ + start_ : nullptr; }

protected:
    bool Read(uint64_t offset, void* buffer, size_t length) const override;

private:
    HANDLE file_;
    HANDLE mapping_ = nullptr;
    const unsigned char* view_ = nullptr;
    uint64_t start_ = 0;
    bool valid_ = false;
};

// Opens a file for reading (others may read it too) as a source; null when it
// cannot be opened.
std::unique_ptr<FileZipSource> OpenFileSource(const wchar_t* path);

}  // namespace zipcore
