#include "archive/ZipArchive.h"

#include <zlib.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxEndRecordSearch = 65535;  // the longest comment a zip can carry
// A central directory larger than this is refused rather than loaded: 65535
// entries with generous names and extras fit many times over.
constexpr uint32_t kMaxCentralDirectory = 64u << 20;
constexpr size_t kMaxFindNameBytes = 256;
// Extraction reads and writes in large pieces: fewer system calls, which
// matter most under Wine.
constexpr size_t kPieceSize = 256 * 1024;
constexpr int kArchiveKind = 1;

std::atomic<unsigned> g_lastResult{kZipOk};

unsigned Remember(unsigned result) {
    g_lastResult = result;
    return result;
}

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

struct CentralEntry {
    uint16_t versionMadeBy;
    uint16_t flags;
    uint16_t method;
    uint16_t dosTime;
    uint16_t dosDate;
    uint32_t crc;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
    uint32_t externalAttributes;
    uint32_t localOffset;
    std::string name;   // as stored (UTF-8)
    std::string extra;  // central directory extra field
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAbsolutePath(const std::wstring& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}

// True when any part of a relative path is "..".
bool ClimbsOut(const std::wstring& path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (path.compare(start, end - start, L"..") == 0 && end - start == 2) return true;
        start = end + 1;
    }
    return false;
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string WideToUtf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string narrow(size - 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

FILETIME DosTimeToFileTime(uint16_t dosDate, uint16_t dosTime) {
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(1980 + (dosDate >> 9));
    st.wMonth = static_cast<WORD>((dosDate >> 5) & 15);
    st.wDay = static_cast<WORD>(dosDate & 31);
    st.wHour = static_cast<WORD>(dosTime >> 11);
    st.wMinute = static_cast<WORD>((dosTime >> 5) & 63);
    st.wSecond = static_cast<WORD>((dosTime & 31) * 2);
    FILETIME local = {}, utc = {};
    // The DOS stamp is the local time of the machine that made the archive.
    if (SystemTimeToFileTime(&st, &local)) LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

FILETIME UnixTimeToFileTime(uint32_t seconds) {
    ULONGLONG ticks = static_cast<ULONGLONG>(seconds) * 10000000ULL + 116444736000000000ULL;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

// Applies an extended timestamp block ("UT") of an extra field, reading only
// the stamps that are really present.
void ApplyExtendedTimes(const std::string& extra, ZipEntryInfo* entry) {
    const auto* p = reinterpret_cast<const uint8_t*>(extra.data());
    size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        uint16_t id = Get16(p + pos);
        uint16_t size = Get16(p + pos + 2);
        pos += 4;
        if (size > extra.size() - pos) return;
        if (id == 0x5455 && size >= 1) {
            const uint8_t flags = p[pos];
            size_t at = pos + 1;
            const size_t end = pos + size;
            FILETIME* targets[3] = {&entry->modificationTime, &entry->accessTime, &entry->creationTime};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1 << bit))) continue;
                if (at + 4 > end) break;
                *targets[bit] = UnixTimeToFileTime(Get32(p + at));
                at += 4;
            }
            return;
        }
        pos += size;
    }
}

DWORD AttributesOf(const CentralEntry& e) {
    const unsigned host = e.versionMadeBy >> 8;
    if (host == 0 || host == 7 || host == 11 || host == 14) {  // MS-DOS, OS/2, NTFS, VFAT
        return e.externalAttributes &
               (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                FILE_ATTRIBUTE_ARCHIVE);
    }
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (e.externalAttributes & 0x40000000) attributes |= FILE_ATTRIBUTE_DIRECTORY;  // Unix S_IFDIR
    if (!(e.externalAttributes & 0x00800000)) attributes |= FILE_ATTRIBUTE_READONLY;  // owner cannot write
    return attributes;
}

void CreateFolderChain(const std::wstring& folder) {
    const DWORD existing = GetFileAttributesW(folder.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY)) return;
    // Create each level in turn; existing levels and a drive prefix just fail.
    for (size_t i = 0; i <= folder.size(); ++i) {
        if (i == folder.size() || IsSeparator(folder[i])) {
            if (i == 0) continue;
            CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
        }
    }
}

