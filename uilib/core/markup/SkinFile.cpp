#include "core/markup/SkinFile.h"

#include "core/base/UiString.h"
#include "core/markup/SkinZip.h"
#include "core/markup/UiResources.h"
#include "win32/ScopedHandle.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace UiLib {

namespace {

using ArchiveBytes = std::shared_ptr<const std::vector<BYTE>>;

// An archive not kept open is read whole once and again only when the file's
// size or time changes: every skin file and image read would otherwise open,
// map and walk the file anew, each step a round trip under Wine. The file
// itself stays closed between reads. Null for a file too big to hold (it is
// then opened as before) or one that cannot be read.
ArchiveBytes ReadArchiveBytes(const CUiString& file) {
    constexpr ULONGLONG kLargestHeld = 64ull << 20;
    static std::mutex lock;
    static std::wstring heldPath;
    static WIN32_FILE_ATTRIBUTE_DATA heldStamp{};
    static ArchiveBytes held;
    WIN32_FILE_ATTRIBUTE_DATA stamp{};
    if (!GetFileAttributesExW(file.GetData(), GetFileExInfoStandard, &stamp) ||
        (stamp.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    const ULONGLONG size = (static_cast<ULONGLONG>(stamp.nFileSizeHigh) << 32) | stamp.nFileSizeLow;
    if (size == 0 || size > kLargestHeld) return nullptr;
    std::lock_guard<std::mutex> hold(lock);
    if (held && heldPath == file.GetData() && heldStamp.nFileSizeLow == stamp.nFileSizeLow &&
        heldStamp.nFileSizeHigh == stamp.nFileSizeHigh &&
        CompareFileTime(&heldStamp.ftLastWriteTime, &stamp.ftLastWriteTime) == 0)
        return held;
    ScopedHandle in(CreateFileW(file.GetData(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return nullptr;
    auto bytes = std::make_shared<std::vector<BYTE>>(static_cast<size_t>(size));
    DWORD read = 0;
    if (!ReadFile(in.Get(), bytes->data(), static_cast<DWORD>(size), &read, nullptr) || read != size) return nullptr;
    heldPath = file.GetData();
    heldStamp = stamp;
    held = std::move(bytes);
    return held;
}

// The skin archive for one read: the kept one, or one opened and closed here.
class SkinArchive {
public:
    SkinArchive() : own_(!UiResources::IsZipKeptOpen()) {
        if (own_) {
            CUiString file = CUiString(UiResources::ResourcePath()) + UiResources::ResourceZipName();
            bytes_ = ReadArchiveBytes(file);
            zip_ = bytes_ ? OpenZipArchive(ZIP_MEMORY, bytes_->data(), static_cast<DWORD>(bytes_->size()))
                          : OpenZipArchive(ZIP_FILENAME, file.GetData(), 0);
        } else {
            zip_ = UiResources::KeptZip();
        }
    }
    ~SkinArchive() {
        if (own_ && zip_) CloseZipArchive(zip_);
    }
    SkinArchive(const SkinArchive&) = delete;
    SkinArchive& operator=(const SkinArchive&) = delete;
    HZIP Get() const { return zip_; }

private:
    bool own_;
    ArchiveBytes bytes_;  // outlives the archive read from it
    HZIP zip_ = nullptr;
};

const wchar_t* ReadFromArchive(const wchar_t* name, DWORD maxSize, std::vector<BYTE>& bytes) {
    SkinArchive archive;
    if (!archive.Get()) return L"Error opening zip file";
    ZIPENTRY entry;
    int index = -1;
    if (FindZipEntry(archive.Get(), name, &index, &entry) != ZR_OK || index < 0) return L"Could not find ziped file";
    if (entry.unc_size == 0) return L"File is empty";
    if (entry.unc_size > maxSize) return L"File too large";
    bytes.resize(entry.unc_size);
    DWORD rc = ExtractZipEntry(archive.Get(), index, bytes.data(), entry.unc_size, ZIP_MEMORY);
    if (rc != ZR_OK && rc != ZR_MORE) return L"Could not unzip file";
    return nullptr;
}

const wchar_t* ReadFromFolder(const wchar_t* name, DWORD maxSize, std::vector<BYTE>& bytes) {
    CUiString path = CUiString(UiResources::ResourcePath()) + name;
    ScopedHandle file(CreateFileW(path.GetData(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return L"Error opening file";
    LARGE_INTEGER size{};
    bool sized = GetFileSizeEx(file.Get(), &size) != 0;
    if (sized && size.QuadPart == 0) return L"File is empty";
    if (!sized || size.QuadPart > maxSize) return L"File too large";
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        return L"Could not read file";
    return nullptr;
}

}  // namespace

const wchar_t* ReadSkinFile(const wchar_t* name, DWORD maxSize, std::vector<BYTE>& bytes) {
    return *UiResources::ResourceZipName() ? ReadFromArchive(name, maxSize, bytes) : ReadFromFolder(name, maxSize, bytes);
}

}  // namespace UiLib
