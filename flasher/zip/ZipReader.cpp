#include "ZipReader.h"

#include "win32/TextConvert.h"
#include "zip/ZipSession.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::atomic<DWORD> g_lastResult{ZRC_OK};

DWORD Result(DWORD code) {
    g_lastResult = code;
    return code;
}

zipcore::SessionRules ReaderRules() {
    zipcore::SessionRules rules;
    rules.refuseLongNames = true;
    rules.relativeTargetsStayInside = false;
    rules.dataErrorsAreWriteErrors = false;
    return rules;
}

void Fill(int index, const zipcore::EntryDescription& d, ZipItemInfo* entry) {
    ZipItemInfo info{};
    info.index = index;
    CopyToFixedBuffer(d.name, info.name, std::size(info.name));
    info.attributes = d.attributes;
    info.accessTime = d.access;
    info.creationTime = d.creation;
    info.modificationTime = d.modification;
    info.compressedSize = d.compressedSize;
    info.uncompressedSize = d.uncompressedSize;
    *entry = info;
}

bool EqualNames(const std::string& a, const std::string& b, bool ignoreCase) {
    return ignoreCase ? zipcore::EqualIgnoringAsciiCase(a, b) : a == b;
}

// The API's opaque handle is the core's session record.
zipcore::SessionHandle* RecordOf(ZipReaderHandle* zip) { return reinterpret_cast<zipcore::SessionHandle*>(zip); }

zipcore::ZipSession* SessionOf(ZipReaderHandle* zip, DWORD* code) { return zipcore::SessionOf(RecordOf(zip), code); }

}  // namespace

ZipReaderHandle* ZipArchiveOpen(const void* source, DWORD length, int kind) {
    DWORD code;
    zipcore::SessionHandle* record = zipcore::OpenSessionHandle(kind, source, length, ReaderRules(), &code);
    Result(code);
    return reinterpret_cast<ZipReaderHandle*>(record);
}

DWORD ZipReadEntry(ZipReaderHandle* zip, int index, ZipItemInfo* entry) {
    DWORD code;
    zipcore::ZipSession* session = SessionOf(zip, &code);
    if (!session) return Result(code);
    if (!entry) return Result(ZRC_ARGS);
    if (index == -1) {
        std::memset(entry, 0, sizeof *entry);
        entry->index = session->Count();
        return Result(ZRC_OK);
    }
    zipcore::EntryDescription d;
    if (DWORD failed = session->Describe(index, &d)) return Result(failed);
    Fill(index, d, entry);
    return Result(ZRC_OK);
}

DWORD FindZipItem(ZipReaderHandle* zip, const wchar_t* name, bool ignoreCase, int* index, ZipItemInfo* entry) {
    DWORD code;
    zipcore::ZipSession* session = SessionOf(zip, &code);
    if (!session) return Result(code);
    if (!name || !index || !entry) return Result(ZRC_ARGS);
    *index = -1;
    std::memset(entry, 0, sizeof *entry);
    entry->index = -1;
    const std::string wanted = WideToAnsi(name);
    const int found = session->FindIndex([&](const std::string& stored) { return EqualNames(stored, wanted, ignoreCase); });
    if (found < 0) return Result(ZRC_NOTFOUND);
    zipcore::EntryDescription d;
    if (DWORD failed = session->Describe(found, &d)) return Result(failed);
    Fill(found, d, entry);
    *index = found;
    return Result(ZRC_OK);
}

DWORD UnzipItem(ZipReaderHandle* zip, int index, void* target, DWORD length, int kind) {
    DWORD code;
    zipcore::ZipSession* session = SessionOf(zip, &code);
    if (!session) return Result(code);
    return Result(session->Extract(index, target, length, kind));
}

DWORD UnzipItemToFileConcurrently(ZipReaderHandle* zip, int index, const wchar_t* target, HANDLE folder) {
    DWORD code;
    const zipcore::ZipSession* session = SessionOf(zip, &code);
    return session ? session->ToFileConcurrently(index, target, folder) : code;
}

DWORD ZipArchiveClose(ZipReaderHandle* zip) { return Result(zipcore::CloseSessionHandle(RecordOf(zip))); }

unsigned ZipResultMessage(DWORD code, wchar_t* buffer, unsigned length) {
    if (code == ZRC_RECENT) code = g_lastResult;
    const wchar_t* text;
    switch (code) {
    case ZRC_OK: text = L"Success"; break;
    case ZRC_NODUPH: text = L"Culdn't duplicate handle"; break;
    case ZRC_NOFILE: text = L"Couldn't create/open file"; break;
    case ZRC_NOALLOC: text = L"Failed to allocate memory"; break;
    case ZRC_WRITE: text = L"Error writing to file"; break;
    case ZRC_NOTFOUND: text = L"File not found in the zipfile"; break;
    case ZRC_MORE: text = L"Still more data to unzip"; break;
    case ZRC_CORRUPT: text = L"Zipfile is corrupt or not a zipfile"; break;
    case ZRC_READ: text = L"Error reading file"; break;
    case ZRC_ARGS: text = L"Caller: faulty arguments"; break;
    case ZRC_NOTMMAP: text = L"Caller: can only get memory of a memory zipfile"; break;
    case ZRC_MEMSIZE: text = L"Caller: not enough space allocated for memory zipfile"; break;
    case ZRC_FAILED: text = L"Caller: there was a previous error"; break;
    case ZRC_ENDED: text = L"Caller: additions to the zip have already been ended"; break;
    case ZRC_MISSIZE: text = L"Zip-bug: the anticipated size turned out wrong"; break;
    case ZRC_PARTIALUNZ: text = L"Caller: the file had already been partially unzipped"; break;
    case ZRC_ZMODE: text = L"Caller: mixing creation and opening of zip"; break;
    case ZRC_NOTINITED: text = L"Zip-bug: internal initialisation not completed"; break;
    case ZRC_SEEK: text = L"Zip-bug: trying to seek the unseekable"; break;
    case ZRC_NOCHANGE: text = L"Zip-bug: tried to change mind, but not allowed"; break;
    case ZRC_FLATE: text = L"Zip-bug: an internal error during flation"; break;
    default: text = L"unknown zip result code"; break;
    }
    const unsigned full = static_cast<unsigned>(std::wcslen(text));
    if (buffer && length > 0) {
        const unsigned keep = std::min(full, length - 1);
        std::wmemcpy(buffer, text, keep);
        buffer[keep] = L'\0';
    }
    return full;
}
