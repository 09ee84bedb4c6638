// File helpers the bridge, the UI library and the programs share.
#pragma once

#include <string>

// Deletes a file, clearing its read-only attribute first. True when the file
// is gone afterwards (also when it never existed).
bool RemoveFileEvenIfReadOnly(const std::wstring& path);

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);

// Creates a folder and every missing parent; true when it exists afterwards.
bool CreateFolderTree(const std::wstring& path);
