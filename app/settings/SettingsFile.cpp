#include "SettingsFile.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

namespace {

constexpr wchar_t kDownloadSection[] = L"DownLoadDir";
constexpr wchar_t kDownloadKey[] = L"DownLoadPath";
constexpr wchar_t kBackupSection[] = L"BackupDir";
constexpr wchar_t kBackupKey[] = L"BackupPath";

std::string ReadNarrow(const std::wstring& path, const char* section, const char* key, const char* fallback) {
    char value[260] = {};
    GetPrivateProfileStringA(section, key, fallback, value, sizeof value, WideToAnsi(path).c_str());
    return value;
}

}  // namespace

SettingsFile::SettingsFile(const std::wstring& programFolder) : path_(programFolder + L"\\data\\BrushConfig.dat") {}

std::wstring SettingsFile::Read(const wchar_t* section, const wchar_t* key) const {
    // A full-length buffer: a stored path is read whole, never cut.
    std::vector<wchar_t> value(kMaxSettingsPath + 2);
    const DWORD length = GetPrivateProfileStringW(section, key, L"", value.data(), static_cast<DWORD>(value.size()),
                                                  path_.c_str());
    if (length > kMaxSettingsPath) return {};  // longer than any usable folder: as if absent
    return std::wstring(value.data(), length);
}

bool SettingsFile::Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
    const size_t slash = path_.find_last_of(L'\\');
    CreateFolderTree(path_.substr(0, slash));
    return WritePrivateProfileStringW(section, key, value.c_str(), path_.c_str()) != FALSE;
}

std::wstring SettingsFile::DownloadFolder() const { return Read(kDownloadSection, kDownloadKey); }
std::wstring SettingsFile::BackupFolder() const { return Read(kBackupSection, kBackupKey); }
std::string SettingsFile::Channel(const char* fallback) const { return ReadNarrow(path_, "channel", "value", fallback); }
std::string SettingsFile::RecommendedPackageId() const { return ReadNarrow(path_, "AppRecommand", "value", "none"); }
int SettingsFile::WebApiIndex() const {
    return static_cast<int>(GetPrivateProfileIntA("Webapi", "index", 1, WideToAnsi(path_).c_str()));
}

std::wstring SettingsFile::DefaultRoot() {
    wchar_t system[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, system, CSIDL_SYSTEM, FALSE) || wcslen(system) < 2)
        return L"C:\\Torvanik";
    return std::wstring(system, 2) + L"\\Torvanik";
}

bool SettingsFile::EnsureFolders() {
    const std::wstring download = DownloadFolder(), backup = BackupFolder();
    const bool downloadMissing = download.empty() || !PathFileExistsW(download.c_str());
    const bool backupMissing = backup.empty() || !PathFileExistsW(backup.c_str());
    if (!downloadMissing && !backupMissing) return true;
    const std::wstring root = DefaultRoot();
    CreateDirectoryW(root.c_str(), nullptr);
    bool ok = true;
    if (downloadMissing) {
        const std::wstring folder = root + L"\\DownLoad";
        CreateDirectoryW(folder.c_str(), nullptr);
        ok = FolderExists(folder) && Write(kDownloadSection, kDownloadKey, folder) && ok;
    }
    if (backupMissing) {
        const std::wstring folder = root + L"\\Backup";
        CreateDirectoryW(folder.c_str(), nullptr);
        ok = FolderExists(folder) && Write(kBackupSection, kBackupKey, folder) && ok;
    }
    return ok;
}

bool SettingsFile::SaveFolder(const wchar_t* section, const wchar_t* key, const std::wstring& folder) const {
    // An over-long path is refused whole: cutting it would create and store
    // a different, truncated folder.
    if (folder.empty() || folder.size() > kMaxSettingsPath) return false;
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!PathFileExistsW(folder.c_str())) return false;
    return Write(section, key, folder);
}

bool SettingsFile::SaveDownloadFolder(const std::wstring& folder) {
    return SaveFolder(kDownloadSection, kDownloadKey, folder);
}

bool SettingsFile::SaveBackupFolder(const std::wstring& folder) { return SaveFolder(kBackupSection, kBackupKey, folder); }
