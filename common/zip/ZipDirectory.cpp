#include "ZipDirectory.h"

#include <algorithm>
#include <cstring>

namespace zipcore {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kLongestComment = 65535;
// A central directory larger than this is refused rather than loaded: 65535
// entries with generous names and extras fit many times over.
constexpr uint32_t kLargestDirectory = 64u << 20;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

std::unique_ptr<ZipDirectory> ZipDirectory::Open(std::unique_ptr<ZipSource> source) {
    if (!source) return nullptr;
    std::unique_ptr<ZipDirectory> directory(new ZipDirectory);
    directory->source_ = std::move(source);
    if (!directory->ReadEndRecord() || !directory->ReadEntries()) return nullptr;
    return directory;
}

// The end record lies within the last 64 KiB (its comment is at most that
// long); the last signature with room for a whole record wins.
bool ZipDirectory::ReadEndRecord() {
    const uint64_t size = source_->Size();
    if (size < kEndRecordSize) return false;
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, kEndRecordSize + kLongestComment));
    std::vector<unsigned char> tail(tailSize);
    if (!source_->ReadAt(size - tailSize, tail.data(), tailSize)) return false;
    size_t at = tailSize - kEndRecordSize + 1;
    bool found = false;
    while (at-- > 0) {
        if (Le32(&tail[at]) == kEndSignature) {
            found = true;
            break;
        }
    }
    if (!found) return false;
    const unsigned char* end = &tail[at];
    const uint64_t endPosition = size - tailSize + at;
    const uint16_t disk = Le16(end + 4), directoryDisk = Le16(end + 6);
    const uint16_t entriesHere = Le16(end + 8), entriesTotal = Le16(end + 10);
    directorySize_ = Le32(end + 12);
    const uint32_t directoryOffset = Le32(end + 16);
    if (disk != 0 || directoryDisk != 0 || entriesHere != entriesTotal) return false;
    if (endPosition < static_cast<uint64_t>(directoryOffset) + directorySize_) return false;
    if (directorySize_ > kLargestDirectory) return false;
    prefix_ = endPosition - directoryOffset - directorySize_;
    directoryStart_ = prefix_ + directoryOffset;
    declaredCount_ = entriesTotal;
    return true;
}

bool ZipDirectory::ReadEntries() {
    std::vector<unsigned char> directory(directorySize_);
    if (!source_->ReadAt(directoryStart_, directory.data(), directory.size())) return false;
    entries_.reserve(static_cast<size_t>(declaredCount_));
    size_t at = 0;
    for (int i = 0; i < declaredCount_; ++i) {
        if (directory.size() - at < kCentralHeaderSize) break;
        const unsigned char* h = &directory[at];
        if (Le32(h) != kCentralSignature) break;
        const size_t nameLength = Le16(h + 28), extraLength = Le16(h + 30), commentLength = Le16(h + 32);
        const size_t total = kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (directory.size() - at < total) break;
        CentralEntry e;
        e.versionMadeBy = Le16(h + 4);
        e.flags = Le16(h + 8);
        e.method = Le16(h + 10);
        e.dosTime = Le16(h + 12);
        e.dosDate = Le16(h + 14);
        e.crc = Le32(h + 16);
        e.compressedSize = Le32(h + 20);
        e.uncompressedSize = Le32(h + 24);
        e.externalAttributes = Le32(h + 38);
        e.localOffset = Le32(h + 42);
        e.name.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
        e.extra.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize + nameLength), extraLength);
        entries_.push_back(std::move(e));
        at += total;
    }
    return true;
}

const CentralEntry* ZipDirectory::Entry(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return nullptr;
    return &entries_[static_cast<size_t>(index)];
}

LocateResult ZipDirectory::Locate(int index, ZipItemLocation* location, std::string* localExtra) const {
    const CentralEntry* e = Entry(index);
    if (!e) return LocateResult::Corrupt;
    unsigned char h[kLocalHeaderSize];
    const uint64_t headerAt = prefix_ + e->localOffset;
    if (headerAt + kLocalHeaderSize > directoryStart_) return LocateResult::Corrupt;
    if (!source_->ReadAt(headerAt, h, sizeof h) || Le32(h) != kLocalSignature) return LocateResult::Corrupt;
    const size_t nameLength = Le16(h + 26), extraLength = Le16(h + 28);
    if (nameLength != e->name.size() || Le16(h + 8) != e->method) return LocateResult::Corrupt;
    if (e->method != 0 && e->method != 8) return LocateResult::Corrupt;
    std::string variable(nameLength + extraLength, '\0');
    if (!source_->ReadAt(headerAt + kLocalHeaderSize, &variable[0], variable.size())) return LocateResult::ReadFailed;
    if (variable.compare(0, nameLength, e->name) != 0) return LocateResult::Corrupt;
    if (localExtra) localExtra->assign(variable, nameLength, std::string::npos);
    location->dataOffset = headerAt + kLocalHeaderSize + nameLength + extraLength;
    location->method = e->method;
    location->flags = e->flags;
    location->crc = e->crc;
    location->compressedSize = e->compressedSize;
    location->uncompressedSize = e->uncompressedSize;
    if (location->dataOffset > directoryStart_ || e->compressedSize > directoryStart_ - location->dataOffset)
        return LocateResult::ReadFailed;
    return LocateResult::Ok;
}

FILETIME UnixTimeToFileTime(uint32_t seconds) {
    const uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

ExtendedTimes ReadExtendedTimes(const std::string& extra) {
    ExtendedTimes times;
    const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
    for (size_t at = 0; extra.size() - at >= 4;) {
        const uint16_t id = Le16(p + at), blockSize = Le16(p + at + 2);
        at += 4;
        if (blockSize > extra.size() - at) break;
        if (id == 0x5455 && blockSize >= 1) {
            const unsigned flags = p[at];
            size_t t = 1;
            bool* present[3] = {&times.hasModification, &times.hasAccess, &times.hasCreation};
            FILETIME* targets[3] = {&times.modification, &times.access, &times.creation};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit))) continue;
                if (blockSize - t < 4) break;
                *targets[bit] = UnixTimeToFileTime(Le32(p + at + t));
                *present[bit] = true;
                t += 4;
            }
        }
        at += blockSize;
    }
    return times;
}

}  // namespace zipcore
