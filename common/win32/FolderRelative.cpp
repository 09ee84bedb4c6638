#include "win32/FolderRelative.h"

#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

bool Failed(NTSTATUS status) {
    if (status >= 0) return false;
    SetLastError(RtlNtStatusToDosError(status));
    return true;
}

UNICODE_STRING Counted(const std::wstring& text) {
    UNICODE_STRING counted;
    counted.Buffer = const_cast<wchar_t*>(text.c_str());
    counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    counted.MaximumLength = counted.Length;
    return counted;
}

}  // namespace

ScopedHandle OpenFolderForNames(const std::wstring& folder) {
    return ScopedHandle(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

HANDLE CreateNewFileIn(HANDLE folder, const std::wstring& name, DWORD attributes) {
    if (name.size() * sizeof(wchar_t) > 0xfffe) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    UNICODE_STRING counted = Counted(name);
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &counted, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE file = nullptr;
    // What CreateFileW asks for on behalf of GENERIC_WRITE | DELETE and CREATE_NEW.
    const NTSTATUS status =
        NtCreateFile(&file, GENERIC_WRITE | DELETE | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &object, &io, nullptr,
                     attributes, 0, FILE_CREATE, FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, nullptr, 0);
    return Failed(status) ? INVALID_HANDLE_VALUE : file;
}

// FILE_RENAME_INFO has the layout of the system's own rename record:
// a flag, the folder handle, the name's length in bytes, the name.
static_assert(offsetof(FILE_RENAME_INFO, RootDirectory) == sizeof(void*), "rename record layout");
static_assert(offsetof(FILE_RENAME_INFO, FileName) == 2 * sizeof(void*) + sizeof(DWORD), "rename record layout");

bool RenameInto(HANDLE file, HANDLE folder, const std::wstring& name) {
    const size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> block(offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = folder;
    info->FileNameLength = static_cast<DWORD>(bytes);
    memcpy(info->FileName, name.c_str(), bytes + sizeof(wchar_t));
    IO_STATUS_BLOCK io{};
    return !Failed(NtSetInformationFile(file, &io, info, static_cast<ULONG>(block.size()),
                                        FileRenameInformation));
}
