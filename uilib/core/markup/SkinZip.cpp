#include "core/markup/SkinZip.h"

#include "win32/TextConvert.h"
#include "zip/ZipSession.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>

namespace UiLib {

namespace {

std::atomic<DWORD> g_lastResult{ZR_OK};

DWORD Result(DWORD code) {
    g_lastResult = code;
    return code;
}

const size_t kLongestFindName = 256;

// Skin files are extracted only below the folder that was current at open,
// and damaged data in a file counts as a failed write.
zipcore::SessionRules SkinRules() {
    zipcore::SessionRules rules;
    rules.refuseLongNames = true;
    rules.relativeTargetsStayInside = true;
    rules.dataErrorsAreWriteErrors = true;
    return rules;
}

void Fill(int index, const zipcore::EntryDescription& d, ZIPENTRY* entry) {
    ZIPENTRY out{};
    out.index = index;
    CopyToFixedBuffer(d.name, out.name, 260);
    out.attr = d.attributes;
    out.atime = d.access;
    out.ctime = d.creation;
    out.mtime = d.modification;
    out.comp_size = d.compressedSize;
    out.unc_size = d.uncompressedSize;
    *entry = out;
}

// The API's opaque handle is the core's session record.
zipcore::SessionHandle* RecordOf(ZipArchiveHandle* zip) { return reinterpret_cast<zipcore::SessionHandle*>(zip); }

zipcore::ZipSession* SessionOf(ZipArchiveHandle* zip, DWORD* code) { return zipcore::SessionOf(RecordOf(zip), code); }

DWORD Describe(zipcore::ZipSession& session, int index, ZIPENTRY* entry) {
    if (index == -1) {
        memset(entry, 0, sizeof *entry);
        entry->index = session.Count();
        return ZR_OK;
    }
    zipcore::EntryDescription d;
    if (DWORD code = session.Describe(index, &d)) return code;
    Fill(index, d, entry);
    return ZR_OK;
}

}  // namespace

HZIP OpenZipArchive(int sourceKind, const void* source, DWORD length) {
    DWORD code;
    zipcore::SessionHandle* record = zipcore::OpenSessionHandle(sourceKind, source, length, SkinRules(), &code);
    Result(code);
    return reinterpret_cast<HZIP>(record);
}

DWORD GetZipEntry(HZIP zip, int index, ZIPENTRY* entry) {
    DWORD code;
    zipcore::ZipSession* session = SessionOf(zip, &code);
    if (!session) return Result(code);
    if (!entry) return Result(ZR_ARGS);
    return Result(Describe(*session, index, entry));
}

DWORD FindZipEntry(HZIP zip, const wchar_t* name, int* index, ZIPENTRY* entry) {
    DWORD code;
    zipcore::ZipSession* session = SessionOf(zip, &code);
    if (!session) return Result(code);
    if (!index || !entry) return Result(ZR_ARGS);
    *index = -1;
    memset(entry, 0, sizeof *entry);
    entry->index = -1;
    if (!name || wcslen(name) >= kLongestFindName) return Result(ZR_NOTFOUND);
    // Separators are turned before converting, so that no trail byte of a
    // double-byte character is mistaken for one.
    std::wstring wide(name);
    std::replace(wide.begin(), wide.end(), L'\\', L'/');
    const std::string wanted = WideToAnsi(wide);
    const int found =
        session->FindIndex([&](const std::string& stored) { return zipcore::EqualIgnoringAsciiCase(stored, wanted); });
    if (found < 0) return Result(ZR_NOTFOUND);
    const DWORD rc = Describe(*session, found, entry);
    if (rc == ZR_OK) *index = found;
    return Result(rc);
}

DWORD ExtractZipEntry(HZIP zip, int index, void* target, DWORD length, int targetKind) {
    DWORD code;
    zipcore::ZipSession* session = SessionOf(zip, &code);
    if (!session) return Result(code);
    return Result(session->Extract(index, target, length, targetKind));
}

DWORD CloseZipArchive(HZIP zip) { return Result(zipcore::CloseSessionHandle(RecordOf(zip))); }

DWORD GetZipLastResult() { return g_lastResult; }

}  // namespace UiLib