void RemoveFileEvenIfReadOnly(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void Close() { Reset(INVALID_HANDLE_VALUE); }
    void Reset(HANDLE h) {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_;
};

}  // namespace

struct ZipArchive {
    int kind = kArchiveKind;
    OwnedHandle file;
    uint64_t fileSize = 0;
    uint64_t base = 0;            // bytes in front of the archive (self-extractors)
    uint64_t directoryStart = 0;  // file offset of the central directory
    std::vector<CentralEntry> entries;
    std::wstring rootFolder;      // current folder at open, with a trailing backslash
    std::unique_ptr<uint8_t[]> input;
    std::unique_ptr<uint8_t[]> output;

    // Reads exactly length bytes at a file offset.
    bool ReadAt(uint64_t offset, void* buffer, size_t length) {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return false;
        auto* out = static_cast<uint8_t*>(buffer);
        while (length > 0) {
            DWORD got = 0;
            DWORD want = length > (1u << 30) ? (1u << 30) : static_cast<DWORD>(length);
            if (!ReadFile(file.get(), out, want, &got, nullptr) || got == 0) return false;
            out += got;
            length -= got;
        }
        return true;
    }

    bool Load();
    bool ParseDirectory(const std::vector<uint8_t>& directory, uint16_t count);
    unsigned Describe(int index, ZipEntryInfo* entry) const;
    unsigned Extract(const CentralEntry& e, HANDLE target);
};

bool ZipArchive::Load() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return false;
    fileSize = static_cast<uint64_t>(size.QuadPart);
    if (fileSize < kEndRecordSize) return false;

    // The end record lies within the last 64 KiB (its comment is at most that
    // long); the last signature with room for a whole record wins.
    const size_t tailLength = static_cast<size_t>(fileSize < kMaxEndRecordSearch + kEndRecordSize
                                                      ? fileSize
                                                      : kMaxEndRecordSearch + kEndRecordSize);
    const uint64_t tailStart = fileSize - tailLength;
    std::vector<uint8_t> tail(tailLength);
    if (!ReadAt(tailStart, tail.data(), tailLength)) return false;
    size_t at = tailLength - kEndRecordSize + 1;
    const uint8_t* record = nullptr;
    while (at-- > 0) {
        if (Get32(&tail[at]) == kEndRecordSignature) {
            record = &tail[at];
            break;
        }
    }
    if (!record) return false;
    const uint64_t recordPosition = tailStart + at;
    const uint16_t thisDisk = Get16(record + 4), directoryDisk = Get16(record + 6);
    const uint16_t entriesHere = Get16(record + 8), entriesTotal = Get16(record + 10);
    const uint32_t directorySize = Get32(record + 12), directoryOffset = Get32(record + 16);
    if (thisDisk != 0 || directoryDisk != 0 || entriesHere != entriesTotal) return false;
    if (static_cast<uint64_t>(directoryOffset) + directorySize > recordPosition) return false;
    if (directorySize > kMaxCentralDirectory) return false;
    base = recordPosition - directorySize - directoryOffset;
    directoryStart = base + directoryOffset;

    std::vector<uint8_t> directory(directorySize);
    if (directorySize > 0 && !ReadAt(directoryStart, directory.data(), directorySize)) return false;
    return ParseDirectory(directory, entriesTotal);
}

bool ZipArchive::ParseDirectory(const std::vector<uint8_t>& directory, uint16_t count) {
    entries.reserve(count);
    size_t pos = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (directory.size() - pos < kCentralHeaderSize) return false;
        const uint8_t* h = directory.data() + pos;
        if (Get32(h) != kCentralHeaderSignature) return false;
        const size_t nameLength = Get16(h + 28), extraLength = Get16(h + 30), commentLength = Get16(h + 32);
        const size_t total = kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (directory.size() - pos < total) return false;
        CentralEntry e;
        e.versionMadeBy = Get16(h + 4);
        e.flags = Get16(h + 8);
        e.method = Get16(h + 10);
        e.dosTime = Get16(h + 12);
        e.dosDate = Get16(h + 14);
        e.crc = Get32(h + 16);
        e.compressedSize = Get32(h + 20);
        e.uncompressedSize = Get32(h + 24);
        e.externalAttributes = Get32(h + 38);
        e.localOffset = Get32(h + 42);
        e.name.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
        e.extra.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize + nameLength), extraLength);
        entries.push_back(std::move(e));
        pos += total;
    }
    return true;
}

