#include "ZipFileWriter.h"

#include "win32/ScopedHandle.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>

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

}  // namespace

WriteResult ExtractToHandle(const ZipDirectory& zip, int index, HANDLE file) {
    ZipItemLocation location;
    if (zip.Locate(index, &location) != LocateResult::Ok) return WriteResult::CannotLocate;
    ZipItemStream stream(zip.Source(), location);
    // No bigger than the item, and not cleared first: most items are small,
    // and every byte of it is written by the stream before it goes out.
    const size_t size = static_cast<size_t>(std::min<uint64_t>(kWritePiece, std::max<uint64_t>(location.uncompressedSize, 1)));
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
    WriteResult result;
    {
        ScopedHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      stamp.attributes ? stamp.attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return WriteResult::CannotCreate;
        result = ExtractToHandle(zip, index, file.Get());
        if (result == WriteResult::Ok)
            SetFileTime(file.Get(), &stamp.creation, &stamp.access, &stamp.modification);
    }
    if (result == WriteResult::Ok && beforeReplace && !beforeReplace()) result = WriteResult::CannotCreate;
    if (result == WriteResult::Ok && !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        result = WriteResult::CannotCreate;
    if (result != WriteResult::Ok) {
        SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(temporary.c_str());
    }
    return result;
}

}  // namespace zipcore
