#include "ZipReader.h"

#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"
#include "zip/ZipDirectory.h"
#include "zip/ZipEntryDescription.h"
#include "zip/ZipFileWriter.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::atomic<DWORD> g_lastResult{ZRC_OK};

DWORD Result(DWORD code) {
    g_lastResult = code;
    return code;
}

constexpr DWORD kReaderKind = 1;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAbsolute(const std::wstring& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}

bool Climbs(const std::wstring& path) {
    return path.find(L"../") != std::wstring::npos || path.find(L"..\\") != std::wstring::npos;
}

void CreateFolderLevels(const std::wstring& folder) {
    for (size_t i = 1; i < folder.size(); ++i) {
        if (IsSeparator(folder[i]) && folder[i - 1] != L':') CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
}

std::wstring CurrentFolderWithSlash() {
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    length = GetCurrentDirectoryW(length, &folder[0]);
    folder.resize(length);
    if (!folder.empty() && !IsSeparator(folder.back())) folder += L'\\';
    return folder;
}

DWORD CodeOf(zipcore::LocateResult result) {
    return result == zipcore::LocateResult::Ok ? ZRC_OK
           : result == zipcore::LocateResult::ReadFailed ? ZRC_READ
                                                         : ZRC_CORRUPT;
}

DWORD CodeOf(zipcore::WriteResult result) {
    switch (result) {
    case zipcore::WriteResult::Ok: return ZRC_OK;
    case zipcore::WriteResult::CannotLocate: return ZRC_CORRUPT;
    case zipcore::WriteResult::CannotCreate: return ZRC_NOFILE;
    case zipcore::WriteResult::WriteFailed: return ZRC_WRITE;
    case zipcore::WriteResult::DataFailed: return ZRC_FLATE;
    }
    return ZRC_WRITE;
}

class Reader {
public:
    Reader(std::unique_ptr<zipcore::ZipDirectory> zip) : zip_(std::move(zip)), base_(CurrentFolderWithSlash()) {}

    DWORD Describe(int index, ZipItemInfo* entry);
    DWORD Find(const wchar_t* name, bool ignoreCase, int* index, ZipItemInfo* entry);
    DWORD ToMemory(int index, unsigned char* buffer, DWORD length);
    DWORD ToHandle(int index, HANDLE file);
    DWORD ToFile(int index, const wchar_t* target);

private:
    std::unique_ptr<zipcore::ZipDirectory> zip_;
    std::wstring base_;
    int cachedIndex_ = -2;
    ZipItemInfo cached_{};
    int openIndex_ = -1;
    std::unique_ptr<zipcore::ZipItemStream> openItem_;
};

DWORD Reader::Describe(int index, ZipItemInfo* entry) {
    if (index == -1) {
        std::memset(entry, 0, sizeof *entry);
        entry->index = zip_->DeclaredCount();
        return ZRC_OK;
    }
    if (index < -1 || index >= zip_->DeclaredCount()) return ZRC_ARGS;
    if (index == cachedIndex_) {
        *entry = cached_;
        return ZRC_OK;
    }
    zipcore::EntryDescription d;
    if (DWORD code = CodeOf(zipcore::DescribeEntry(*zip_, index, &d))) return code;
    // A name that does not fit the record is refused, never cut: a cut name
    // would extract under another name.
    if (d.name.size() >= std::size(entry->name)) return ZRC_CORRUPT;
    ZipItemInfo info{};
    info.index = index;
    std::copy(d.name.begin(), d.name.end(), info.name);
    info.attributes = d.attributes;
    info.accessTime = d.access;
    info.creationTime = d.creation;
    info.modificationTime = d.modification;
    info.compressedSize = d.compressedSize;
    info.uncompressedSize = d.uncompressedSize;
    cached_ = info;
    cachedIndex_ = index;
    *entry = info;
    return ZRC_OK;
}

bool EqualNames(const std::string& a, const std::string& b, bool ignoreCase) {
    if (a.size() != b.size()) return false;
    if (!ignoreCase) return a == b;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

DWORD Reader::Find(const wchar_t* name, bool ignoreCase, int* index, ZipItemInfo* entry) {
    *index = -1;
    std::memset(entry, 0, sizeof *entry);
    entry->index = -1;
    const std::string wanted = WideToAnsi(name);
    const auto& entries = zip_->Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!EqualNames(entries[i].name, wanted, ignoreCase)) continue;
        const DWORD code = Describe(static_cast<int>(i), entry);
        if (code == ZRC_OK) *index = static_cast<int>(i);
        return code;
    }
    return ZRC_NOTFOUND;
}

