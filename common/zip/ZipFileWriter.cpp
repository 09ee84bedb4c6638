#include "ZipFileWriter.h"

#include "win32/FolderRelative.h"
#include "win32/ScopedHandle.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace zipcore {

namespace {

// Large pieces: under Wine every WriteFile is a round trip.
constexpr size_t kWritePiece = 256 * 1024;

// ".<process>-<n>.unzipping": put after a file's name, unique among the
// threads of all processes.
std::wstring TemporarySuffix() {
    static std::atomic<unsigned> counter{0};
    wchar_t suffix[48];
    std::swprintf(suffix, sizeof suffix / sizeof suffix[0], L".%lx-%x.unzipping",
                  static_cast<unsigned long>(GetCurrentProcessId()), counter.fetch_add(1));
    return suffix;
}

// The path as the system's own name for it ("\??\C:\..."), which a rename
// through a handle needs; empty when it has none (a device path, say).
std::wstring SystemName(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size) return {};
    full.resize(length);
    if (full.compare(0, 4, L"\\\\?\\") == 0) return L"\\??\\" + full.substr(4);
    if (full.compare(0, 4, L"\\\\.\\") == 0) return {};
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\??\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\??\\" + full;
    return {};
}

}  // namespace

WriteResult ExtractToHandle(const ZipDirectory& zip, int index, HANDLE file) {
    ZipItemLocation location;
    if (zip.Locate(index, &location) != LocateResult::Ok) return WriteResult::CannotLocate;
    ZipItemStream stream(zip.Source(), location);
    // No bigger than the item, and not cleared first: most items are small,
    // and every byte of it is written by the stream before it goes out.
    const size_t size =
        static_cast<size_t>(std::min<uint64_t>(kWritePiece, std::max<uint64_t>(location.uncompressedSize, 1)));
    const std::unique_ptr<unsigned char[]> piece(new unsigned char[size]);
    for (;;) {
        size_t got = 0;
        const ZipItemStream::Status status = stream.Read(piece.get(), size, &got);
        DWORD put = 0;
        if (got > 0 && (!WriteFile(file, piece.get(), static_cast<DWORD>(got), &put, nullptr) || put != got))
            return WriteResult::WriteFailed;
        if (status == ZipItemStream::Done) return WriteResult::Ok;
        if (status == ZipItemStream::Failed) return WriteResult::DataFailed;
    }
}

WriteResult ExtractToFileAtomically(const ZipDirectory& zip, int index, const std::wstring& path,
                                    const FileStamp& stamp, const std::function<bool()>& beforeReplace,
                                    HANDLE folder) {
    const std::wstring suffix = TemporarySuffix();
    const std::wstring temporary = path + suffix;
    const size_t cut = path.find_last_of(L"\\/");
    const std::wstring leaf = cut == std::wstring::npos ? path : path.substr(cut + 1);
    if (leaf.empty() || folder == INVALID_HANDLE_VALUE) folder = nullptr;
    // The name the file is renamed to: in its folder, or the system's full name.
    const std::wstring finalName = folder ? leaf : SystemName(path);
    const DWORD attributes = stamp.attributes ? stamp.attributes : FILE_ATTRIBUTE_NORMAL;
    WriteResult result;
    {
        const DWORD access = finalName.empty() ? GENERIC_WRITE : GENERIC_WRITE | DELETE;
        ScopedHandle file(folder ? CreateNewFileIn(folder, leaf + suffix, attributes)
                                 : CreateFileW(temporary.c_str(), access, 0, nullptr, CREATE_NEW, attributes, nullptr));
        if (!file) return WriteResult::CannotCreate;
        result = ExtractToHandle(zip, index, file.Get());
        if (result == WriteResult::Ok)
            SetFileTime(file.Get(), &stamp.creation, &stamp.access, &stamp.modification);
        if (result == WriteResult::Ok && beforeReplace && !beforeReplace()) result = WriteResult::CannotCreate;
        if (result == WriteResult::Ok && !finalName.empty() && !RenameInto(file.Get(), folder, finalName))
            result = WriteResult::CannotCreate;
    }
    if (result == WriteResult::Ok && finalName.empty() &&
        !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        result = WriteResult::CannotCreate;
    if (result != WriteResult::Ok) {
        SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temporary.c_str());
    }
    return result;
}

}  // namespace zipcore
