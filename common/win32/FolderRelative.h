// Files named relative to an open folder. The system then resolves only the
// name inside that folder, not every level of a full path again (under Wine
// each level is looked up anew on every call that takes a path).
#pragma once

#include "win32/ScopedHandle.h"

#include <windows.h>

#include <string>

// A folder opened as the base of relative names; invalid when it cannot be opened.
ScopedHandle OpenFolderForNames(const std::wstring& folder);

// Creates the new file `name` in `folder` as CreateFileW with CREATE_NEW and no
// sharing would, open for writing and for renaming. INVALID_HANDLE_VALUE with
// the last error set when it cannot.
HANDLE CreateNewFileIn(HANDLE folder, const std::wstring& name, DWORD attributes);

// Renames the open file to `name` in `folder`, replacing a file of that name;
// with no folder, `name` is the system's full name of the place ("\??\C:\...").
// Through the handle it costs one request to the system instead of opening,
// renaming and closing the file again. False with the last error set when it
// cannot.
bool RenameInto(HANDLE file, HANDLE folder, const std::wstring& name);