DWORD Reader::ToMemory(int index, unsigned char* buffer, DWORD length) {
    if (index != openIndex_ || !openItem_) {
        openItem_.reset();
        openIndex_ = -1;
        if (index < 0 || index >= zip_->DeclaredCount()) return ZRC_ARGS;
        zipcore::ZipItemLocation location;
        if (DWORD code = CodeOf(zip_->Locate(index, &location))) return code;
        openItem_ = std::make_unique<zipcore::ZipItemStream>(zip_->Source(), location);
        openIndex_ = index;
    }
    size_t written = 0;
    const auto status = openItem_->Read(buffer, length, &written);
    if (status == zipcore::ZipItemStream::More) return ZRC_MORE;
    openItem_.reset();
    openIndex_ = -1;
    return status == zipcore::ZipItemStream::Done ? ZRC_OK : ZRC_FLATE;
}

DWORD Reader::ToHandle(int index, HANDLE file) {
    ZipItemInfo info;
    if (DWORD code = Describe(index, &info)) return code;
    if (info.attributes & FILE_ATTRIBUTE_DIRECTORY) return ZRC_OK;
    if (DWORD code = CodeOf(zipcore::ExtractToHandle(*zip_, index, file))) return code;
    if (GetFileType(file) == FILE_TYPE_DISK)
        SetFileTime(file, &info.creationTime, &info.accessTime, &info.modificationTime);
    return ZRC_OK;
}

DWORD Reader::ToFile(int index, const wchar_t* target) {
    ZipItemInfo info;
    if (DWORD code = Describe(index, &info)) return code;
    if (index < 0) return ZRC_ARGS;
    if (!target || !*target) return ZRC_ARGS;
    std::wstring path(target);
    // Relative targets resolve against the folder current at open time, for
    // the folders made and for the file alike.
    if (!IsAbsolute(path)) path = base_ + path;
    if (info.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        CreateFolderLevels(path);
        return ZRC_OK;
    }
    // A target that climbs with ".." is written where it says; no folders are made for it.
    const size_t cut = path.find_last_of(L"\\/");
    if (cut != std::wstring::npos && !Climbs(target)) CreateFolderLevels(path.substr(0, cut));
    zipcore::FileStamp stamp;
    stamp.attributes = info.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                          FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    stamp.creation = info.creationTime;
    stamp.access = info.accessTime;
    stamp.modification = info.modificationTime;
    return CodeOf(zipcore::ExtractToFileAtomically(*zip_, index, path, stamp));
}

}  // namespace

struct ZipReaderHandle {
    DWORD kind;
    Reader* reader;
};

namespace {

Reader* ReaderOf(ZipReaderHandle* zip, DWORD* code) {
    *code = !zip ? ZRC_ARGS : (zip->kind != kReaderKind || !zip->reader) ? ZRC_ZMODE : ZRC_OK;
    return *code == ZRC_OK ? zip->reader : nullptr;
}

std::unique_ptr<zipcore::ZipSource> OpenSource(const void* source, DWORD length, int kind, DWORD* code) {
    *code = ZRC_OK;
    if (!source) {
        *code = ZRC_ARGS;
        return nullptr;
    }
    if (kind == ZIPKIND_MEMORY) return std::make_unique<zipcore::MemoryZipSource>(source, length);
    if (kind == ZIPKIND_FILENAME) {
        auto file = zipcore::OpenFileSource(static_cast<const wchar_t*>(source));
        if (!file) *code = ZRC_NOFILE;
        return file;
    }
    if (kind != ZIPKIND_HANDLE) {
        *code = ZRC_ARGS;
        return nullptr;
    }
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), const_cast<HANDLE>(source), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        *code = ZRC_NODUPH;
        return nullptr;
    }
    if (GetFileType(copy) != FILE_TYPE_DISK) {
        CloseHandle(copy);
        *code = ZRC_SEEK;
        return nullptr;
    }
    auto file = std::make_unique<zipcore::FileZipSource>(copy);
    if (!file->IsValid()) {
        *code = ZRC_SEEK;
        return nullptr;
    }
    return file;
}

}  // namespace

