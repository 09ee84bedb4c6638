#include "core/ApplyUpdate.h"

#include <windows.h>

#include <algorithm>

#include "ZipUtils.h"
#include "core/ApplyJournal.h"
#include "core/PackageCheck.h"
#include "core/UpdateCheck.h"
#include "core/UpdaterSettings.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

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

// The folders above `name` (relative, with backslashes) that are not there
// yet, parents first, each listed once.
void PlanFolders(const std::wstring& base, const std::wstring& name, std::vector<std::wstring>& folders) {
    for (size_t slash = name.find(L'\\'); slash != std::wstring::npos; slash = name.find(L'\\', slash + 1)) {
        const std::wstring folder = name.substr(0, slash);
        if (FolderExists(base + folder)) continue;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
}

// Every file the package will write and whether it is there now, and every
// folder the unpacking will create. A package with an item that names a
// place outside the installation is refused whole.
bool PlanItems(const ApplyRequest& request, ApplyJournal& journal) {
    std::vector<std::wstring> names;
    if (!ReadPackageNames(request.paths.package, names)) return false;
    for (const std::wstring& name : names) {
        if (std::find(request.keepList.begin(), request.keepList.end(), name) != request.keepList.end()) continue;
        std::wstring relative = WithBackslashes(name);
        const bool folder = !relative.empty() && relative.back() == L'\\';
        PlanFolders(request.paths.base, relative, journal.folders);
        if (folder) continue;
        JournalItem item;
        item.name = relative;
        item.existed = FileExists(request.paths.base + item.name);
        journal.items.push_back(item);
    }
    return true;
}

// Undoes the unpacking; the journal goes only once every file is back, so a
// rollback that could not finish is taken up again at the next start.
bool RollBack(const UpdatePaths& paths, const ApplyJournal& journal) {
    if (!RollBackFiles(paths.base, journal, paths.asideFolder)) {
        UpdaterTrace(L" rollback incomplete, kept for the next start: " + paths.applyJournal);
        return false;
    }
    RemoveFileEvenIfReadOnly(paths.applyJournal);
    return true;
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
    if (!lock.Owned()) return ApplyResult::Busy;
    ApplyJournal journal;
    journal.backupFolder = paths.BackupFolder(request.version);
    journal.settingsFile = request.settingsFile;
    journal.package = paths.package;
    if (!PlanItems(request, journal)) {
        UpdaterTrace(L" package refused: " + paths.package);
        return ApplyResult::Failed;
    }
    CreateFolderTree(paths.base);
    SetAsideOldBackup(journal.backupFolder);
    CreateFolderTree(journal.backupFolder);
    if (!WriteApplyJournal(paths.applyJournal, journal)) return ApplyResult::Failed;
    UpdaterTrace(L" unpacking " + std::to_wstring(journal.items.size()) + L" files into " + paths.base);
    if (!UnzipWithBackup(paths.package.c_str(), paths.base.c_str(), journal.backupFolder.c_str(), request.keepList)) {
        UpdaterTrace(L" unpacking failed, the installation is put back");
        RollBack(paths, journal);
        return ApplyResult::Failed;
    }
    if (!MoveFileExW(paths.applyJournal.c_str(), paths.appliedMarker.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RollBack(paths, journal);
        return ApplyResult::Failed;
    }
    UpdaterTrace(L" every file of " + AnsiToWide(request.version) + L" is in place");
    if (observer) observer->OnFilesReplaced();
    FinishApplied(paths);
    UpdaterTrace(L" version files advanced to " + AnsiToWide(request.version));
    return ApplyResult::Applied;
}

Recovery RecoverInterruptedApply(const UpdatePaths& paths) {
    ApplyLock lock(0);
    if (!lock.Owned()) return Recovery::Nothing;  // an apply is running
    EmptyAsideFolder(paths.asideFolder);
    RemoveFileEvenIfReadOnly(paths.applyJournal + L".tmp");  // a journal cut off while written: nothing changed yet
    if (!FileExists(paths.applyJournal) && !FileExists(paths.appliedMarker)) return Recovery::Nothing;
    ApplyJournal journal;
    if (ReadApplyJournal(paths.applyJournal, journal)) {
        UpdaterTrace(L" an update was cut off while unpacking: putting the installation back");
        return RollBack(paths, journal) ? Recovery::RolledBack : Recovery::Incomplete;
    }
    if (FileExists(paths.appliedMarker)) {
        UpdaterTrace(L" an update was cut off after unpacking: completing it");
        FinishApplied(paths);
        return Recovery::Completed;
    }
    return Recovery::Nothing;
}
