#include "ItemNames.h"

#include <windows.h>

#include <algorithm>
#include <unordered_set>

std::wstring WithBackslashes(std::wstring name) {
    std::replace(name.begin(), name.end(), L'/', L'\\');
    return name;
}

std::wstring DiskKey(std::wstring name) {
    name = WithBackslashes(std::move(name));
    while (!name.empty() && name.back() == L'\\') name.pop_back();
    if (name.empty()) return name;
    // As CharUpperBuffW does it, without loading the window system for it.
    std::wstring upper(name.size(), L'\0');
    const int length = static_cast<int>(name.size());
    LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, name.data(), length, &upper[0], length);
    return upper;
}

namespace {

// DiskKey of a full path as Windows resolves it: each part without the
// trailing dots and blanks it drops, and "." and empty parts left out, so
// every spelling of one file gives one key.
std::wstring LooseKey(const std::wstring& path) {
    const std::wstring key = DiskKey(path);
    std::wstring loose;
    loose.reserve(key.size());
    for (size_t start = 0; start < key.size();) {
        size_t end = key.find(L'\\', start);
        if (end == std::wstring::npos) end = key.size();
        size_t kept = end;
        while (kept > start && (key[kept - 1] == L'.' || key[kept - 1] == L' ')) --kept;
        if (kept > start) {
            if (!loose.empty()) loose += L'\\';
            loose.append(key, start, kept - start);
        }
        start = end + 1;
    }
    return loose;
}

void AddFoldersAbove(const std::wstring& key, std::unordered_set<std::wstring>& folders) {
    for (size_t slash = key.find(L'\\'); slash != std::wstring::npos; slash = key.find(L'\\', slash + 1))
        folders.insert(key.substr(0, slash));
}

}  // namespace

bool WritableInAnyOrder(const std::vector<ItemPath>& items, const std::wstring& targetFolder,
                        const std::wstring& backupFolder) {
    std::unordered_set<std::wstring> files, folders;
    for (const ItemPath& item : items) {
        // A short (8.3) name may be another spelling of a long one.
        if (item.name.find(L'~') != std::wstring::npos) return false;
        for (const std::wstring* folder : {&targetFolder, &backupFolder}) {
            if (folder->empty() || (item.isFolder && folder == &backupFolder)) continue;
            const std::wstring key = LooseKey(*folder + item.name);
            AddFoldersAbove(key, folders);
            if (item.isFolder) folders.insert(key);
            else if (!files.insert(key).second) return false;
        }
    }
    for (const std::wstring& file : files) {
        if (folders.count(file)) return false;
    }
    return true;
}

bool ReachesALinkedFolder(const std::vector<ItemPath>& items, const std::wstring& targetFolder,
                          const std::wstring& backupFolder) {
    std::unordered_set<std::wstring> folders;
    for (const ItemPath& item : items) {
        std::wstring folder = item.name;
        if (!item.isFolder) folder.erase(std::min(folder.find_last_of(L'\\') + 1, folder.size()));
        while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
        if (folder.empty()) continue;
        for (size_t slash = folder.find(L'\\'); slash != std::wstring::npos; slash = folder.find(L'\\', slash + 1))
            folders.insert(folder.substr(0, slash));
        folders.insert(folder);
    }
    for (const std::wstring& folder : folders) {
        for (const std::wstring* base : {&targetFolder, &backupFolder}) {
            if (base->empty()) continue;
            const DWORD attributes = GetFileAttributesW((*base + folder).c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
        }
    }
    return false;
}
