#include "ZipSource.h"

#include <cstring>

namespace zipcore {

bool MemoryZipSource::Read(uint64_t offset, void* buffer, size_t length) const {
    memcpy(buffer, bytes_ + offset, length);
    return true;
}

FileZipSource::FileZipSource(HANDLE file) : file_(file) {
    LARGE_INTEGER zero{}, position{}, size{};
    if (!SetFilePointerEx(file_, zero, &position, FILE_CURRENT) || !GetFileSizeEx(file_, &size)) return;
    if (position.QuadPart > size.QuadPart) return;
    start_ = static_cast<uint64_t>(position.QuadPart);
    size_ = static_cast<uint64_t>(size.QuadPart) - start_;
    valid_ = true;
    const uint64_t kLargestMapped = 512ull << 20;  // leaves room in a 32-bit address space
    if (size_ == 0 || static_cast<uint64_t>(size.QuadPart) > kLargestMapped) return;
    mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping_) view_ = static_cast<const unsigned char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
}

FileZipSource::~FileZipSource() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    CloseHandle(file_);
}

bool FileZipSource::Read(uint64_t offset, void* buffer, size_t length) const {
    if (view_) {
        memcpy(buffer, view_ + start_ + offset, length);
        return true;
    }
    unsigned char* out = static_cast<unsigned char*>(buffer);
    uint64_t position = start_ + offset;
    while (length > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD chunk = length > (1u << 30) ? (1u << 30) : static_cast<DWORD>(length);
        DWORD got = 0;
        if (!ReadFile(file_, out, chunk, &got, &at) || got == 0) return false;
        out += got;
        position += got;
        length -= got;
    }
    return true;
}

std::unique_ptr<FileZipSource> OpenFileSource(const wchar_t* path) {
    if (!path) return nullptr;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    auto source = std::make_unique<FileZipSource>(file);
    if (!source->IsValid()) return nullptr;
    return source;
}

}  // namespace zipcore
