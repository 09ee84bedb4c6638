// Reader of skin archives (zip files of XML layouts and images) held in a
// file, an open file handle or a memory block: find, describe and extract
// items into memory (in pieces) or into files.
#pragma once
#include "core/base/UiLibApi.h"

#include <windows.h>

namespace UiLib {

struct ZipArchiveHandle;
typedef ZipArchiveHandle* HZIP;

// Where an archive comes from, or where an item goes.
enum ZipLocation { ZIP_HANDLE = 1, ZIP_FILENAME = 2, ZIP_MEMORY = 3 };

enum ZipResult : DWORD {
    ZR_OK = 0,
    ZR_NODUPH = 0x100,      // the given file handle could not be duplicated
    ZR_NOFILE = 0x200,      // a file could not be opened or created
    ZR_WRITE = 0x400,       // writing an extracted file, or reading the item for it, failed
    ZR_NOTFOUND = 0x500,    // no item of that name
    ZR_MORE = 0x600,        // the memory buffer is full and more data remains
    ZR_CORRUPT = 0x700,     // the archive or an item's local header is damaged
    ZR_READ = 0x800,        // an item's local data could not be read
    ZR_ARGS = 0x10000,      // bad argument: null handle, unknown kind, index out of range
    ZR_ZMODE = 0x80000,     // not a zip handle
    ZR_SEEK = 0x2000000,    // a handle source that is not a disk file
    ZR_FLATE = 0x5000000,   // decompression failed, or the data does not match its checksum
};

struct ZIPENTRY {
    int index;              // entry number; for index -1, the number of entries
    wchar_t name[260];
    DWORD attr;             // Windows file attributes
    FILETIME atime, ctime, mtime;
    DWORD comp_size;
    DWORD unc_size;
};

// source: a HANDLE (ZIP_HANDLE), a wide file name (ZIP_FILENAME) or a block of
// `length` bytes (ZIP_MEMORY) that must outlive the archive.
UILIB_API HZIP __cdecl OpenZipArchive(int sourceKind, const void* source, DWORD length);
UILIB_API DWORD __cdecl GetZipEntry(HZIP zip, int index, ZIPENTRY* entry);
UILIB_API DWORD __cdecl FindZipEntry(HZIP zip, const wchar_t* name, int* index, ZIPENTRY* entry);
// target: a HANDLE, a wide path or a buffer of `length` bytes, by targetKind.
UILIB_API DWORD __cdecl ExtractZipEntry(HZIP zip, int index, void* target, DWORD length, int targetKind);
UILIB_API DWORD __cdecl CloseZipArchive(HZIP zip);
// The result of the most recent call, process-wide.
UILIB_API DWORD __cdecl GetZipLastResult();

}  // namespace UiLib
