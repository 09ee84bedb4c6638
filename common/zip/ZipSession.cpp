#include "ZipSession.h"

#include "ZipFileWriter.h"

namespace zipcore {

namespace {

constexpr size_t kNameField = 260;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A path that names its drive or share in full: the caller's own choice of place.
bool IsFullyQualified(const std::wstring& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return true;
    return path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

bool IsRooted(const std::wstring& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}

// A relative path stays below the base folder only when no part of it is
// ".." and none names a drive or a stream.
bool StaysInside(const std::wstring& path) {
    if (path.empty() || IsSeparator(path[0])) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::wstring part = path.substr(start, end - start);
        if (part == L".." || part.find(L':') != std::wstring::npos) return false;
        start = end + 1;
    }
    return true;
}

bool Climbs(const std::wstring& path) {
    return path.find(L"../") != std::wstring::npos || path.find(L"..\\") != std::wstring::npos;
}

void CreateFolderChain(const std::wstring& folder) {
    for (size_t i = 0; i < folder.size(); ++i) {
        // Skip the drive or share root; make every level after it.
        if (IsSeparator(folder[i]) && i > 0 && folder[i - 1] != L':' && !(i == 1 && IsSeparator(folder[0])))
            CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
}

std::wstring CurrentFolderWithSlash() {
    wchar_t folder[MAX_PATH * 2] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, folder);
    std::wstring base;
    if (length > 0 && length < MAX_PATH * 2) base.assign(folder, length);
    if (!base.empty() && !IsSeparator(base.back())) base += L'\\';
    return base;
}

DWORD CodeOf(LocateResult result) {
    return result == LocateResult::Ok ? kZipOk : result == LocateResult::ReadFailed ? kZipRead : kZipCorrupt;
}

std::unique_ptr<ZipSource> OpenSource(int kind, const void* source, DWORD length, DWORD* code) {
    *code = kZipOk;
    if (!source) {
        *code = kZipArgs;
        return nullptr;
    }
    if (kind == kZipKindMemory) return std::make_unique<MemoryZipSource>(source, length);
    if (kind == kZipKindFileName) {
        auto file = OpenFileSource(static_cast<const wchar_t*>(source));
        if (!file) *code = kZipNoFile;
        return file;
    }
    if (kind != kZipKindHandle) {
        *code = kZipArgs;
        return nullptr;
    }
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), const_cast<HANDLE>(source), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        *code = kZipNoDuplicate;
        return nullptr;
    }
    if (GetFileType(copy) != FILE_TYPE_DISK) {
        CloseHandle(copy);
        *code = kZipSeek;
        return nullptr;
    }
    auto file = std::make_unique<FileZipSource>(copy);
    if (!file->IsValid()) {
        *code = kZipSeek;
        return nullptr;
    }
    return file;
}

}  // namespace

namespace {
constexpr DWORD kReaderKind = 1;
}  // namespace

SessionHandle* OpenSessionHandle(int kind, const void* source, DWORD length, const SessionRules& rules, DWORD* code) {
    auto session = ZipSession::Open(kind, source, length, rules, code);
    if (!session) return nullptr;
    return new SessionHandle{kReaderKind, session.release()};
}

ZipSession* SessionOf(SessionHandle* handle, DWORD* code) {
    *code = !handle ? kZipArgs : (handle->kind != kReaderKind || !handle->session) ? kZipMode : kZipOk;
    return *code == kZipOk ? handle->session : nullptr;
}

DWORD CloseSessionHandle(SessionHandle* handle) {
    DWORD code;
    ZipSession* session = SessionOf(handle, &code);
    if (!session) return code;
    delete session;
    handle->kind = 0;
    handle->session = nullptr;
    delete handle;
    return kZipOk;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

ZipSession::ZipSession(std::unique_ptr<ZipDirectory> zip, const SessionRules& rules)
    : zip_(std::move(zip)), rules_(rules), base_(CurrentFolderWithSlash()) {}

std::unique_ptr<ZipSession> ZipSession::Open(int kind, const void* source, DWORD length, const SessionRules& rules,
                                             DWORD* code) {
    auto opened = OpenSource(kind, source, length, code);
    if (!opened) return nullptr;
    auto zip = ZipDirectory::Open(std::move(opened));
    if (!zip) {
        *code = kZipCorrupt;
        return nullptr;
    }
    *code = kZipOk;
    return std::unique_ptr<ZipSession>(new ZipSession(std::move(zip), rules));
}

int ZipSession::FindIndex(const std::function<bool(const std::string&)>& matches) const {
    const auto& entries = zip_->Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (matches(entries[i].name)) return static_cast<int>(i);
    }
    return -1;
}

