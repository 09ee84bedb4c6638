// Writes an item's data to an open handle or, through a temporary file beside
// it, to a file that appears under its final name only once the data is whole
// and its CRC-32 matched.
#pragma once

#include "ZipDirectory.h"

#include <windows.h>

#include <functional>
#include <string>

namespace zipcore {

enum class WriteResult {
    Ok,
    CannotLocate,  // the item's local header or data is damaged
    CannotCreate,  // the file could not be created or put in place
    WriteFailed,   // writing failed
    DataFailed,    // the data did not inflate, had the wrong size or CRC
};

// Streams the item into `file` in large pieces.
WriteResult ExtractToHandle(const ZipDirectory& zip, int index, HANDLE file);

struct FileStamp {
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    FILETIME creation{}, access{}, modification{};
};

// Extracts the item under a temporary name in the target's folder, sets its
// times, and renames it over `path`. `beforeReplace`, when given, runs once
// the data is whole and checked, just before the rename (to move the old file
// aside, say); false from it abandons the item. On any failure the temporary
// file is removed and `path` is left as the hook left it. `folder`, when
// given, is an open handle (OpenFolderForNames) of the folder `path` names:
// the file is then created and renamed by its name in there.
WriteResult ExtractToFileAtomically(const ZipDirectory& zip, int index, const std::wstring& path,
                                    const FileStamp& stamp,
                                    const std::function<bool()>& beforeReplace = {},
                                    HANDLE folder = nullptr);

}  // namespace zipcore