unsigned ZipArchive::Describe(int index, ZipEntryInfo* entry) const {
    if (index < 0 || static_cast<size_t>(index) >= entries.size()) return kZipBadArgument;
    const CentralEntry& e = entries[static_cast<size_t>(index)];
    ZipEntryInfo info = {};
    info.index = index;
    std::wstring name = Utf8ToWide(e.name);
    if (name.size() >= MAX_PATH) name.resize(MAX_PATH - 1);
    name = SafeZipEntryName(std::move(name));
    std::memcpy(info.name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    info.attributes = AttributesOf(e);
    info.modificationTime = DosTimeToFileTime(e.dosDate, e.dosTime);
    info.accessTime = info.modificationTime;
    info.creationTime = info.modificationTime;
    ApplyExtendedTimes(e.extra, &info);
    info.compressedSize = e.compressedSize;
    info.uncompressedSize = e.uncompressedSize;
    if (entry) *entry = info;
    return kZipOk;
}

// Streams one entry's data into target. The data must lie between its local
// header and the central directory, produce exactly the declared size and
// match the declared CRC.
unsigned ZipArchive::Extract(const CentralEntry& e, HANDLE target) {
    if (e.flags & 1) return kZipPasswordNeeded;
    if (e.method != 0 && e.method != 8) return kZipDataError;
    uint8_t local[kLocalHeaderSize];
    const uint64_t localPosition = base + e.localOffset;
    if (localPosition + kLocalHeaderSize > directoryStart) return kZipDataError;
    if (!ReadAt(localPosition, local, sizeof local) || Get32(local) != kLocalHeaderSignature) return kZipDataError;
    const uint64_t dataStart = localPosition + kLocalHeaderSize + Get16(local + 26) + Get16(local + 28);
    if (dataStart + e.compressedSize > directoryStart) return kZipDataError;
    if (e.method == 0 && e.compressedSize != e.uncompressedSize) return kZipDataError;

    if (!input) input.reset(new (std::nothrow) uint8_t[kPieceSize]);
    if (!output) output.reset(new (std::nothrow) uint8_t[kPieceSize]);
    if (!input || !output) return kZipDataError;

    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(dataStart);
    if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return kZipDataError;

    uLong crc = crc32(0, nullptr, 0);
    uint64_t compressedLeft = e.compressedSize;
    uint64_t produced = 0;
    auto readPiece = [&](size_t* got) {
        DWORD want = static_cast<DWORD>(compressedLeft < kPieceSize ? compressedLeft : kPieceSize);
        DWORD read = 0;
        if (!ReadFile(file.get(), input.get(), want, &read, nullptr) || read != want) return false;
        compressedLeft -= read;
        *got = read;
        return true;
    };
    auto writePiece = [&](const uint8_t* data, size_t length) {
        produced += length;
        if (produced > e.uncompressedSize) return kZipDataError;
        crc = crc32(crc, data, static_cast<uInt>(length));
        DWORD written = 0;
        if (!WriteFile(target, data, static_cast<DWORD>(length), &written, nullptr) || written != length)
            return kZipWriteFailed;
        return kZipOk;
    };

    if (e.method == 0) {
        while (compressedLeft > 0) {
            size_t got = 0;
            if (!readPiece(&got)) return kZipDataError;
            if (unsigned r = writePiece(input.get(), got)) return r;
        }
    } else {
        z_stream stream = {};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return kZipDataError;
        struct InflateEnd {
            z_stream* s;
            ~InflateEnd() { inflateEnd(s); }
        } cleanup{&stream};
        int status = Z_OK;
        bool outputFull = false;  // inflate may hold more output without new input
        while (status != Z_STREAM_END) {
            if (stream.avail_in == 0 && !outputFull) {
                if (compressedLeft == 0) return kZipDataError;  // data ends before the stream does
                size_t got = 0;
                if (!readPiece(&got)) return kZipDataError;
                stream.next_in = input.get();
                stream.avail_in = static_cast<uInt>(got);
            }
            stream.next_out = output.get();
            stream.avail_out = static_cast<uInt>(kPieceSize);
            status = inflate(&stream, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return kZipDataError;
            outputFull = stream.avail_out == 0;
            if (unsigned r = writePiece(output.get(), kPieceSize - stream.avail_out)) return r;
        }
    }
    if (produced != e.uncompressedSize || crc != e.crc) return kZipDataError;
    return kZipOk;
}

std::wstring SafeZipEntryName(std::wstring name) {
    for (;;) {
        if (name.size() >= 2 && name[1] == L':') {
            name.erase(0, 2);
            continue;
        }
        if (!name.empty() && IsSeparator(name[0])) {
            name.erase(0, 1);
            continue;
        }
        // Keep only what follows the last ".." part, wherever it stands.
        size_t cut = std::wstring::npos;
        size_t start = 0;
        while (start <= name.size()) {
            size_t end = start;
            while (end < name.size() && !IsSeparator(name[end])) ++end;
            if (end - start == 2 && name.compare(start, 2, L"..") == 0) cut = end;
            start = end + 1;
        }
        if (cut == std::wstring::npos) return name;
        name.erase(0, cut < name.size() ? cut + 1 : name.size());
    }
}

ZipArchive* OpenZipArchive(const wchar_t* path) {
    if (!path) {
        Remember(kZipCannotOpen);
        return nullptr;
    }
    auto zip = std::make_unique<ZipArchive>();
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Remember(kZipCannotOpen);
        return nullptr;
    }
    zip->file.Reset(file);
    if (!zip->Load()) {
        Remember(kZipCannotOpen);
        return nullptr;
    }
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    length = GetCurrentDirectoryW(length, folder.data());
    folder.resize(length);
    if (folder.empty() || !IsSeparator(folder.back())) folder += L'\\';
    zip->rootFolder = std::move(folder);
    Remember(kZipOk);
    return zip.release();
}

static bool IsArchive(const ZipArchive* zip) { return zip && zip->kind == kArchiveKind; }

unsigned FindZipItem(ZipArchive* zip, const wchar_t* name, int* index, ZipEntryInfo* entry) {
    if (index) *index = -1;
    if (!IsArchive(zip) || !name) return Remember(kZipBadArgument);
    const std::string wanted = WideToUtf8(name);
    if (wanted.size() >= kMaxFindNameBytes) return Remember(kZipNotFound);
    for (size_t i = 0; i < zip->entries.size(); ++i) {
        if (EqualIgnoringAsciiCase(zip->entries[i].name, wanted)) {
            if (index) *index = static_cast<int>(i);
            return Remember(zip->Describe(static_cast<int>(i), entry));
        }
    }
    return Remember(kZipNotFound);
}

unsigned GetZipItem(ZipArchive* zip, int index, ZipEntryInfo* entry) {
    if (!IsArchive(zip)) return kZipBadArgument;
    return zip->Describe(index, entry);
}

unsigned UnzipItemToFile(ZipArchive* zip, int index, const wchar_t* target) {
    if (!IsArchive(zip) || !target) return kZipBadArgument;
    ZipEntryInfo info;
    if (unsigned r = zip->Describe(index, &info)) return r;

    std::wstring path = target;
    if (!IsAbsolutePath(path)) {
        // A relative target stays inside the root folder.
        if (ClimbsOut(path)) return kZipCannotOpen;
        path = zip->rootFolder + path;
    }
    if (info.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        CreateFolderChain(path);
        return kZipOk;
    }
    const size_t lastSeparator = path.find_last_of(L"\\/");
    if (lastSeparator != std::wstring::npos) CreateFolderChain(path.substr(0, lastSeparator));

    DWORD attributes = info.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    OwnedHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    if (!out.valid()) return kZipCannotOpen;
    unsigned result = zip->Extract(zip->entries[static_cast<size_t>(index)], out.get());
    if (result == kZipOk) {
        SetFileTime(out.get(), &info.creationTime, &info.accessTime, &info.modificationTime);
        return kZipOk;
    }
    out.Close();
    RemoveFileEvenIfReadOnly(path);
    return result;
}

unsigned CloseZipArchive(ZipArchive* zip) {
    if (!zip) return Remember(kZipBadArgument);
    if (!IsArchive(zip)) return Remember(kZipBadArgument);
    delete zip;
    return Remember(kZipOk);
}

unsigned ZipLastResult() { return g_lastResult; }
