#include "engine/ResumeRecord.h"

#include "win32/ScopedHandle.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr DWORD kMaxRecordBytes = 4096;
const char kTotal[] = "total ";
const char kEtag[] = "etag ";
const char kLastModified[] = "last-modified ";

bool TakeField(const std::string& line, const char* key, std::string& value) {
    const std::string prefix(key);
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    value = line.substr(prefix.size());
    return true;
}

}  // namespace

std::string ResumeRecord::IfRangeValue() const {
    if (!etag.empty() && etag.compare(0, 2, "W/") != 0) return etag;
    return lastModified;
}

bool ResumeRecord::ContradictedBy(const ResumeRecord& reply) const {
    if (total >= 0 && reply.total >= 0 && total != reply.total) return true;
    if (!etag.empty() && !reply.etag.empty()) return etag != reply.etag;
    return !lastModified.empty() && !reply.lastModified.empty() && lastModified != reply.lastModified;
}

bool ResumeRecord::Load(const std::wstring& path) {
    *this = ResumeRecord();
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string text(kMaxRecordBytes, '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), text.data(), kMaxRecordBytes, &read, nullptr)) return false;
    text.resize(read);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        std::string value;
        if (TakeField(line, kTotal, value)) {
            total = std::strtoll(value.c_str(), nullptr, 10);
        } else if (!TakeField(line, kEtag, etag)) {
            TakeField(line, kLastModified, lastModified);
        }
        start = end + 1;
    }
    return true;
}

bool ResumeRecord::Save(const std::wstring& path) const {
    const std::string text = kTotal + std::to_string(total) + "\n" + kEtag + etag + "\n" + kLastModified +
                             lastModified + "\n";
    if (text.size() > kMaxRecordBytes) return false;
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}
