#include "core/ApplyUpdate.h"

#include <windows.h>

#include <algorithm>

#include "ZipReader.h"
#include "ZipUtils.h"
#include "core/ApplyJournal.h"
#include "core/UpdaterSettings.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"
#include "zip/ZipEntryName.h"

namespace {

// Held while an installation's files are being replaced or recovered, so a
// start during an apply never undoes it. A killed holder leaves the mutex
// abandoned, which the next start acquires.
class ApplyLock {
public:
    ApplyLock(DWORD waitMs) : mutex_(CreateMutexW(nullptr, FALSE, L"Quellart-apply-{7D2B6C1E-5A43-4F0B-9E8D-3C61A0F4B217}")) {
        if (!mutex_) return;
        const DWORD result = WaitForSingleObject(mutex_.Get(), waitMs);
        owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~ApplyLock() {
        if (owned_) ReleaseMutex(mutex_.Get());
    }
    ApplyLock(const ApplyLock&) = delete;
    ApplyLock& operator=(const ApplyLock&) = delete;
    bool Owned() const { return owned_; }

private:
    ScopedHandle mutex_;
    bool owned_ = false;
};

std::wstring WithBackslashes(std::wstring name) {
    std::replace(name.begin(), name.end(), L'/', L'\\');
    return name;
}

std::wstring WithSlashes(std::wstring name) {
    std::replace(name.begin(), name.end(), L'\\', L'/');
    return name;
}

// Every file the package will write, and whether it is there now. A package
// with an item that names a place outside the installation is refused whole.
bool PlanItems(const ApplyRequest& request, std::vector<JournalItem>& items) {
    ZipReaderHandle* zip = ZipArchiveOpen(request.paths.package.c_str(), 0, ZIPKIND_FILENAME);
    if (!zip) return false;
    ZipItemInfo entry;
    ZipReadEntry(zip, -1, &entry);
    const int count = entry.index;
    bool readable = true;
    for (int index = 0; index < count; ++index) {
        if (ZipReadEntry(zip, index, &entry) != ZRC_OK) {
            readable = false;
            break;
        }
        const std::wstring name(entry.name);
        if (!zipcore::IsContainedEntryName(entry.name)) {
            readable = false;
            break;
        }
        if (name.empty() || name.back() == L'/' || name.back() == L'\\') continue;
        if (std::find(request.keepList.begin(), request.keepList.end(), name) != request.keepList.end()) continue;
        JournalItem item;
        item.name = WithBackslashes(name);
        item.existed = FileExists(request.paths.base + item.name);
        items.push_back(item);
    }
    ZipArchiveClose(zip);
    return readable;
}

// A backup folder left by an earlier attempt at the same version is moved
// aside, so the backups of this attempt are exactly its own.
void SetAsideOldBackup(const std::wstring& backupFolder) {
    if (!FolderExists(backupFolder)) return;
    std::wstring folder = backupFolder;
    if (folder.back() == L'\\') folder.pop_back();
    MoveFileW(folder.c_str(), (folder + L"-" + std::to_wstring(GetTickCount())).c_str());
}

// The settings file inside the package, extracted beside the version files.
void CarryPackageSettings(const UpdatePaths& paths, const ApplyJournal& journal) {
    if (journal.settingsFile.empty() || journal.package.empty()) return;
    const std::wstring packageCopy = paths.autoupdate + L"package-settings.tmp";
    if (Unzip(journal.package.c_str(), WithSlashes(journal.settingsFile).c_str(), packageCopy.c_str())) {
        CarrySettings(packageCopy, paths.base + journal.settingsFile);
        RemoveFileEvenIfReadOnly(packageCopy);
    } else {
        CarrySettings(packageCopy, paths.base + journal.settingsFile);  // the package's defaults
    }
}

// curjson becomes oldjson's content and newjson takes its place; the rename
// itself is one step, so curjson always names a whole version.
void AdvanceVersionFiles(const UpdatePaths& paths) {
    if (!FileExists(paths.newjson)) return;  // done before
    if (FileExists(paths.curjson)) CopyFileW(paths.curjson.c_str(), paths.oldjson.c_str(), FALSE);
    MoveFileExW(paths.newjson.c_str(), paths.curjson.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void FinishApplied(const UpdatePaths& paths) {
    ApplyJournal journal;
    ReadApplyJournal(paths.appliedMarker, journal);
    CarryPackageSettings(paths, journal);
    AdvanceVersionFiles(paths);
    RemoveFileEvenIfReadOnly(paths.appliedMarker);
}

}  // namespace

ApplyResult ApplyUpdate(const ApplyRequest& request, ApplyObserver* observer) {
    const UpdatePaths& paths = request.paths;
    if (FileExists(paths.testRunMarker)) return ApplyResult::TestRun;
    ApplyLock lock(30000);
    if (!lock.Owned()) return ApplyResult::Failed;
    ApplyJournal journal;
    journal.backupFolder = paths.BackupFolder(request.version);
    journal.settingsFile = request.settingsFile;
    journal.package = paths.package;
    if (!PlanItems(request, journal.items)) return ApplyResult::Failed;
    CreateFolderTree(paths.base);
    SetAsideOldBackup(journal.backupFolder);
    CreateFolderTree(journal.backupFolder);
    if (!WriteApplyJournal(paths.applyJournal, journal)) return ApplyResult::Failed;
    if (!UnzipWithBackup(paths.package.c_str(), paths.base.c_str(), journal.backupFolder.c_str(), request.keepList)) {
        RollBackFiles(paths.base, journal);
        RemoveFileEvenIfReadOnly(paths.applyJournal);
        return ApplyResult::Failed;
    }
    if (!MoveFileExW(paths.applyJournal.c_str(), paths.appliedMarker.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RollBackFiles(paths.base, journal);
        RemoveFileEvenIfReadOnly(paths.applyJournal);
        return ApplyResult::Failed;
    }
    if (observer) observer->OnFilesReplaced();
    FinishApplied(paths);
    return ApplyResult::Applied;
}

Recovery RecoverInterruptedApply(const UpdatePaths& paths) {
    if (!FileExists(paths.applyJournal) && !FileExists(paths.appliedMarker)) return Recovery::Nothing;
    ApplyLock lock(0);
    if (!lock.Owned()) return Recovery::Nothing;  // an apply is running
    ApplyJournal journal;
    if (ReadApplyJournal(paths.applyJournal, journal)) {
        RollBackFiles(paths.base, journal);
        RemoveFileEvenIfReadOnly(paths.applyJournal);
        return Recovery::RolledBack;
    }
    RemoveFileEvenIfReadOnly(paths.applyJournal + L".tmp");
    if (FileExists(paths.appliedMarker)) {
        FinishApplied(paths);
        return Recovery::Completed;
    }
    return Recovery::Nothing;
}
