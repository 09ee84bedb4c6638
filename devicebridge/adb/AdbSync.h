// The adb file-sync client: push, pull and list over a "sync:" service, and
// APK installation through the phone's package manager. Remote paths are
// UTF-8; local paths are UTF-16.
#pragma once

#include "adb/AdbClient.h"
#include "adb/AdbText.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr uint32_t kSyncMaxChunk = 65536;
constexpr uint32_t kModeFolder = 0x4000;
constexpr uint32_t kModeRegular = 0x8000;

struct SyncEntry {
    uint32_t mode = 0, size = 0, time = 0;
    std::string name;
};

int AdbPush(const AdbTarget& target, const std::wstring& local, const std::string& remote, std::string& output);
int AdbPull(const AdbTarget& target, const std::string& remote, const std::wstring& local, std::string& output);
int AdbListRemote(const AdbTarget& target, const std::string& remote, std::string& output);
// words[0] is "install" / "uninstall"; the rest are its arguments.
int AdbInstallApk(const AdbTarget& target, const std::vector<AdbWord>& words, std::string& output);
int AdbUninstall(const AdbTarget& target, const std::vector<AdbWord>& words, std::string& output);

// The sync messages on an open connection.
// Mode of a remote path (0: it does not exist); -1 when the answer is broken.
int64_t SyncReadMode(int fd, const std::string& remote);
int SyncSendFile(int fd, const std::wstring& local, const std::string& remote, uint32_t time, uint32_t mode,
                 std::string& output);
int SyncReceiveFile(int fd, const std::string& remote, const std::wstring& local);
int SyncList(int fd, const std::string& remote, const std::function<void(const SyncEntry&)>& action);

// Text for a phone shell: a backslash before each blank, quote, paren and backslash.
std::string EscapeShellArgument(const std::string& text);
