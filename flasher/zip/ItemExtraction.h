// One item of UnzipWithBackup written into the target folder, the file it
// replaces moved to the backup folder first. Items with distinct names may be
// written from several threads at once.
#pragma once

#include "ZipReader.h"
#include "win32/ScopedHandle.h"

#include <map>
#include <mutex>
#include <string>

// An item as the unpack plans it, read from the archive's directory.
struct PlannedItem {
    int index;
    std::wstring name;  // as stored
    DWORD attributes;
};

// Makes the folders files go in, each folder once per archive: thousands of
// files share a few folders, and under Wine every CreateDirectoryW is a round
// trip. A folder counts as made only once it is there, so a level that could
// not be made is tried again for the next file.
class FolderMaker {
public:
    struct Folder {
        bool createdHere = false;  // so it held nothing of anyone else's when it was made
        ScopedHandle handle;       // opened for names relative to it, once a file goes in
    };

    // The folder of `file`, made where needed; null when it is not there.
    const Folder* MakeFor(const std::wstring& file);

private:
    std::mutex mutex_;
    std::map<std::wstring, Folder> made_;  // by path, with its separator
};

class ItemExtraction {
public:
    // `backupFolder` null or empty: nothing is backed up. `independentItems`:
    // no item writes where another looks (WritableInAnyOrder), so a folder this
    // unpack created holds none of the targets yet.
    ItemExtraction(ZipReaderHandle* zip, const std::wstring& targetFolder, const wchar_t* backupFolder,
                   bool independentItems);

    // False when the item failed; `failure` then holds its log line.
    bool Run(const PlannedItem& item, std::wstring* failure);

private:
    bool MoveToBackup(const std::wstring& target, const std::wstring& backup);
    bool ReplaceKeepingBackup(const std::wstring& target, const std::wstring& staged, const std::wstring& backup);
    DWORD Extract(int index, const std::wstring& path, HANDLE folder = nullptr) const;

    ZipReaderHandle* zip_;
    std::wstring targetFolder_;
    std::wstring backupFolder_;
    bool independentItems_;
    FolderMaker folders_;
};
