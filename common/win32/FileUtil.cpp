#include "win32/FileUtil.h"

#include <windows.h>


bool RemoveFileEvenIfReadOnly(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

void ClearReadOnly(const std::wstring& path) { ClearReadOnly(path, GetFileAttributesW(path.c_str())); }

void ClearReadOnly(const std::wstring& path, unsigned long attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolderTree(const std::wstring& path) {
    if (path.empty()) return false;
    if (FolderExists(path)) return true;
    size_t cut = path.find_last_of(L"\\/");
    if (cut != std::wstring::npos && cut > 0 && path[cut - 1] != L':') {
        if (!CreateFolderTree(path.substr(0, cut))) return false;
    }
    return CreateDirectoryW(path.c_str(), nullptr) || FolderExists(path);
}
