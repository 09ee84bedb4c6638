// How the names of archive items map onto files on disk.
#pragma once

#include <string>
#include <vector>

std::wstring WithBackslashes(std::wstring name);

// The name as Windows compares file names: one entry per file on disk.
std::wstring DiskKey(std::wstring name);

// An item about to be written into a folder (a file, or a folder it makes):
// its name with backslashes, and whether it is a folder.
struct ItemPath {
    std::wstring name;
    bool isFolder;
};

// True when writing the items in any order, or all at once, ends as writing
// them in turn: no two of them (or their backups) could be one file on disk,
// and none is a file where another needs a folder. `backupFolder` is empty
// when nothing is backed up.
bool WritableInAnyOrder(const std::vector<ItemPath>& items, const std::wstring& targetFolder,
                        const std::wstring& backupFolder);

// True when a folder below `targetFolder` or `backupFolder` that the items go
// into is a link (a junction or symbolic link) to another place: through it,
// two names could reach one file.
bool ReachesALinkedFolder(const std::vector<ItemPath>& items, const std::wstring& targetFolder,
                          const std::wstring& backupFolder);