ZipReaderHandle* ZipArchiveOpen(const void* source, DWORD length, int kind) {
    DWORD code;
    auto opened = OpenSource(source, length, kind, &code);
    if (!opened) {
        Result(code);
        return nullptr;
    }
    auto zip = zipcore::ZipDirectory::Open(std::move(opened));
    if (!zip) {
        Result(ZRC_CORRUPT);
        return nullptr;
    }
    Result(ZRC_OK);
    return new ZipReaderHandle{kReaderKind, new Reader(std::move(zip))};
}

DWORD ZipReadEntry(ZipReaderHandle* zip, int index, ZipItemInfo* entry) {
    DWORD code;
    Reader* reader = ReaderOf(zip, &code);
    if (!reader) return Result(code);
    if (!entry) return Result(ZRC_ARGS);
    return Result(reader->Describe(index, entry));
}

DWORD FindZipItem(ZipReaderHandle* zip, const wchar_t* name, bool ignoreCase, int* index, ZipItemInfo* entry) {
    DWORD code;
    Reader* reader = ReaderOf(zip, &code);
    if (!reader) return Result(code);
    if (!name || !index || !entry) return Result(ZRC_ARGS);
    return Result(reader->Find(name, ignoreCase, index, entry));
}

DWORD UnzipItem(ZipReaderHandle* zip, int index, void* target, DWORD length, int kind) {
    DWORD code;
    Reader* reader = ReaderOf(zip, &code);
    if (!reader) return Result(code);
    switch (kind) {
    case ZIPKIND_MEMORY:
        if (!target && length > 0) return Result(ZRC_ARGS);
        return Result(reader->ToMemory(index, static_cast<unsigned char*>(target), length));
    case ZIPKIND_HANDLE:
        return Result(reader->ToHandle(index, static_cast<HANDLE>(target)));
    case ZIPKIND_FILENAME:
        return Result(reader->ToFile(index, static_cast<const wchar_t*>(target)));
    default:
        return Result(ZRC_ARGS);
    }
}

DWORD ZipArchiveClose(ZipReaderHandle* zip) {
    DWORD code;
    Reader* reader = ReaderOf(zip, &code);
    if (!reader) return Result(code);
    delete reader;
    zip->kind = 0;
    zip->reader = nullptr;
    delete zip;
    return Result(ZRC_OK);
}

unsigned ZipResultMessage(DWORD code, wchar_t* buffer, unsigned length) {
    if (code == ZRC_RECENT) code = g_lastResult;
    const wchar_t* text;
    switch (code) {
    case ZRC_OK: text = L"Success"; break;
    case ZRC_NODUPH: text = L"Culdn't duplicate handle"; break;
    case ZRC_NOFILE: text = L"Couldn't create/open file"; break;
    case ZRC_NOALLOC: text = L"Failed to allocate memory"; break;
    case ZRC_WRITE: text = L"Error writing to file"; break;
    case ZRC_NOTFOUND: text = L"File not found in the zipfile"; break;
    case ZRC_MORE: text = L"Still more data to unzip"; break;
    case ZRC_CORRUPT: text = L"Zipfile is corrupt or not a zipfile"; break;
    case ZRC_READ: text = L"Error reading file"; break;
    case ZRC_ARGS: text = L"Caller: faulty arguments"; break;
    case ZRC_NOTMMAP: text = L"Caller: can only get memory of a memory zipfile"; break;
    case ZRC_MEMSIZE: text = L"Caller: not enough space allocated for memory zipfile"; break;
    case ZRC_FAILED: text = L"Caller: there was a previous error"; break;
    case ZRC_ENDED: text = L"Caller: additions to the zip have already been ended"; break;
    case ZRC_MISSIZE: text = L"Zip-bug: the anticipated size turned out wrong"; break;
    case ZRC_PARTIALUNZ: text = L"Caller: the file had already been partially unzipped"; break;
    case ZRC_ZMODE: text = L"Caller: mixing creation and opening of zip"; break;
    case ZRC_NOTINITED: text = L"Zip-bug: internal initialisation not completed"; break;
    case ZRC_SEEK: text = L"Zip-bug: trying to seek the unseekable"; break;
    case ZRC_NOCHANGE: text = L"Zip-bug: tried to change mind, but not allowed"; break;
    case ZRC_FLATE: text = L"Zip-bug: an internal error during flation"; break;
    default: text = L"unknown zip result code"; break;
    }
    const unsigned full = static_cast<unsigned>(std::wcslen(text));
    if (buffer && length > 0) {
        const unsigned keep = std::min(full, length - 1);
        std::wmemcpy(buffer, text, keep);
        buffer[keep] = L'\0';
    }
    return full;
}
