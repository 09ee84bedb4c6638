#include "archive/ZipArchive.h"

#include "win32/TextConvert.h"
#include "zip/ZipDirectory.h"
#include "zip/ZipFileWriter.h"
#include "zip/ZipSession.h"

#include <atomic>
#include <cstring>

namespace {

constexpr size_t kMaxFindNameBytes = 256;
constexpr int kArchiveKind = 1;

std::atomic<unsigned> g_lastResult{kZipOk};

unsigned Remember(unsigned result) {
    g_lastResult = result;
    return result;
}

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

DWORD AttributesOf(const zipcore::CentralEntry& e) {
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

unsigned CodeOf(zipcore::WriteResult result) {
    switch (result) {
    case zipcore::WriteResult::Ok: return kZipOk;
    case zipcore::WriteResult::CannotCreate: return kZipCannotOpen;
    case zipcore::WriteResult::WriteFailed: return kZipWriteFailed;
    default: return kZipDataError;
    }
}

std::wstring CurrentFolderWithSlash() {
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    length = GetCurrentDirectoryW(length, folder.data());
    folder.resize(length);
    if (folder.empty() || !IsSeparator(folder.back())) folder += L'\\';
    return folder;
}

}  // namespace

struct ZipArchive {
    int kind = kArchiveKind;
    std::unique_ptr<zipcore::ZipDirectory> zip;
    std::wstring rootFolder;  // current folder at open, with a trailing backslash

    unsigned Describe(int index, ZipEntryInfo* entry) const;
};

unsigned ZipArchive::Describe(int index, ZipEntryInfo* entry) const {
    const zipcore::CentralEntry* e = zip->Entry(index);
    if (!e) return kZipBadArgument;
    ZipEntryInfo info = {};
    info.index = index;
    std::wstring name = Utf8ToWide(e->name);
    if (name.size() >= MAX_PATH) name.resize(MAX_PATH - 1);
    name = SafeZipEntryName(std::move(name));
    std::memcpy(info.name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    info.attributes = AttributesOf(*e);
    info.modificationTime = DosTimeToFileTime(e->dosDate, e->dosTime);
    info.accessTime = info.modificationTime;
    info.creationTime = info.modificationTime;
    const zipcore::ExtendedTimes times = zipcore::ReadExtendedTimes(e->extra);
    if (times.hasModification) info.modificationTime = times.modification;
    if (times.hasAccess) info.accessTime = times.access;
    if (times.hasCreation) info.creationTime = times.creation;
    info.compressedSize = e->compressedSize;
    info.uncompressedSize = e->uncompressedSize;
    if (entry) *entry = info;
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
    auto archive = std::make_unique<ZipArchive>();
    archive->zip = zipcore::ZipDirectory::Open(zipcore::OpenFileSource(path));
    // The bridge reads only archives whose whole directory is sound.
    if (!archive->zip || !archive->zip->IsComplete()) {
        Remember(kZipCannotOpen);
        return nullptr;
    }
    archive->rootFolder = CurrentFolderWithSlash();
    Remember(kZipOk);
    return archive.release();
}

static bool IsArchive(const ZipArchive* zip) { return zip && zip->kind == kArchiveKind; }

unsigned FindZipItem(ZipArchive* zip, const wchar_t* name, int* index, ZipEntryInfo* entry) {
    if (index) *index = -1;
    if (!IsArchive(zip) || !name) return Remember(kZipBadArgument);
    const std::string wanted = WideToUtf8(name);
    if (wanted.size() >= kMaxFindNameBytes) return Remember(kZipNotFound);
    const auto& entries = zip->zip->Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (zipcore::EqualIgnoringAsciiCase(entries[i].name, wanted)) {
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
    const zipcore::CentralEntry& e = *zip->zip->Entry(index);
    if (e.flags & 1) return kZipPasswordNeeded;

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

    zipcore::FileStamp stamp;
    stamp.attributes = info.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    stamp.creation = info.creationTime;
    stamp.access = info.accessTime;
    stamp.modification = info.modificationTime;
    return CodeOf(zipcore::ExtractToFileAtomically(*zip->zip, index, path, stamp));
}

unsigned CloseZipArchive(ZipArchive* zip) {
    if (!IsArchive(zip)) return Remember(kZipBadArgument);
    delete zip;
    return Remember(kZipOk);
}

unsigned ZipLastResult() { return g_lastResult; }
