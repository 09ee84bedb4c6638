#include "core/markup/SkinZip.h"

#include "core/markup/ZipItemStream.h"
#include "core/markup/ZipSource.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace UiLib {

namespace {

std::atomic<DWORD> g_lastResult{ZR_OK};

DWORD Result(DWORD code) {
    g_lastResult = code;
    return code;
}

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

const uint32_t kEndSignature = 0x06054b50;
const uint32_t kCentralSignature = 0x02014b50;
const uint32_t kLocalSignature = 0x04034b50;
const size_t kEndRecordSize = 22;
const size_t kCentralHeaderSize = 46;
const size_t kLocalHeaderSize = 30;
const size_t kLongestComment = 65535;
const DWORD kFileWritePiece = 16 * 1024;

struct CentralEntry {
    uint16_t flags, method, dosTime, dosDate;
    uint32_t crc, compressedSize, uncompressedSize, externalAttributes, localOffset;
    std::string name;  // as stored, in the ANSI code page
};

FILETIME UnixTimeToFileTime(uint32_t seconds) {
    uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

DWORD AttributesOf(uint32_t external) {
    DWORD dos = external & 0xFF;
    bool hasUnixMode = (external >> 16) != 0;
    DWORD attr = FILE_ATTRIBUTE_NORMAL;
    if ((dos & 0x10) || (external & 0x40000000)) attr |= FILE_ATTRIBUTE_DIRECTORY;
    if (dos & 0x20) attr |= FILE_ATTRIBUTE_ARCHIVE;
    if (dos & 0x02) attr |= FILE_ATTRIBUTE_HIDDEN;
    if (dos & 0x04) attr |= FILE_ATTRIBUTE_SYSTEM;
    // The Unix owner-write bit only counts when the item carries a Unix mode;
    // DOS-made archives leave those bits zero and are not read-only for it.
    if ((dos & 0x01) || (hasUnixMode && !(external & 0x800000))) attr |= FILE_ATTRIBUTE_READONLY;
    return attr;
}

bool EqualsAsciiNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (chars <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], chars);
    return out;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A path that names its drive or share in full: the caller's own choice of place.
bool IsFullyQualified(const std::wstring& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return true;
    return path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

// A relative path stays below the base folder only when no part of it is
// ".." and none names a drive or a stream.
bool StaysInside(const std::wstring& path) {
    if (path.empty() || IsSeparator(path[0])) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        std::wstring part = path.substr(start, end - start);
        if (part == L".." || part.find(L':') != std::wstring::npos) return false;
        start = end + 1;
    }
    return true;
}

void CreateFolderChain(const std::wstring& folder) {
    for (size_t i = 0; i < folder.size(); ++i) {
        // Skip the drive or share root; make every level after it.
        if (IsSeparator(folder[i]) && i > 0 && folder[i - 1] != L':' && !(i == 1 && IsSeparator(folder[0])))
            CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

class ZipReader {
public:
    static DWORD Open(std::unique_ptr<ZipSource> source, std::unique_ptr<ZipReader>* reader);

    int EntryCount() const { return totalEntries_; }
    DWORD Describe(int index, ZIPENTRY* entry);
    DWORD Find(const wchar_t* name, int* index, ZIPENTRY* entry);
    DWORD ExtractToMemory(int index, unsigned char* buffer, DWORD length);
    DWORD ExtractToFile(int index, void* target, int targetKind);

private:
    DWORD ReadDirectory(uint64_t offset, uint64_t size);
    DWORD Locate(int index, ZipItemLocation* location, std::vector<unsigned char>* localExtra) const;
    DWORD WriteItem(int index, HANDLE file);

    std::unique_ptr<ZipSource> source_;
    uint64_t prefix_ = 0;  // bytes of other data in front of the archive
    int totalEntries_ = 0;
    std::vector<CentralEntry> entries_;  // the directory entries that could be read
    std::wstring baseFolder_;
    int openIndex_ = -1;
    std::unique_ptr<ZipItemStream> openItem_;
    int cachedIndex_ = -2;
    ZIPENTRY cached_{};
};

DWORD ZipReader::Open(std::unique_ptr<ZipSource> source, std::unique_ptr<ZipReader>* out) {
    uint64_t size = source->Size();
    if (size < kEndRecordSize) return ZR_CORRUPT;
    size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, kEndRecordSize + kLongestComment));
    std::vector<unsigned char> tail(tailSize);
    if (!source->ReadAt(size - tailSize, tail.data(), tailSize)) return ZR_CORRUPT;
    size_t at = tailSize - kEndRecordSize + 1;
    bool found = false;
    while (at-- > 0) {
        if (Le32(&tail[at]) == kEndSignature) {
            found = true;
            break;
        }
    }
    if (!found) return ZR_CORRUPT;
    const unsigned char* end = &tail[at];
    uint64_t endPosition = size - tailSize + at;
    uint16_t disk = Le16(end + 4), directoryDisk = Le16(end + 6);
    uint16_t entriesHere = Le16(end + 8), entriesTotal = Le16(end + 10);
    uint32_t directorySize = Le32(end + 12), directoryOffset = Le32(end + 16);
    if (disk != 0 || directoryDisk != 0 || entriesHere != entriesTotal) return ZR_CORRUPT;
    if (endPosition < static_cast<uint64_t>(directoryOffset) + directorySize) return ZR_CORRUPT;

    std::unique_ptr<ZipReader> reader(new ZipReader);
    reader->source_ = std::move(source);
    reader->prefix_ = endPosition - directoryOffset - directorySize;
    reader->totalEntries_ = entriesTotal;
    DWORD rc = reader->ReadDirectory(reader->prefix_ + directoryOffset, directorySize);
    if (rc != ZR_OK) return rc;
    wchar_t folder[MAX_PATH * 2] = {};
    DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, folder);
    if (length > 0 && length < MAX_PATH * 2) reader->baseFolder_.assign(folder, length);
    if (!reader->baseFolder_.empty() && !IsSeparator(reader->baseFolder_.back())) reader->baseFolder_ += L'\\';
    *out = std::move(reader);
    return ZR_OK;
}

