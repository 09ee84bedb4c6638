#include "ZipUtils.h"

#include "ZipReader.h"
#include "ZipTextHelpers.h"
#include "win32/TextConvert.h"
#include "zip/ZipEntryName.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>

namespace {

void DebuggerLine(const wchar_t* line) {
    OutputDebugStringW(line);
    OutputDebugStringW(L"\n");
}

std::atomic<ZipUtilsLogger> g_logger{&DebuggerLine};

void Log(const std::wstring& line) { g_logger.load()(line.c_str()); }

std::wstring SystemError() { return std::to_wstring(GetLastError()); }

// Clears the read-only bit, so the file can be replaced or changed later.
void MakeWritable(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

// The same for a file whose attributes were just read.
void MakeWritable(const std::wstring& path, DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Makes the folders files go in, each folder once per archive: thousands of
// files share a few folders, and under Wine every CreateDirectoryW of every
// level is a round trip. A folder counts as made only once it is there, so a
// level that could not be made is tried again for the next file, as before.
class FolderMaker {
public:
    void MakeFor(const std::wstring& file) {
        const size_t cut = file.find_last_of(L"\\/");
        if (cut == std::wstring::npos) return;
        std::wstring folder = file.substr(0, cut + 1);
        if (made_.count(folder)) return;
        CreateDirectoriesForFile(file.c_str());
        if (IsFolder(folder)) made_.insert(std::move(folder));
    }

private:
    std::set<std::wstring> made_;
};

// A running program's file (or one another process holds without sharing
// writes) cannot be written, and so cannot be replaced in place either.
bool Writable(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Owns an open archive.
class OpenArchive {
public:
    explicit OpenArchive(const wchar_t* path) : zip_(ZipArchiveOpen(path, 0, ZIPKIND_FILENAME)) {}
    ~OpenArchive() {
        if (zip_) ZipArchiveClose(zip_);
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;
    ZipReaderHandle* Get() const { return zip_; }

private:
    ZipReaderHandle* zip_;
};

std::wstring WithBackslashes(std::wstring name) {
    std::replace(name.begin(), name.end(), L'/', L'\\');
    return name;
}

// The name as Windows compares file names: one entry per file on disk.
std::wstring DiskKey(std::wstring name) {
    name = WithBackslashes(std::move(name));
    while (!name.empty() && name.back() == L'\\') name.pop_back();
    if (!name.empty()) CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

}  // namespace

void SetZipUtilsLogger(ZipUtilsLogger logger) { g_logger = logger ? logger : &DebuggerLine; }

bool Unzip(const wchar_t* zipPath, const wchar_t* itemName, const wchar_t* targetFile) {
    if (!zipPath || !itemName || !targetFile) return false;
    CreateDirectoriesForFile(targetFile);
    OpenArchive zip(zipPath);
    if (!zip.Get()) {
        Log(std::wstring(zipPath) + L" hz == NULL, errcode = " + SystemError());
        return false;
    }
    int index = -1;
    ZipItemInfo entry;
    if (FindZipItem(zip.Get(), itemName, false, &index, &entry) != ZRC_OK || index == -1) {
        Log(std::wstring(L" FindZipItem ") + itemName + L" index == -1");
        return false;
    }
    const std::wstring target(targetFile);
    MakeWritable(target);
    const DWORD code = UnzipItem(zip.Get(), index, const_cast<wchar_t*>(targetFile), 0, ZIPKIND_FILENAME);
    if (code != ZRC_OK)
        Log(std::wstring(L" UnzipItem != ZR_OK, name = ") + itemName + L" errcode= " + SystemError());
    MakeWritable(target);
    return code == ZRC_OK;
}

bool Unzip(const char* zipPath, const char* itemName, const char* targetFile) {
    if (!zipPath || !itemName || !targetFile) return false;
    return Unzip(AnsiToWide(std::string_view(zipPath)).c_str(), AnsiToWide(std::string_view(itemName)).c_str(),
                 AnsiToWide(std::string_view(targetFile)).c_str());
}

namespace {

// One item of UnzipWithBackup; false when it failed.
class ItemExtraction {
public:
    ItemExtraction(ZipReaderHandle* zip, const std::wstring& targetFolder, const wchar_t* backupFolder)
        : zip_(zip), targetFolder_(targetFolder), backupFolder_(backupFolder ? backupFolder : L"") {}

    bool Run(int index, const ZipItemInfo& entry);

private:
    bool MoveToBackup(const std::wstring& target, const std::wstring& backup);
    bool ReplaceKeepingBackup(const std::wstring& target, const std::wstring& staged, const std::wstring& backup);
    bool Fail(const ZipItemInfo& entry, const wchar_t* why);

    ZipReaderHandle* zip_;
    std::wstring targetFolder_;
    std::wstring backupFolder_;
    FolderMaker folders_;
};

bool ItemExtraction::Fail(const ZipItemInfo& entry, const wchar_t* why) {
    Log(std::wstring(L" UnzipItem != ZR_OK, ze.name = ") + entry.name + L" errcode= " + SystemError() + L" (" +
        why + L")");
    return false;
}

// Moves the file about to be replaced under the backup folder. A backup left
// by an earlier run is replaced: it belongs to a version already superseded.
bool ItemExtraction::MoveToBackup(const std::wstring& target, const std::wstring& backup) {
    folders_.MakeFor(backup);
    MakeWritable(backup);
    return MoveFileExW(target.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

// The old file becomes the backup and the new one takes its name. Where the
// file system allows, the backup is a second name (or a copy) of the old file
// and the new one replaces the target in one rename, so the target's name is
// never missing, not even for a moment. A file in use (a running program)
// cannot be replaced in place: it moves to the backup first.
bool ItemExtraction::ReplaceKeepingBackup(const std::wstring& target, const std::wstring& staged,
                                          const std::wstring& backup) {
    folders_.MakeFor(backup);
    // A backup left by an earlier run belongs to a superseded version. Most
    // items have none: its attributes are looked at only when a delete fails.
    if (!DeleteFileW(backup.c_str()) && GetLastError() == ERROR_ACCESS_DENIED) {
        MakeWritable(backup);
        DeleteFileW(backup.c_str());
    }
    if (Writable(target) &&
        (CreateHardLinkW(backup.c_str(), target.c_str(), nullptr) || CopyFileW(target.c_str(), backup.c_str(), TRUE))) {
        if (MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        DeleteFileW(backup.c_str());
    }
    if (!MoveToBackup(target, backup)) return false;
    if (MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED);  // put the old file back
    return false;
}

bool ItemExtraction::Run(int index, const ZipItemInfo& entry) {
    const std::wstring name = WithBackslashes(entry.name);
    const std::wstring target = targetFolder_ + name;
    const bool isFolder = !name.empty() && name.back() == L'\\';
    const bool withBackup = !backupFolder_.empty();
    if (isFolder && withBackup) return true;  // folders come with their files
    const DWORD existing = GetFileAttributesW(target.c_str());
    const bool folderThere = existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY);
    if (folderThere && !isFolder && !(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(entry, L"a folder of that name");
    folders_.MakeFor(target);
    if (isFolder || (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CreateDirectoryChain(target.c_str());
        const DWORD made = GetFileAttributesW(target.c_str());
        if (made == INVALID_FILE_ATTRIBUTES || !(made & FILE_ATTRIBUTE_DIRECTORY)) return Fail(entry, L"folder");
        return true;
    }
    // The new file carries the item's attributes: only a read-only item makes
    // it read-only, and only then is the bit cleared.
    const bool readOnlyItem = (entry.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (!withBackup || existing == INVALID_FILE_ATTRIBUTES) {
        MakeWritable(target, existing);
        if (UnzipItem(zip_, index, const_cast<wchar_t*>(target.c_str()), 0, ZIPKIND_FILENAME) != ZRC_OK)
            return Fail(entry, L"extract");
        if (readOnlyItem) MakeWritable(target);
        return true;
    }
    // The new data is extracted and checked first; only then does the old file
    // become the backup, and the new one takes its place.
    const std::wstring backup = backupFolder_ + name;
    const std::wstring staged = target + L".new-" + std::to_wstring(GetCurrentProcessId());
    DeleteFileW(staged.c_str());
    if (UnzipItem(zip_, index, const_cast<wchar_t*>(staged.c_str()), 0, ZIPKIND_FILENAME) != ZRC_OK) {
        DeleteFileW(staged.c_str());
        return Fail(entry, L"extract");
    }
    MakeWritable(target, existing);
    if (!ReplaceKeepingBackup(target, staged, backup)) {
        SetFileAttributesW(staged.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(staged.c_str());
        return Fail(entry, L"replace");
    }
    if (readOnlyItem) MakeWritable(target);
    return true;
}

}  // namespace

bool UnzipWithBackup(const wchar_t* zipPath, const wchar_t* targetFolder, const wchar_t* backupFolder,
                     const std::vector<std::wstring>& keep) {
    if (!zipPath || !targetFolder) return false;
    OpenArchive zip(zipPath);
    if (!zip.Get()) {
        Log(std::wstring(zipPath) + L" hz == NULL, errcode = " + SystemError());
        return false;
    }
    ZipItemInfo entry;
    ZipReadEntry(zip.Get(), -1, &entry);
    const int count = entry.index;
    ItemExtraction extraction(zip.Get(), targetFolder, backupFolder);
    std::set<std::wstring> written;  // each file on disk once: a second item of that name is refused
    bool allExtracted = true;
    for (int index = 0; index < count; ++index) {
        if (ZipReadEntry(zip.Get(), index, &entry) != ZRC_OK) {
            Log(L" ZipReadEntry != ZR_OK, index = " + std::to_wstring(index));
            allExtracted = false;
            continue;
        }
        if (std::find(keep.begin(), keep.end(), std::wstring(entry.name)) != keep.end()) continue;
        if (!zipcore::IsContainedEntryName(entry.name)) {
            Log(std::wstring(L" refused item outside the folder, ze.name = ") + entry.name);
            allExtracted = false;
            continue;
        }
        if (!written.insert(DiskKey(entry.name)).second) {
            Log(std::wstring(L" refused a second item of the same name, ze.name = ") + entry.name);
            allExtracted = false;
            continue;
        }
        if (!extraction.Run(index, entry)) allExtracted = false;
    }
    return allExtracted;
}
