#include "core/ApplyJournal.h"

#include <windows.h>

#include <sstream>
#include <vector>

#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

namespace {

const char kBackup[] = "backup";
const char kSettings[] = "settings";
const char kPackage[] = "package";
const char kExisted[] = "old";
const char kAdded[] = "new";
const char kFolder[] = "folder";

bool WriteWhole(const std::wstring& file, const std::string& bytes) {
    ScopedHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    if (!WriteFile(out.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        return false;
    return FlushFileBuffers(out.Get()) != 0;
}

std::string ReadWhole(const std::wstring& file) {
    ScopedHandle in(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!in) return std::string();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(in.Get(), &size) || size.QuadPart > (64 << 20)) return std::string();
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(in.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return std::string();
    return bytes;
}

std::vector<std::wstring> FilesMatching(const std::wstring& pattern) {
    std::vector<std::wstring> files;
    const std::wstring folder = pattern.substr(0, pattern.find_last_of(L'\\') + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

// Renames a file that cannot be deleted or replaced (a running program) out
// of the way, into the aside folder on the same volume.
bool MoveAside(const std::wstring& path, const std::wstring& asideFolder) {
    static LONG counter = 0;
    CreateFolderTree(asideFolder);
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    const std::wstring aside = asideFolder + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(InterlockedIncrement(&counter)) +
                               L"-" + name;
    return MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveOrMoveAside(const std::wstring& path, const std::wstring& asideFolder) {
    if (RemoveFileEvenIfReadOnly(path)) return true;
    return MoveAside(path, asideFolder) || !FileExists(path);
}

// The unpacking writes a replacement beside the file first ("<name>.new-<id>"),
// and every extraction goes through a temporary "<name>.<id>.unzipping".
bool RemoveUnpackLeftovers(const std::wstring& target, const std::wstring& asideFolder) {
    bool removed = true;
    for (const wchar_t* suffix : {L".new-*", L".*.unzipping"})
        for (const std::wstring& file : FilesMatching(target + suffix))
            removed = RemoveOrMoveAside(file, asideFolder) && removed;
    return removed;
}

// The backup returns under the file's name. A target in use cannot be
// replaced: it is renamed aside first.
bool PutBack(const std::wstring& target, const std::wstring& backup, const std::wstring& asideFolder) {
    ClearReadOnly(target);
    if (MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // A backup that is a second name of the target's own file is not
        // moved by the rename: the target is the original, the name goes.
        RemoveFileEvenIfReadOnly(backup);
        return true;
    }
    if (FileExists(target) && MoveAside(target, asideFolder))
        return MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    return false;
}

// True when the two paths are names of one file.
bool SameFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::wstring* paths[] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        ScopedHandle file(CreateFileW(paths[i]->c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file || !GetFileInformationByHandle(file.Get(), &info[i])) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// The item is as it was before the unpacking: the original in place and no
// backup left, or, for an added file, nothing.
bool RollBackItem(const std::wstring& target, const std::wstring& backup, bool existed,
                  const std::wstring& asideFolder) {
    bool done = RemoveUnpackLeftovers(target, asideFolder);
    if (!existed) return RemoveOrMoveAside(target, asideFolder) && done;
    // Cut off after the backup became a second name of the original, before
    // the new file took its place: the original is in place. The second name
    // goes; a running program's cannot, and it harms nothing in the backup
    // folder (retrying at every start would never end while it runs).
    if (SameFile(target, backup)) {
        RemoveFileEvenIfReadOnly(backup);
        return done;
    }
    if (FileExists(backup)) done = PutBack(target, backup, asideFolder) && done;
    // Neither the original nor its backup: nothing left to put back.
    return done && !FileExists(backup);
}

}  // namespace

bool WriteApplyJournal(const std::wstring& file, const ApplyJournal& journal) {
    std::ostringstream text;
    text << kBackup << '\t' << WideToUtf8(journal.backupFolder) << '\n';
    text << kSettings << '\t' << WideToUtf8(journal.settingsFile) << '\n';
    text << kPackage << '\t' << WideToUtf8(journal.package) << '\n';
    for (const JournalItem& item : journal.items)
        text << (item.existed ? kExisted : kAdded) << '\t' << WideToUtf8(item.name) << '\n';
    for (const std::wstring& folder : journal.folders) text << kFolder << '\t' << WideToUtf8(folder) << '\n';
    const std::wstring temporary = file + L".tmp";
    if (!WriteWhole(temporary, text.str())) return false;
    return MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool ReadApplyJournal(const std::wstring& file, ApplyJournal& journal) {
    if (!FileExists(file)) return false;
    std::istringstream text(ReadWhole(file));
    journal = ApplyJournal();
    std::string line;
    while (std::getline(text, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const std::string kind = line.substr(0, tab);
        const std::wstring value = Utf8ToWide(line.substr(tab + 1));
        if (kind == kBackup) journal.backupFolder = value;
        else if (kind == kSettings) journal.settingsFile = value;
        else if (kind == kPackage) journal.package = value;
        else if (kind == kExisted || kind == kAdded) journal.items.push_back({value, kind == kExisted});
        else if (kind == kFolder) journal.folders.push_back(value);
    }
    return !journal.backupFolder.empty();
}

bool RollBackFiles(const std::wstring& installationFolder, const ApplyJournal& journal,
                   const std::wstring& asideFolder) {
    bool allBack = true;
    for (const JournalItem& item : journal.items)
        allBack = RollBackItem(installationFolder + item.name, journal.backupFolder + item.name, item.existed,
                               asideFolder) &&
                  allBack;
    // Deepest first; a folder that still holds something (the user's) stays.
    for (auto folder = journal.folders.rbegin(); folder != journal.folders.rend(); ++folder)
        RemoveDirectoryW((installationFolder + *folder).c_str());
    return allBack;
}

void EmptyAsideFolder(const std::wstring& asideFolder) {
    if (!FolderExists(asideFolder)) return;
    for (const std::wstring& file : FilesMatching(asideFolder + L"*")) RemoveFileEvenIfReadOnly(file);
    std::wstring folder = asideFolder;
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    RemoveDirectoryW(folder.c_str());
}
