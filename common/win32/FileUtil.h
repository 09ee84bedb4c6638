// File helpers the bridge, the UI library and the programs share.
#pragma once

#include <string>

// Deletes a file, clearing its read-only attribute first. True when the file
// is gone afterwards (also when it never existed).
bool RemoveFileEvenIfReadOnly(const std::wstring& path);

// Clears a file's read-only bit, so it can be replaced or changed later. The
// second form takes the attributes just read (INVALID_FILE_ATTRIBUTES: no file).
void ClearReadOnly(const std::wstring& path);
void ClearReadOnly(const std::wstring& path, unsigned long attributes);

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);

// Creates a folder and every missing parent; true when it exists afterwards.
bool CreateFolderTree(const std::wstring& path);
