// The settings file data\BrushConfig.dat under the program's folder: an INI
// file read and written with the profile functions, opened by path at each
// use. The settings dialog is its only writer.
#pragma once

#include <string>

class SettingsFile {
public:
    // The file under `programFolder` (no trailing backslash).
    explicit SettingsFile(const std::wstring& programFolder);

    const std::wstring& Path() const { return path_; }

    std::wstring DownloadFolder() const;
    std::wstring BackupFolder() const;
    std::string Channel(const char* fallback) const;
    std::string RecommendedPackageId() const;  // "none" when absent
    int WebApiIndex() const;                   // 1 when absent

    // What opening the settings dialog does: each stored folder that does not
    // exist is replaced by DownLoad or Backup under the default root, created
    // and written. Returns false when a folder could not be made or stored.
    bool EnsureFolders();

    // Stores a typed folder after creating its last level. A path that does
    // not exist afterwards, or does not fit the profile buffers, is refused.
    bool SaveDownloadFolder(const std::wstring& folder);
    bool SaveBackupFolder(const std::wstring& folder);

    // "<system drive>\Torvanik", the root of the default folders.
    static std::wstring DefaultRoot();

private:
    std::wstring Read(const wchar_t* section, const wchar_t* key) const;
    bool Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;
    bool SaveFolder(const wchar_t* section, const wchar_t* key, const std::wstring& folder) const;

    std::wstring path_;
};

// Folders the dialog accepts: the longest path the file API takes without
// the "\\?\" prefix.
constexpr size_t kMaxSettingsPath = 259;
