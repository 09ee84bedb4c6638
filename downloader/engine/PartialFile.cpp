#include "engine/PartialFile.h"

#include <cstring>

namespace {
constexpr size_t kBlockBytes = 1024 * 1024;
}

bool PartialFile::Open(const std::wstring& path) {
    Close();
    file_.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return false;
    LARGE_INTEGER end = {};
    if (!SetFilePointerEx(file_.Get(), LARGE_INTEGER{}, &end, FILE_END)) {
        file_.Close();
        return false;
    }
    size_ = end.QuadPart;
    buffer_.resize(kBlockBytes);
    buffered_ = 0;
    return true;
}

bool PartialFile::Append(const char* data, size_t length) {
    size_ += static_cast<int64_t>(length);
    while (length > 0) {
        if (buffered_ == 0 && length >= kBlockBytes) {
            // Whole blocks go straight to the file in one call.
            const size_t direct = length - length % kBlockBytes;
            DWORD written = 0;
            if (!WriteFile(file_.Get(), data, static_cast<DWORD>(direct), &written, nullptr) || written != direct)
                return false;
            data += direct;
            length -= direct;
            continue;
        }
        const size_t room = kBlockBytes - buffered_;
        const size_t take = length < room ? length : room;
        std::memcpy(buffer_.data() + buffered_, data, take);
        buffered_ += take;
        data += take;
        length -= take;
        if (buffered_ == kBlockBytes && !Flush()) return false;
    }
    return true;
}

bool PartialFile::Flush() {
    if (!file_ || buffered_ == 0) return true;
    DWORD written = 0;
    const bool ok = WriteFile(file_.Get(), buffer_.data(), static_cast<DWORD>(buffered_), &written, nullptr) &&
                    written == buffered_;
    buffered_ = 0;
    return ok;
}

bool PartialFile::Truncate() {
    buffered_ = 0;
    size_ = 0;
    LARGE_INTEGER start = {};
    return file_ && SetFilePointerEx(file_.Get(), start, nullptr, FILE_BEGIN) && SetEndOfFile(file_.Get());
}

void PartialFile::Close() {
    Flush();
    file_.Close();
    buffer_.clear();
    buffer_.shrink_to_fit();
}
