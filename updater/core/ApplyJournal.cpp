#include "core/ApplyJournal.h"

#include <windows.h>

#include <sstream>

#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

namespace {

const char kBackup[] = "backup";
const char kSettings[] = "settings";
const char kPackage[] = "package";
const char kExisted[] = "old";
const char kAdded[] = "new";

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

void ClearReadOnly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

// The unpacking writes a replacement beside the file first ("<name>.new-<id>").
void RemoveStagedLeftovers(const std::wstring& target) {
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((target + L".new-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        RemoveFileEvenIfReadOnly(folder + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

bool WriteApplyJournal(const std::wstring& file, const ApplyJournal& journal) {
    std::ostringstream text;
    text << kBackup << '\t' << WideToUtf8(journal.backupFolder) << '\n';
    text << kSettings << '\t' << WideToUtf8(journal.settingsFile) << '\n';
    text << kPackage << '\t' << WideToUtf8(journal.package) << '\n';
    for (const JournalItem& item : journal.items)
        text << (item.existed ? kExisted : kAdded) << '\t' << WideToUtf8(item.name) << '\n';
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
    }
    return !journal.backupFolder.empty();
}

void RollBackFiles(const std::wstring& installationFolder, const ApplyJournal& journal) {
    for (const JournalItem& item : journal.items) {
        const std::wstring target = installationFolder + item.name;
        RemoveStagedLeftovers(target);
        if (!item.existed) {
            RemoveFileEvenIfReadOnly(target);
            continue;
        }
        const std::wstring backup = journal.backupFolder + item.name;
        if (!FileExists(backup)) continue;  // never replaced: the original is still in place
        ClearReadOnly(target);
        MoveFileExW(backup.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH);
    }
}
