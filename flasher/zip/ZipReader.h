// The plug-in's zip reader: open an archive from a handle, a file or memory,
// list and find its items, and extract them to a file, a handle or memory (in
// pieces). Every call leaves its result code as the process's last result.
#pragma once

#include <windows.h>

#include <cstddef>

// Where an archive comes from, or where an item goes.
enum ZipLocationKind { ZIPKIND_HANDLE = 1, ZIPKIND_FILENAME = 2, ZIPKIND_MEMORY = 3 };

enum ZipReaderCode : DWORD {
    ZRC_OK = 0,
    ZRC_NODUPH = 0x100,        // the given handle could not be duplicated
    ZRC_NOFILE = 0x200,        // a file could not be opened or created
    ZRC_NOALLOC = 0x300,
    ZRC_WRITE = 0x400,         // writing an extracted file failed
    ZRC_NOTFOUND = 0x500,      // no item of that name
    ZRC_MORE = 0x600,          // the memory buffer is full and more data remains
    ZRC_CORRUPT = 0x700,       // the archive or an item is damaged, or a name too long
    ZRC_READ = 0x800,          // an item's data could not be read
    ZRC_ARGS = 0x10000,        // null handle, unknown kind, index out of range
    ZRC_NOTMMAP = 0x20000,
    ZRC_MEMSIZE = 0x30000,
    ZRC_FAILED = 0x40000,
    ZRC_ENDED = 0x50000,
    ZRC_MISSIZE = 0x60000,
    ZRC_PARTIALUNZ = 0x70000,
    ZRC_ZMODE = 0x80000,       // not a reader handle
    ZRC_NOTINITED = 0x1000000,
    ZRC_SEEK = 0x2000000,      // a handle source that is not a disk file
    ZRC_NOCHANGE = 0x4000000,
    ZRC_FLATE = 0x5000000,     // the data did not inflate or failed its CRC
    ZRC_RECENT = 1,            // in ZipResultMessage: the last result
};

// One item as callers see it. The name is the archive's narrow (ANSI) name.
struct ZipItemInfo {
    int index;
    wchar_t name[260];
    DWORD attributes;
    FILETIME accessTime;
    FILETIME creationTime;
    FILETIME modificationTime;
    DWORD compressedSize;
    DWORD uncompressedSize;
};
static_assert(offsetof(ZipItemInfo, name) == 4, "ZipItemInfo layout");
static_assert(offsetof(ZipItemInfo, attributes) == 524, "ZipItemInfo layout");
static_assert(offsetof(ZipItemInfo, accessTime) == 528, "ZipItemInfo layout");
static_assert(offsetof(ZipItemInfo, modificationTime) == 544, "ZipItemInfo layout");
static_assert(offsetof(ZipItemInfo, compressedSize) == 552, "ZipItemInfo layout");
static_assert(sizeof(ZipItemInfo) == 560, "ZipItemInfo layout");

struct ZipReaderHandle;

// source: a HANDLE (kind 1; duplicated; a disk file, read from its current
// position), a wide file name (kind 2) or `length` bytes of memory (kind 3)
// that outlive the archive. Null on failure; the last result says why.
ZipReaderHandle* ZipArchiveOpen(const void* source, DWORD length, int kind);
// Index -1 gives the number of items in entry->index and an otherwise empty entry.
DWORD ZipReadEntry(ZipReaderHandle* zip, int index, ZipItemInfo* entry);
// Compares the narrow (ANSI) form of the name; case-sensitive unless
// ignoreCase folds ASCII letters. Not found: ZRC_NOTFOUND, *index -1.
DWORD FindZipItem(ZipReaderHandle* zip, const wchar_t* name, bool ignoreCase, int* index, ZipItemInfo* entry);
// target: a HANDLE (kind 1), a wide path (kind 2; relative paths lie under
// the current folder of the open) or a buffer of `length` bytes (kind 3,
// ZRC_MORE while data remains; the next call goes on).
DWORD UnzipItem(ZipReaderHandle* zip, int index, void* target, DWORD length, int kind);
// UnzipItem to a full wide file path, for several threads at once on one
// archive, each with an item and a target of its own. `folder`, when given, is
// an open handle of the target's folder (OpenFolderForNames), which spares the
// system looking the folder up again. It leaves the last result as it is.
DWORD UnzipItemToFileConcurrently(ZipReaderHandle* zip, int index, const wchar_t* target, HANDLE folder = nullptr);
DWORD ZipArchiveClose(ZipReaderHandle* zip);
// Copies the text of a code (ZRC_RECENT: the last result), cut to length - 1
// characters and terminated; returns the text's full length.
unsigned ZipResultMessage(DWORD code, wchar_t* buffer, unsigned length);
