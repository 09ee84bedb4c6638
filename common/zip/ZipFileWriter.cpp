#include "ZipFileWriter.h"

#include "win32/ScopedHandle.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace zipcore {

namespace {

// Large pieces: under Wine every WriteFile is a round trip.
constexpr size_t kWritePiece = 256 * 1024;

std::wstring TemporaryNameBeside(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    wchar_t suffix[48];
    wsprintfW(suffix, L".%lx-%x.unzipping", GetCurrentProcessId(), counter.fetch_add(1));
    return path + suffix;
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

// Renames the still open file to `name` (a system name), replacing a file
// there as MoveFileExW with MOVEFILE_REPLACE_EXISTING does. Through the handle
// it costs one request to the system instead of opening, renaming and closing
// the file again.
bool RenameOpenFile(HANDLE file, const std::wstring& name) {
    const size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> block(offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    memcpy(info->FileName, name.c_str(), bytes + sizeof(wchar_t));
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(block.size())) != 0;
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
                                    const FileStamp& stamp, const std::function<bool()>& beforeReplace) {
    const std::wstring temporary = TemporaryNameBeside(path);
    const std::wstring systemName = SystemName(path);
    WriteResult result;
    {
        const DWORD access = systemName.empty() ? GENERIC_WRITE : GENERIC_WRITE | DELETE;
        ScopedHandle file(CreateFileW(temporary.c_str(), access, 0, nullptr, CREATE_NEW,
                                      stamp.attributes ? stamp.attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return WriteResult::CannotCreate;
        result = ExtractToHandle(zip, index, file.Get());
        if (result == WriteResult::Ok)
            SetFileTime(file.Get(), &stamp.creation, &stamp.access, &stamp.modification);
        if (result == WriteResult::Ok && beforeReplace && !beforeReplace()) result = WriteResult::CannotCreate;
        if (result == WriteResult::Ok && !systemName.empty() && !RenameOpenFile(file.Get(), systemName))
            result = WriteResult::CannotCreate;
    }
    if (result == WriteResult::Ok && systemName.empty() &&
        !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        result = WriteResult::CannotCreate;
    if (result != WriteResult::Ok) {
        SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temporary.c_str());
    }
    return result;
}

}  // namespace zipcore