DWORD ZipSession::DescribeUncached(int index, EntryDescription* entry) const {
    if (index < 0 || index >= Count()) return kZipArgs;
    if (DWORD code = CodeOf(DescribeEntry(*zip_, index, entry))) return code;
    if (entry->name.size() >= kNameField) {
        // A cut name would extract under another name than the archive's.
        if (rules_.refuseLongNames) return kZipCorrupt;
        entry->name.resize(kNameField - 1);
    }
    return kZipOk;
}

DWORD ZipSession::Describe(int index, EntryDescription* entry) {
    if (index >= 0 && index == cachedIndex_) {
        *entry = cached_;
        return kZipOk;
    }
    EntryDescription d;
    if (DWORD code = DescribeUncached(index, &d)) return code;
    cached_ = d;
    cachedIndex_ = index;
    *entry = d;
    return kZipOk;
}

DWORD ZipSession::ToMemory(int index, unsigned char* buffer, DWORD length) {
    if (index != openIndex_ || !openItem_) {
        openItem_.reset();
        openIndex_ = -1;
        if (index < 0 || index >= Count()) return kZipArgs;
        ZipItemLocation location;
        if (DWORD code = CodeOf(zip_->Locate(index, &location))) return code;
        openItem_ = std::make_unique<ZipItemStream>(zip_->Source(), location);
        openIndex_ = index;
    }
    size_t written = 0;
    const auto status = openItem_->Read(buffer, length, &written);
    if (status == ZipItemStream::More) return kZipMore;
    openItem_.reset();
    openIndex_ = -1;
    return status == ZipItemStream::Done ? kZipOk : kZipFlate;
}

DWORD ZipSession::ToHandle(int index, HANDLE file) {
    EntryDescription entry;
    if (DWORD code = Describe(index, &entry)) return code;
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) return kZipOk;
    switch (ExtractToHandle(*zip_, index, file)) {
    case WriteResult::Ok: break;
    case WriteResult::DataFailed: return rules_.dataErrorsAreWriteErrors ? kZipWrite : kZipFlate;
    default: return kZipWrite;
    }
    if (GetFileType(file) == FILE_TYPE_DISK) SetFileTime(file, &entry.creation, &entry.access, &entry.modification);
    return kZipOk;
}

DWORD ZipSession::ToFile(int index, const wchar_t* target) {
    EntryDescription entry;
    if (DWORD code = Describe(index, &entry)) return code;
    return WriteItemFile(index, entry, target, nullptr);
}

DWORD ZipSession::ToFileConcurrently(int index, const wchar_t* target, HANDLE folder) const {
    EntryDescription entry;
    if (DWORD code = DescribeUncached(index, &entry)) return code;
    return WriteItemFile(index, entry, target, folder);
}

DWORD ZipSession::WriteItemFile(int index, const EntryDescription& entry, const wchar_t* target,
                                HANDLE folder) const {
    if (!target || !*target) return kZipArgs;
    std::wstring path(target);
    bool makeFolders = true;
    if (rules_.relativeTargetsStayInside) {
        if (!IsFullyQualified(path)) {
            if (!StaysInside(path)) return kZipNoFile;
            path = base_ + path;
        } else {
            makeFolders = false;  // a full path's folders are the caller's to make
        }
    } else if (!IsRooted(path)) {
        path = base_ + path;
        // A target that climbs with ".." is written where it says; no folders are made for it.
        makeFolders = !Climbs(path);
    } else {
        makeFolders = false;
    }
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        CreateFolderChain(path);
        return kZipOk;
    }
    const size_t cut = path.find_last_of(L"\\/");
    if (makeFolders && cut != std::wstring::npos) CreateFolderChain(path.substr(0, cut));
    FileStamp stamp;
    stamp.attributes = entry.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                           FILE_ATTRIBUTE_ARCHIVE);
    stamp.creation = entry.creation;
    stamp.access = entry.access;
    stamp.modification = entry.modification;
    // The folder handle stands for the target's folder only as the caller named it.
    if (path != target) folder = nullptr;
    switch (ExtractToFileAtomically(*zip_, index, path, stamp, {}, folder)) {
    case WriteResult::Ok: return kZipOk;
    case WriteResult::CannotCreate: return kZipNoFile;
    case WriteResult::DataFailed: return rules_.dataErrorsAreWriteErrors ? kZipWrite : kZipFlate;
    case WriteResult::CannotLocate: return rules_.dataErrorsAreWriteErrors ? kZipWrite : kZipCorrupt;
    default: return kZipWrite;
    }
}

DWORD ZipSession::Extract(int index, void* target, DWORD length, int kind) {
    switch (kind) {
    case kZipKindMemory:
        if (!target && length > 0) return kZipArgs;
        return ToMemory(index, static_cast<unsigned char*>(target), length);
    case kZipKindHandle:
        return ToHandle(index, static_cast<HANDLE>(target));
    case kZipKindFileName:
        return ToFile(index, static_cast<const wchar_t*>(target));
    default:
        return kZipArgs;
    }
}

}  // namespace zipcore