// Reads the central directory once. Entries are taken while they lie wholly
// inside the directory; a damaged entry ends the walk, and it and the ones
// after it answer "damaged" when asked for.
DWORD ZipReader::ReadDirectory(uint64_t offset, uint64_t size) {
    std::vector<unsigned char> directory(static_cast<size_t>(size));
    if (!source_->ReadAt(offset, directory.data(), directory.size())) return ZR_CORRUPT;
    entries_.reserve(static_cast<size_t>(totalEntries_));
    size_t at = 0;
    for (int i = 0; i < totalEntries_; ++i) {
        if (directory.size() - at < kCentralHeaderSize) break;
        const unsigned char* h = &directory[at];
        if (Le32(h) != kCentralSignature) break;
        size_t nameLength = Le16(h + 28), extraLength = Le16(h + 30), commentLength = Le16(h + 32);
        size_t total = kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (directory.size() - at < total) break;
        CentralEntry e;
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
        entries_.push_back(std::move(e));
        at += total;
    }
    return ZR_OK;
}

// Checks an item's local header against its directory entry and finds its data.
DWORD ZipReader::Locate(int index, ZipItemLocation* location, std::vector<unsigned char>* localExtra) const {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return ZR_CORRUPT;
    const CentralEntry& e = entries_[static_cast<size_t>(index)];
    unsigned char h[kLocalHeaderSize];
    uint64_t headerAt = prefix_ + e.localOffset;
    if (!source_->ReadAt(headerAt, h, sizeof h) || Le32(h) != kLocalSignature) return ZR_CORRUPT;
    size_t nameLength = Le16(h + 26), extraLength = Le16(h + 28);
    if (nameLength != e.name.size() || Le16(h + 8) != e.method) return ZR_CORRUPT;
    std::vector<unsigned char> variable(nameLength + extraLength);
    if (!source_->ReadAt(headerAt + kLocalHeaderSize, variable.data(), variable.size())) return ZR_READ;
    if (memcmp(variable.data(), e.name.data(), nameLength) != 0) return ZR_CORRUPT;
    if (localExtra) localExtra->assign(variable.begin() + static_cast<std::ptrdiff_t>(nameLength), variable.end());
    location->dataOffset = headerAt + kLocalHeaderSize + nameLength + extraLength;
    location->method = e.method;
    location->flags = e.flags;
    location->crc = e.crc;
    location->compressedSize = e.compressedSize;
    location->uncompressedSize = e.uncompressedSize;
    if (location->dataOffset > source_->Size() || e.compressedSize > source_->Size() - location->dataOffset)
        return ZR_READ;
    return ZR_OK;
}

