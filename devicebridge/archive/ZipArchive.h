// The device bridge's zip reader: opens an archive by path, finds and
// describes its entries and extracts them into files. Stored and deflated
// entries are supported; every length and offset read from the archive is
// checked against the file before use, and data failing its CRC is refused.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// Result codes of the reader's operations.
enum ZipResult : unsigned {
    kZipOk = 0,
    kZipCannotOpen = 0x200,      // archive unreadable or target not creatable
    kZipWriteFailed = 0x400,     // writing the extracted file failed
    kZipNotFound = 0x500,        // no entry of that name
    kZipPasswordNeeded = 0x1000, // the entry is encrypted
    kZipBadArgument = 0x10000,   // null handle or index out of range
    kZipDataError = 0x5000000,   // corrupt entry data, bad CRC, inflate error
};

// What the reader tells about one entry.
struct ZipEntryInfo {
    int index;
    wchar_t name[MAX_PATH];  // sanitised: never absolute, never climbs with ".."
    DWORD attributes;        // FILE_ATTRIBUTE_* bits
    FILETIME accessTime;
    FILETIME creationTime;
    FILETIME modificationTime;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
};

struct ZipArchive;  // opaque archive handle

// Opens the zip file at path; null when it cannot be read or is not a zip.
// Relative extraction targets later resolve against the current folder of
// this moment.
ZipArchive* OpenZipArchive(const wchar_t* path);

// Looks up an entry by its stored name (UTF-8 in the archive), ignoring the
// case of ASCII letters; slashes and backslashes are not interchangeable.
unsigned FindZipItem(ZipArchive* zip, const wchar_t* name, int* index, ZipEntryInfo* entry);

// Describes entry number index (from 0).
unsigned GetZipItem(ZipArchive* zip, int index, ZipEntryInfo* entry);

// Extracts entry number index into the file target (created or replaced).
// A relative target lies under the archive's root folder and may not climb
// out of it; a directory entry only creates the folder. A failed extraction
// removes the partial file.
unsigned UnzipItemToFile(ZipArchive* zip, int index, const wchar_t* target);

// Closes the archive and frees the handle; null is allowed.
unsigned CloseZipArchive(ZipArchive* zip);

// The result of the most recent open, find or close in this process.
unsigned ZipLastResult();

// Owns an open archive.
struct ZipArchiveCloser {
    void operator()(ZipArchive* zip) const { CloseZipArchive(zip); }
};
using ZipArchivePtr = std::unique_ptr<ZipArchive, ZipArchiveCloser>;

// The name an entry is extracted under: drive prefixes and leading slashes
// are removed, and everything up to the last ".." part is dropped.
std::wstring SafeZipEntryName(std::wstring name);
