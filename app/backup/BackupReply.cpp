#include "backup/BackupReply.h"

#include "device/DeviceBridge.h"
#include "util/Helpers.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

#include <cstdlib>

namespace {

const char kBackupHead[] = "backup_";
const char kRestoreHead[] = "restore_";
const char kRestoreDirHead[] = "restoreDir_";
const wchar_t kCurrentStorage[] = L"storage/emulated/0";
const wchar_t kLegacyStorage[] = L"storage/emulated/legacy";

// The bit of "<head><digits>_/..."; 0 when the text does not have that form.
int ItemBit(std::string_view text, std::string_view head, size_t& pathStart) {
    if (text.compare(0, head.size(), head) != 0) return 0;
    size_t digits = head.size();
    size_t end = digits;
    while (end < text.size() && end - digits < 9 && text[end] >= '0' && text[end] <= '9') ++end;
    if (end == digits || text.compare(end, 2, "_/") != 0) return 0;
    pathStart = end + 1;
    return std::atoi(std::string(text.substr(digits, end - digits)).c_str());
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

bool ReadWholeFile(const std::wstring& file, std::string& bytes) {
    ScopedHandle handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(handle.Get(), &size) || size.QuadPart > (1LL << 30)) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    return bytes.empty() || (::ReadFile(handle.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                             read == bytes.size());
}

size_t Occurrences(std::string_view text, std::string_view what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

}  // namespace

bool ParseBackupReply(std::string_view text, BackupReply& reply) {
    size_t pathStart = 0;
    reply = BackupReply();
    reply.bit = ItemBit(text, kBackupHead, pathStart);
    if (reply.bit == 0) return false;
    reply.phonePath = std::string(text.substr(pathStart));
    size_t slash = reply.phonePath.find_last_of('/');
    reply.fileName = reply.phonePath.substr(slash + 1);
    size_t dot = reply.fileName.find_last_of('.');
    if (reply.fileName.empty() || dot == std::string::npos || dot == 0) return false;
    reply.stamp = reply.fileName.substr(0, dot);
    return true;
}

int ParseRestoreReplyBit(std::string_view text) {
    size_t pathStart = 0;
    return ItemBit(text, kRestoreHead, pathStart);
}

bool ParseRestoreDirReply(std::string_view text, std::string& folder) {
    const size_t head = sizeof kRestoreDirHead - 1;
    if (text.compare(0, head, kRestoreDirHead) != 0 || text.size() < head + 2) return false;
    folder = std::string(text.substr(head, text.size() - head - 1));
    return true;
}

const wchar_t* BackupExtension(int bit) {
    switch (bit) {
        case 1: return L".vcf";
        case 2: return L".xml";
        case 4: return L".vcl";
        default: return L"";
    }
}

bool PullBackupFile(const DeviceBridge& bridge, const std::string& phonePath, const std::wstring& localFile) {
    std::wstring phone = AnsiToWide(phonePath);
    ::DeleteFileW(localFile.c_str());  // what arrives is this pull's file, not an older one
    if (bridge.PullFile(L"pull " + Quoted(phone) + L" " + Quoted(localFile)) && FileExists(localFile)) return true;
    if (phone.find(kCurrentStorage) == std::wstring::npos) return false;
    OutputDebugStringW(L"Databackup_Backup_二次拉取");
    ReplaceAll(kCurrentStorage, kLegacyStorage, phone);
    return bridge.PullFile(L"pull " + Quoted(phone) + L" " + Quoted(localFile)) && FileExists(localFile);
}

bool PushRestoreFile(const DeviceBridge& bridge, const std::wstring& localFile, const std::string& phoneFolder,
                     const std::wstring& name) {
    std::wstring folder = AnsiToWide(phoneFolder);
    if (folder.empty() || folder.back() != L'/') folder += L'/';
    std::wstring target = folder + name;
    if (target.find(L"emulated/0/doruvadedi") != std::wstring::npos) {
        std::wstring legacy = target;
        ReplaceAll(L"emulated/0/doruvadedi", L"emulated/legacy/doruvadedi", legacy);
        bridge.PullFile(L"push " + Quoted(localFile) + L" " + Quoted(legacy));
    }
    return bridge.PullFile(L"push " + Quoted(localFile) + L" " + Quoted(target));
}

int CountBackupItems(const std::wstring& file, int bit) {
    std::string bytes;
    if (!ReadWholeFile(file, bytes)) return 0;
    if (bit == 1) {
        // Lines holding the start of a card.
        size_t count = 0;
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            if (std::string_view(bytes).substr(start, end - start).find("BEGIN:VCARD") != std::string_view::npos)
                ++count;
            start = end + 1;
        }
        return static_cast<int>(count);
    }
    if (bit == 2) return static_cast<int>(Occurrences(bytes, "date="));
    if (bit == 4) {
        // The call records stand in the last line, one "{" each.
        size_t end = bytes.find_last_not_of("\r\n");
        if (end == std::string::npos) return 0;
        size_t start = bytes.find_last_of('\n', end);
        start = start == std::string::npos ? 0 : start + 1;
        return static_cast<int>(Occurrences(std::string_view(bytes).substr(start, end + 1 - start), "{"));
    }
    return 0;
}

bool PullRepliedBackup(const DeviceBridge& bridge, const std::wstring& backupFolder, const BackupReply& reply,
                       std::wstring& localFile) {
    const std::wstring folder = backupFolder + L"\\" + AnsiToWide(reply.stamp);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    localFile = folder + L"\\" + AnsiToWide(reply.fileName);
    return PullBackupFile(bridge, reply.phonePath, localFile);
}
