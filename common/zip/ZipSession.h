// An open archive as the suite's handle-based readers use it: opened from a
// handle, a file name or memory; entries described (and the last one cached);
// items extracted to a handle, a file, or memory in pieces. Results are the
// reader family's codes. The UI library's skin reader and the plug-in's reader
// differ only in the rules below and in how they match names.
#pragma once

#include "ZipDirectory.h"
#include "ZipEntryDescription.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace zipcore {

enum ZipCode : DWORD {
    kZipOk = 0,
    kZipNoDuplicate = 0x100,  // the given handle could not be duplicated
    kZipNoFile = 0x200,       // a file could not be opened or created
    kZipWrite = 0x400,        // writing an extracted file failed
    kZipNotFound = 0x500,
    kZipMore = 0x600,         // the memory buffer is full and more data remains
    kZipCorrupt = 0x700,      // the archive or an item's header is damaged
    kZipRead = 0x800,         // an item's data could not be read
    kZipArgs = 0x10000,       // null handle, unknown kind, index out of range
    kZipMode = 0x80000,       // not a reader handle
    kZipSeek = 0x2000000,     // a handle source that is not a disk file
    kZipFlate = 0x5000000,    // the data did not inflate, or failed its size or CRC
};

// Where an archive comes from, or where an item goes.
enum ZipKind { kZipKindHandle = 1, kZipKindFileName = 2, kZipKindMemory = 3 };

struct SessionRules {
    // Names longer than a 260-character record: refused (kZipCorrupt) or cut.
    bool refuseLongNames = true;
    // Relative file targets: refused unless they stay inside the base folder,
    // or else written where they say (no folders made when they climb).
    bool relativeTargetsStayInside = false;
    // Damaged data while writing a file: kZipWrite rather than kZipFlate.
    bool dataErrorsAreWriteErrors = false;
};

class ZipSession {
public:
    // source: a HANDLE (duplicated; a disk file, read from its current
    // position), a wide file name, or `length` bytes of memory that outlive
    // the session. Null with *code set on failure.
    static std::unique_ptr<ZipSession> Open(int kind, const void* source, DWORD length, const SessionRules& rules,
                                            DWORD* code);

    int Count() const { return zip_->DeclaredCount(); }
    const ZipDirectory& Directory() const { return *zip_; }

    // The first entry whose stored name satisfies `matches`, or -1.
    int FindIndex(const std::function<bool(const std::string&)>& matches) const;
    // Entries 0 .. Count() - 1; the last one described is cached.
    DWORD Describe(int index, EntryDescription* entry);
    DWORD ToMemory(int index, unsigned char* buffer, DWORD length);
    DWORD ToHandle(int index, HANDLE file);
    // Relative targets resolve against the folder current at open time.
    DWORD ToFile(int index, const wchar_t* target);
    // ToFile without the cached entry: safe to call from several threads at
    // once, each for an item and a target of its own. `folder`, when given, is
    // an open handle (OpenFolderForNames) of a full target's folder.
    DWORD ToFileConcurrently(int index, const wchar_t* target, HANDLE folder = nullptr) const;
    // One of the three by kind: a HANDLE, a wide path, or `length` bytes.
    DWORD Extract(int index, void* target, DWORD length, int kind);

private:
    ZipSession(std::unique_ptr<ZipDirectory> zip, const SessionRules& rules);
    DWORD DescribeUncached(int index, EntryDescription* entry) const;
    DWORD WriteItemFile(int index, const EntryDescription& entry, const wchar_t* target, HANDLE folder) const;

    std::unique_ptr<ZipDirectory> zip_;
    SessionRules rules_;
    std::wstring base_;
    int cachedIndex_ = -2;
    EntryDescription cached_;
    int openIndex_ = -1;
    std::unique_ptr<ZipItemStream> openItem_;
};

// The record behind a reader handle of the suite's handle-based zip APIs:
// kind 1 and the session. Each API keeps its own opaque handle type and
// converts it to this record.
struct SessionHandle {
    DWORD kind;
    ZipSession* session;
};
SessionHandle* OpenSessionHandle(int kind, const void* source, DWORD length, const SessionRules& rules, DWORD* code);
// The session, or null with kZipArgs for no handle, kZipMode for another kind.
ZipSession* SessionOf(SessionHandle* handle, DWORD* code);
DWORD CloseSessionHandle(SessionHandle* handle);

// True when the ASCII letters of the two names match, case aside.
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace zipcore