DWORD ZipReader::Describe(int index, ZIPENTRY* entry) {
    if (index == -1) {
        memset(entry, 0, sizeof *entry);
        entry->index = totalEntries_;
        return ZR_OK;
    }
    if (index < -1 || index >= totalEntries_) return ZR_ARGS;
    if (index == cachedIndex_) {
        *entry = cached_;
        return ZR_OK;
    }
    ZipItemLocation location;
    std::vector<unsigned char> extra;
    DWORD rc = Locate(index, &location, &extra);
    if (rc != ZR_OK) return rc;
    const CentralEntry& e = entries_[static_cast<size_t>(index)];

    ZIPENTRY d{};
    d.index = index;
    std::wstring name = AnsiToWide(e.name);
    size_t keep = std::min<size_t>(name.size(), 259);
    wmemcpy(d.name, name.data(), keep);
    d.name[keep] = L'\0';
    d.attr = AttributesOf(e.externalAttributes);
    FILETIME stamp{};
    DosDateTimeToFileTime(e.dosDate, e.dosTime, &stamp);
    d.atime = d.ctime = d.mtime = stamp;
    // An extended timestamp block ("UT") in the local extra field carries Unix times.
    for (size_t at = 0; extra.size() - at >= 4;) {
        uint16_t id = Le16(&extra[at]), blockSize = Le16(&extra[at + 2]);
        at += 4;
        if (blockSize > extra.size() - at) break;
        if (id == 0x5455 && blockSize >= 1) {
            const unsigned char* block = &extra[at];
            unsigned flags = block[0];
            size_t t = 1;
            FILETIME* targets[3] = {&d.mtime, &d.atime, &d.ctime};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit))) continue;
                if (blockSize - t < 4) break;
                *targets[bit] = UnixTimeToFileTime(Le32(block + t));
                t += 4;
            }
        }
        at += blockSize;
    }
    d.comp_size = e.compressedSize;
    d.unc_size = e.uncompressedSize;
    cached_ = d;
    cachedIndex_ = index;
    *entry = d;
    return ZR_OK;
}

DWORD ZipReader::Find(const wchar_t* name, int* index, ZIPENTRY* entry) {
    *index = -1;
    memset(entry, 0, sizeof *entry);
    entry->index = -1;
    if (!name || wcslen(name) >= 256) return ZR_NOTFOUND;
    // Separators are turned before converting, so that no trail byte of a
    // double-byte character is mistaken for one.
    std::wstring wide(name);
    std::replace(wide.begin(), wide.end(), L'\\', L'/');
    std::string wanted = WideToAnsi(wide);
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!EqualsAsciiNoCase(entries_[i].name, wanted)) continue;
        DWORD rc = Describe(static_cast<int>(i), entry);
        if (rc == ZR_OK) *index = static_cast<int>(i);
        return rc;
    }
    return ZR_NOTFOUND;
}

DWORD ZipReader::ExtractToMemory(int index, unsigned char* buffer, DWORD length) {
    if (index != openIndex_ || !openItem_) {
        openItem_.reset();
        openIndex_ = -1;
        if (index < 0 || index >= totalEntries_) return ZR_ARGS;
        ZipItemLocation location;
        DWORD rc = Locate(index, &location, nullptr);
        if (rc != ZR_OK) return rc;
        openItem_.reset(new ZipItemStream(*source_, location));
        openIndex_ = index;
    }
    size_t written = 0;
    ZipItemStream::Status status = openItem_->Read(buffer, length, &written);
    if (status == ZipItemStream::More) return ZR_MORE;
    openItem_.reset();
    openIndex_ = -1;
    return status == ZipItemStream::Done ? ZR_OK : ZR_FLATE;
}

DWORD ZipReader::WriteItem(int index, HANDLE file) {
    ZipItemLocation location;
    DWORD rc = Locate(index, &location, nullptr);
    if (rc != ZR_OK) return ZR_WRITE;
    ZipItemStream stream(*source_, location);
    std::vector<unsigned char> piece(kFileWritePiece);
    for (;;) {
        size_t got = 0;
        ZipItemStream::Status status = stream.Read(piece.data(), piece.size(), &got);
        DWORD put = 0;
        if (got > 0 && (!WriteFile(file, piece.data(), static_cast<DWORD>(got), &put, nullptr) || put != got))
            return ZR_WRITE;
        if (status == ZipItemStream::Done) return ZR_OK;
        if (status == ZipItemStream::Failed) return ZR_WRITE;
    }
}

DWORD ZipReader::ExtractToFile(int index, void* target, int targetKind) {
    ZIPENTRY entry;
    DWORD rc = Describe(index, &entry);
    if (rc != ZR_OK) return rc;
    if (index < 0) return ZR_ARGS;
    bool isFolder = (entry.attr & FILE_ATTRIBUTE_DIRECTORY) != 0;

    if (targetKind == ZIP_HANDLE) {
        HANDLE file = static_cast<HANDLE>(target);
        if (isFolder) return ZR_OK;
        rc = WriteItem(index, file);
        if (rc == ZR_OK && GetFileType(file) == FILE_TYPE_DISK) SetFileTime(file, &entry.ctime, &entry.atime, &entry.mtime);
        return rc;
    }

    const wchar_t* given = static_cast<const wchar_t*>(target);
    if (!given || !*given) return ZR_ARGS;
    std::wstring path(given);
    bool fullyQualified = IsFullyQualified(path);
    // Relative targets are placed under the base folder and never leave it.
    if (!fullyQualified) {
        if (!StaysInside(path)) return ZR_NOFILE;
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = baseFolder_ + path;
    }
    if (isFolder) {
        CreateFolderChain(path);
        return ZR_OK;
    }
    if (!fullyQualified) {
        size_t cut = path.find_last_of(L"\\/");
        if (cut != std::wstring::npos && cut >= baseFolder_.size()) CreateFolderChain(path.substr(0, cut));
    }
    DWORD attributes = entry.attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ZR_NOFILE;
    rc = WriteItem(index, file);
    if (rc == ZR_OK) SetFileTime(file, &entry.ctime, &entry.atime, &entry.mtime);
    CloseHandle(file);
    return rc;
}

