#include "ItemExtraction.h"

#include "ItemNames.h"
#include "ZipTextHelpers.h"
#include "win32/FileUtil.h"
#include "win32/FolderRelative.h"

#include <windows.h>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A running program's file (or one another process holds without sharing
// writes) cannot be written, and so cannot be replaced in place either.
bool Writable(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::wstring FailureLine(const PlannedItem& item, const wchar_t* why) {
    return L" UnzipItem != ZR_OK, ze.name = " + item.name + L" errcode= " + std::to_wstring(GetLastError()) +
           L" (" + why + L")";
}

}  // namespace

// Levels below the deepest folder known to be there are the only ones tried,
// as CreateDirectoriesForFile would try them (nothing for a path too long).
// The folders known always include every level above each of them.
const FolderMaker::Folder* FolderMaker::MakeFor(const std::wstring& file) {
    const size_t cut = file.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return nullptr;
    const std::wstring path = file.substr(0, cut + 1);
    std::lock_guard<std::mutex> lock(mutex_);
    auto known = made_.find(path);
    if (known == made_.end()) {
        if (path.size() >= kZipTextBuffer) return nullptr;
        size_t from = 1;
        for (size_t end = cut; end > 1; --end) {
            if (IsSeparator(path[end - 1]) && made_.count(path.substr(0, end))) {
                from = end;
                break;
            }
        }
        std::map<std::wstring, bool> levels;
        for (size_t i = from; i < path.size(); ++i) {
            if (!IsSeparator(path[i])) continue;
            std::wstring level = path.substr(0, i + 1);
            const bool created = CreateDirectoryW(level.c_str(), nullptr) != 0;
            levels.emplace(std::move(level), created);
        }
        if (!FolderExists(path)) return nullptr;
        for (const auto& level : levels) made_[level.first].createdHere = level.second;
        known = made_.find(path);
    }
    Folder& folder = known->second;
    if (!folder.handle) folder.handle = OpenFolderForNames(path);
    return &folder;
}

ItemExtraction::ItemExtraction(ZipReaderHandle* zip, const std::wstring& targetFolder, const wchar_t* backupFolder,
                               bool independentItems)
    : zip_(zip),
      targetFolder_(targetFolder),
      backupFolder_(backupFolder ? backupFolder : L""),
      independentItems_(independentItems) {}

DWORD ItemExtraction::Extract(int index, const std::wstring& path, HANDLE folder) const {
    return UnzipItemToFileConcurrently(zip_, index, path.c_str(), folder);
}

// Moves the file about to be replaced under the backup folder. A backup left
// by an earlier run is replaced: it belongs to a version already superseded.
bool ItemExtraction::MoveToBackup(const std::wstring& target, const std::wstring& backup) {
    folders_.MakeFor(backup);
    ClearReadOnly(backup);
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
        ClearReadOnly(backup);
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

bool ItemExtraction::Run(const PlannedItem& item, std::wstring* failure) {
    const auto fail = [&](const wchar_t* why) {
        *failure = FailureLine(item, why);
        return false;
    };
    const std::wstring name = WithBackslashes(item.name);
    const std::wstring target = targetFolder_ + name;
    const bool isFolder = !name.empty() && name.back() == L'\\';
    const bool withBackup = !backupFolder_.empty();
    if (isFolder && withBackup) return true;  // folders come with their files
    // Its folder is made first (a target that is there has its folder anyway):
    // in a folder just made, there is nothing to look for.
    const FolderMaker::Folder* folder = folders_.MakeFor(target);
    const bool freshFolder = folder && folder->createdHere && independentItems_;
    const DWORD existing = freshFolder ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(target.c_str());
    const bool folderThere = existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY);
    if (folderThere && !isFolder && !(item.attributes & FILE_ATTRIBUTE_DIRECTORY)) return fail(L"a folder of that name");
    if (isFolder || (item.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CreateDirectoryChain(target.c_str());
        const DWORD made = GetFileAttributesW(target.c_str());
        if (made == INVALID_FILE_ATTRIBUTES || !(made & FILE_ATTRIBUTE_DIRECTORY)) return fail(L"folder");
        return true;
    }
    // The new file carries the item's attributes: only a read-only item makes
    // it read-only, and only then is the bit cleared.
    const bool readOnlyItem = (item.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (!withBackup || existing == INVALID_FILE_ATTRIBUTES) {
        ClearReadOnly(target, existing);
        if (Extract(item.index, target, folder ? folder->handle.Get() : nullptr) != ZRC_OK) return fail(L"extract");
        if (readOnlyItem) ClearReadOnly(target);
        return true;
    }
    // The new data is extracted and checked first; only then does the old file
    // become the backup, and the new one takes its place.
    const std::wstring backup = backupFolder_ + name;
    const std::wstring staged = target + L".new-" + std::to_wstring(GetCurrentProcessId());
    DeleteFileW(staged.c_str());
    if (Extract(item.index, staged, folder ? folder->handle.Get() : nullptr) != ZRC_OK) {
        DeleteFileW(staged.c_str());
        return fail(L"extract");
    }
    ClearReadOnly(target, existing);
    if (!ReplaceKeepingBackup(target, staged, backup)) {
        SetFileAttributesW(staged.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(staged.c_str());
        return fail(L"replace");
    }
    if (readOnlyItem) ClearReadOnly(target);
    return true;
}