struct ZipArchiveHandle {
    DWORD kind;  // 1 for an archive opened for reading
    ZipReader* reader;
};

namespace {
const DWORD kReaderKind = 1;

// Checks a handle; the reader when it is a zip handle, else null with the code.
ZipReader* ReaderOf(HZIP zip, DWORD* code) {
    if (!zip) {
        *code = ZR_ARGS;
        return nullptr;
    }
    if (zip->kind != kReaderKind || !zip->reader) {
        *code = ZR_ZMODE;
        return nullptr;
    }
    *code = ZR_OK;
    return zip->reader;
}

std::unique_ptr<ZipSource> OpenSource(int kind, const void* source, DWORD length, DWORD* code) {
    *code = ZR_OK;
    if (kind == ZIP_MEMORY) {
        if (!source) *code = ZR_ARGS;
        else return std::unique_ptr<ZipSource>(new MemoryZipSource(source, length));
        return nullptr;
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    if (kind == ZIP_FILENAME) {
        if (!source) {
            *code = ZR_ARGS;
            return nullptr;
        }
        file = CreateFileW(static_cast<const wchar_t*>(source), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            *code = ZR_NOFILE;
            return nullptr;
        }
    } else if (kind == ZIP_HANDLE) {
        HANDLE given = const_cast<HANDLE>(source);
        if (!DuplicateHandle(GetCurrentProcess(), given, GetCurrentProcess(), &file, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            *code = ZR_NODUPH;
            return nullptr;
        }
        if (GetFileType(file) != FILE_TYPE_DISK) {
            CloseHandle(file);
            *code = ZR_SEEK;
            return nullptr;
        }
    } else {
        *code = ZR_ARGS;
        return nullptr;
    }
    std::unique_ptr<FileZipSource> opened(new FileZipSource(file));
    if (!opened->IsValid()) {
        *code = ZR_SEEK;
        return nullptr;
    }
    return opened;
}
}  // namespace

HZIP OpenZipArchive(int sourceKind, const void* source, DWORD length) {
    DWORD code;
    std::unique_ptr<ZipSource> opened = OpenSource(sourceKind, source, length, &code);
    if (!opened) {
        Result(code);
        return nullptr;
    }
    std::unique_ptr<ZipReader> reader;
    code = ZipReader::Open(std::move(opened), &reader);
    if (code != ZR_OK) {
        Result(code);
        return nullptr;
    }
    Result(ZR_OK);
    return new ZipArchiveHandle{kReaderKind, reader.release()};
}

DWORD GetZipEntry(HZIP zip, int index, ZIPENTRY* entry) {
    DWORD code;
    ZipReader* reader = ReaderOf(zip, &code);
    if (!reader) return Result(code);
    if (!entry) return Result(ZR_ARGS);
    return Result(reader->Describe(index, entry));
}

DWORD FindZipEntry(HZIP zip, const wchar_t* name, int* index, ZIPENTRY* entry) {
    DWORD code;
    ZipReader* reader = ReaderOf(zip, &code);
    if (!reader) return Result(code);
    if (!index || !entry) return Result(ZR_ARGS);
    return Result(reader->Find(name, index, entry));
}

DWORD ExtractZipEntry(HZIP zip, int index, void* target, DWORD length, int targetKind) {
    DWORD code;
    ZipReader* reader = ReaderOf(zip, &code);
    if (!reader) return Result(code);
    if (targetKind == ZIP_MEMORY) {
        if (!target && length > 0) return Result(ZR_ARGS);
        return Result(reader->ExtractToMemory(index, static_cast<unsigned char*>(target), length));
    }
    if (targetKind == ZIP_FILENAME || targetKind == ZIP_HANDLE) return Result(reader->ExtractToFile(index, target, targetKind));
    return Result(ZR_ARGS);
}

DWORD CloseZipArchive(HZIP zip) {
    DWORD code;
    ZipReader* reader = ReaderOf(zip, &code);
    if (!reader) return Result(code);
    delete reader;
    zip->kind = 0;
    zip->reader = nullptr;
    delete zip;
    return Result(ZR_OK);
}

DWORD GetZipLastResult() { return g_lastResult; }

}  // namespace UiLib
