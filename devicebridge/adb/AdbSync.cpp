#include "adb/AdbSync.h"

#include "adb/sysdeps_win32.h"
#include "win32/TextConvert.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <memory>

namespace {

constexpr size_t kMaxSyncPath = 1024;
constexpr size_t kMaxSyncMessage = 256;
constexpr size_t kPhonePathBuffer = 260;
constexpr size_t kPmBuffer = 4096;
// DATA chunks a push reads and sends per socket call: 4 make 256 KiB. The
// block is still in the processor's cache when the system copies it into the
// socket, and each call holds the socket only briefly, so the server keeps
// being fed while the queue is topped up; it then rarely finds it empty. Blocks of 1 to
// 4 MiB left it waiting on an empty queue two to three times as long, and
// 64 KiB blocks pay Wine's round trip per socket call too often.
constexpr size_t kChunksPerSend = 4;

struct LocalInfo {
    bool folder = false;
    uint32_t mode = 0, time = 0;
    uint64_t size = 0;
};

uint32_t UnixTime(const FILETIME& ft) {
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    return static_cast<uint32_t>(t.QuadPart / 10000000ULL - 11644473600ULL);
}

// The local file's kind, time and mode in the POSIX form the phone expects.
bool StatLocal(const std::wstring& path, LocalInfo& info) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    info.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    bool readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    info.mode = (info.folder ? kModeFolder | 0555 : kModeRegular | 0444) | (readOnly ? 0 : 0222);
    info.time = UnixTime(data.ftLastWriteTime);
    info.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool IsLocalFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void PutLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
uint32_t GetLe32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

bool SendMessage(int fd, const char* id, uint32_t value, const std::string& payload = {}) {
    std::string frame(8, '\0');
    memcpy(frame.data(), id, 4);
    PutLe32(&frame[4], value);
    frame += payload;
    return WriteExactly(fd, frame.data(), frame.size()) == 0;
}

bool SendPathRequest(int fd, const char* id, const std::string& path) {
    return path.size() <= kMaxSyncPath && SendMessage(fd, id, static_cast<uint32_t>(path.size()), path);
}

void SendQuit(int fd) { SendMessage(fd, "QUIT", 0); }

std::string ReadFailMessage(int fd, uint32_t length) {
    std::string message(length < kMaxSyncMessage ? length : kMaxSyncMessage, '\0');
    if (ReadExactly(fd, message.data(), message.size()) != 0) return "unknown reason";
    return message;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::wstring WithTrailing(const std::wstring& path, wchar_t separator) {
    if (!path.empty() && (path.back() == L'/' || path.back() == L'\\')) return path;
    return path + separator;
}
std::string WithTrailing(const std::string& path) {
    return !path.empty() && path.back() == '/' ? path : path + '/';
}

const char* Plural(int n) { return n == 1 ? "" : "s"; }

void ReportCopyFailure(const std::string& from, const std::string& to, const std::string& message) {
    fprintf(stderr, "failed to copy '%s' to '%s': %s\n", from.c_str(), to.c_str(), message.c_str());
}

// Creates each missing folder above a local file path ("/" and "\" both separate).
void CreateParentFolders(const std::wstring& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if ((path[i] == L'\\' || path[i] == L'/') && path[i - 1] != L':') {
            CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
        }
    }
}

// Moves the finished download over the target; a read-only target is made
// writable first.
bool ReplaceFile(const std::wstring& from, const std::wstring& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

// Reads a sync reply stream through a large buffer: a received file comes as
// many small headers and chunks, and one receive per piece is slow. Only
// used while the server is sending one file, so nothing past its "DONE" is
// ever taken from the socket.
class BufferedReader {
public:
    explicit BufferedReader(int fd) : fd_(fd), buffer_(new char[kSize]) {}
    bool Read(void* out, size_t count) {
        char* p = static_cast<char*>(out);
        while (count > 0) {
            if (begin_ == end_) {
                if (count >= kSize) return ReadExactly(fd_, p, count) == 0;
                int n = HandleRead(fd_, buffer_.get(), kSize);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) return false;
                begin_ = 0;
                end_ = static_cast<size_t>(n);
            }
            size_t take = end_ - begin_ < count ? end_ - begin_ : count;
            memcpy(p, buffer_.get() + begin_, take);
            begin_ += take;
            p += take;
            count -= take;
        }
        return true;
    }

private:
    static constexpr size_t kSize = 2 * 1024 * 1024;
    int fd_;
    std::unique_ptr<char[]> buffer_;
    size_t begin_ = 0, end_ = 0;
};

struct CopyItem {
    std::wstring local;
    std::string remote;
    uint32_t time = 0, mode = 0;
};

// Lists a local folder tree without touching the process's current folder.
void ListLocalTree(const std::wstring& local, const std::string& remote, std::vector<CopyItem>& items) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((local + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = local + name;
        std::string target = remote + WideToUtf8(name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListLocalTree(path + L"\\", target + "/", items);
            continue;
        }
        LocalInfo info;
        if (!StatLocal(path, info)) {
            fprintf(stderr, "skipping special file '%s'\n", WideToUtf8(path).c_str());
            continue;
        }
        items.push_back({path, target, info.time, info.mode});
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

int PushFolder(int fd, const std::wstring& local, const std::string& remote, std::string& output) {
    std::vector<CopyItem> items;
    ListLocalTree(WithTrailing(local, L'\\'), WithTrailing(remote), items);
    int pushed = 0;
    for (const CopyItem& item : items) {
        fprintf(stderr, "push: %s -> %s\n", WideToUtf8(item.local).c_str(), item.remote.c_str());
        if (SyncSendFile(fd, item.local, item.remote, item.time, item.mode, output) != 0) return 1;
        ++pushed;
    }
    fprintf(stderr, "%d file%s pushed. %d file%s skipped.\n", pushed, Plural(pushed), 0, Plural(0));
    return 0;
}

bool ListRemoteTree(int fd, const std::string& remote, const std::wstring& local, std::vector<CopyItem>& items) {
    std::vector<SyncEntry> entries;
    if (SyncList(fd, remote, [&](const SyncEntry& e) { entries.push_back(e); }) != 0) return false;
    for (const SyncEntry& e : entries) {
        if (e.name == "." || e.name == "..") continue;
        std::wstring path = local + Utf8ToWide(e.name);
        if ((e.mode & 0xF000) == kModeFolder) {
            if (!ListRemoteTree(fd, remote + e.name + "/", path + L"\\", items)) return false;
        } else if ((e.mode & 0xF000) == kModeRegular) {
            items.push_back({path, remote + e.name, e.time, e.mode});
        } else {
            fprintf(stderr, "skipping special file '%s'\n", (remote + e.name).c_str());
        }
    }
    return true;
}

int PullFolder(int fd, const std::string& remote, const std::wstring& local) {
    if (local.empty()) return 1;
    fprintf(stderr, "pull: building file list...\n");
    std::vector<CopyItem> items;
    if (!ListRemoteTree(fd, WithTrailing(remote), WithTrailing(local, L'\\'), items)) return 1;
    int pulled = 0;
    for (const CopyItem& item : items) {
        fprintf(stderr, "pull: %s -> %s\n", item.remote.c_str(), WideToUtf8(item.local).c_str());
        if (SyncReceiveFile(fd, item.remote, item.local) != 0) return 1;
        ++pulled;
    }
    fprintf(stderr, "%d file%s pulled. %d file%s skipped.\n", pulled, Plural(pulled), 0, Plural(0));
    return 0;
}

// Runs "shell:" + text on the phone; the whole reply is appended to output.
// Returns false when the service could not be opened.
bool RunShellService(const AdbTarget& target, const std::string& text, std::string& output) {
    int fd = AdbConnectService(target, "shell:" + text, output);
    if (fd < 0) return false;
    AdbReadToOutput(fd, output);
    HandleClose(fd);
    return true;
}

// "pm" followed by every word, escaped, as one UTF-8 shell text; none when
// it would not fit the service buffer.
bool RunPackageManager(const AdbTarget& target, const std::vector<AdbWord>& words, std::string& output) {
    std::string text = "pm";
    for (const AdbWord& word : words) text += " " + EscapeShellArgument(WideToUtf8(word.wide));
    if (text.size() + 6 >= kPmBuffer) {
        fprintf(stderr, "error: package manager command too long\n");
        return false;
    }
    return RunShellService(target, text, output);
}

std::wstring WideBaseName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string EscapeShellArgument(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '"' || c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

int64_t SyncReadMode(int fd, const std::string& remote) {
    char answer[16];
    if (!SendPathRequest(fd, "STAT", remote) || ReadExactly(fd, answer, sizeof answer) != 0 ||
        memcmp(answer, "STAT", 4) != 0)
        return -1;
    return GetLe32(answer + 4);
}

int SyncList(int fd, const std::string& remote, const std::function<void(const SyncEntry&)>& action) {
    if (!SendPathRequest(fd, "LIST", remote)) return -1;
    for (;;) {
        char answer[20];
        if (ReadExactly(fd, answer, sizeof answer) != 0) return -1;
        if (memcmp(answer, "DONE", 4) == 0) return 0;
        uint32_t nameLength = GetLe32(answer + 16);
        if (memcmp(answer, "DENT", 4) != 0 || nameLength > 256) return -1;
        SyncEntry entry;
        entry.mode = GetLe32(answer + 4);
        entry.size = GetLe32(answer + 8);
        entry.time = GetLe32(answer + 12);
        entry.name.resize(nameLength);
        if (ReadExactly(fd, entry.name.data(), nameLength) != 0) return -1;
        action(entry);
    }
}

int SyncSendFile(int fd, const std::wstring& local, const std::string& remote, uint32_t time, uint32_t mode,
                 std::string& output) {
    const std::string localText = WideToUtf8(local);
    auto fail = [&](const std::string& message) {
        ReportCopyFailure(localText, remote, message);
        output = message;
        return -1;
    };
    if (!(mode & kModeRegular)) {
        fprintf(stderr, "protocol failure\n");
        return -1;
    }
    // The file is opened before anything is sent: an unreadable file must
    // not reach the phone as an empty one.
    int file = OpenFileRead(local.c_str());
    if (file < 0) {
        fprintf(stderr, "cannot open '%s': %s\n", localText.c_str(), strerror(errno));
        return fail(std::string("cannot open '") + localText + "': " + strerror(errno));
    }
    std::string header = remote + "," + std::to_string(mode);
    if (header.size() > kMaxSyncPath || !SendMessage(fd, "SEND", static_cast<uint32_t>(header.size()), header)) {
        HandleClose(file);
        fprintf(stderr, "protocol failure\n");
        return -1;
    }
    // The file is read straight into its DATA frames, a block of them at a
    // time, and the block goes out in one socket call: under Wine every
    // socket call is a round trip through the Wine server, and small calls
    // cap the rate. Each chunk stays a protocol-sized DATA.
    constexpr size_t kFrameBytes = 8 + kSyncMaxChunk;
    std::unique_ptr<char[]> frames(new char[kChunksPerSend * kFrameBytes]);
    for (bool more = true; more;) {
        size_t used = 0;
        for (size_t k = 0; more && k < kChunksPerSend; ++k) {
            char* frame = frames.get() + used;
            size_t got = 0;
            while (got < kSyncMaxChunk) {
                int n = HandleRead(file, frame + 8 + got, kSyncMaxChunk - got);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) {
                    // The phone holds a partial file now; cutting the connection
                    // makes the server drop it instead of keeping it as complete.
                    HandleClose(file);
                    return fail(std::string("cannot read '") + localText + "': " + strerror(errno));
                }
                if (n == 0) {
                    more = false;
                    break;
                }
                got += static_cast<size_t>(n);
            }
            if (got == 0) break;
            memcpy(frame, "DATA", 4);
            PutLe32(frame + 4, static_cast<uint32_t>(got));
            used += 8 + got;
        }
        if (used > 0 && WriteExactly(fd, frames.get(), used) != 0) {
            HandleClose(file);
            fprintf(stderr, "protocol failure\n");
            return -1;
        }
    }
    HandleClose(file);
    char answer[8];
    if (!SendMessage(fd, "DONE", time) || ReadExactly(fd, answer, sizeof answer) != 0) return fail("unknown reason");
    if (memcmp(answer, "OKAY", 4) == 0) return 0;
    if (memcmp(answer, "FAIL", 4) == 0) return fail(ReadFailMessage(fd, GetLe32(answer + 4)));
    return fail("unknown reason");
}

int SyncReceiveFile(int fd, const std::string& remote, const std::wstring& local) {
    const std::string localText = WideToUtf8(local);
    char header[8];
    BufferedReader reader(fd);
    if (!SendPathRequest(fd, "RECV", remote) || !reader.Read(header, sizeof header)) return -1;
    auto failed = [&](const std::string& message) {
        ReportCopyFailure(remote, localText, message);
        return -1;
    };
    auto failureOf = [&](const char id[4]) {
        if (memcmp(id, "FAIL", 4) != 0) return std::string(id, 4);
        std::string message(std::min<size_t>(GetLe32(id + 4), kMaxSyncMessage), '\0');
        return reader.Read(message.data(), message.size()) ? message : std::string("unknown reason");
    };
    if (memcmp(header, "DATA", 4) != 0 && memcmp(header, "DONE", 4) != 0) return failed(failureOf(header));

    // The data lands in a temporary file beside the target, which replaces
    // the target only once the whole file arrived.
    CreateParentFolders(local);
    std::wstring temporary = local + L".adbpart";
    int file = CreateFileWrite(temporary.c_str());
    if (file < 0) {
        fprintf(stderr, "cannot create '%s': %s\n", localText.c_str(), strerror(errno));
        return -1;
    }
    auto discard = [&] {
        HandleClose(file);
        DeleteFileW(temporary.c_str());
    };
    // Chunks gather in a larger buffer so the file sees few, large writes.
    constexpr size_t kWriteBatch = 32 * kSyncMaxChunk;
    std::unique_ptr<char[]> buffer(new char[kWriteBatch]);
    size_t pending = 0;
    auto flush = [&] {
        bool ok = WriteExactly(file, buffer.get(), pending) == 0;
        pending = 0;
        return ok;
    };
    auto writeFailed = [&] {
        fprintf(stderr, "cannot write '%s': %s\n", localText.c_str(), strerror(errno));
        discard();
        return -1;
    };
    for (;;) {
        if (memcmp(header, "DONE", 4) == 0) {
            if (flush()) break;
            return writeFailed();
        }
        if (memcmp(header, "DATA", 4) != 0) {
            std::string message = failureOf(header);
            discard();
            return failed(message);
        }
        uint32_t length = GetLe32(header + 4);
        if (length > kSyncMaxChunk) {
            fprintf(stderr, "data overrun\n");
            discard();
            return -1;
        }
        if (pending + length > kWriteBatch && !flush()) return writeFailed();
        if (!reader.Read(buffer.get() + pending, length)) {
            discard();
            return failed("connection lost");
        }
        pending += length;
        if (!reader.Read(header, sizeof header)) {
            discard();
            return failed("connection lost");
        }
    }
    HandleClose(file);
    if (!ReplaceFile(temporary, local)) {
        DeleteFileW(temporary.c_str());
        fprintf(stderr, "cannot create '%s': %s\n", localText.c_str(), "replace failed");
        return -1;
    }
    return 0;
}

int AdbPush(const AdbTarget& target, const std::wstring& local, const std::string& remote, std::string& output) {
    int fd = AdbConnectService(target, "sync:", output);
    if (fd < 0) return 1;
    // Only the speed depends on it: a socket that keeps its own buffer still works.
    HandleUseBulkSendBuffer(fd);
    LocalInfo info;
    int result = 1;
    if (!StatLocal(local, info)) {
        fprintf(stderr, "cannot stat '%s': %s\n", WideToUtf8(local).c_str(), strerror(ENOENT));
    } else if (info.folder) {
        result = PushFolder(fd, local, remote, output);
    } else {
        std::string destination = remote;
        int64_t mode = SyncReadMode(fd, remote);
        if (mode >= 0) {
            if ((mode & 0xF000) == kModeFolder) destination = remote + "/" + BaseName(WideToUtf8(local));
            result = SyncSendFile(fd, local, destination, info.time, info.mode, output) == 0 ? 0 : 1;
        }
    }
    if (result == 0) SendQuit(fd);
    HandleClose(fd);
    return result;
}

int AdbPull(const AdbTarget& target, const std::string& remote, const std::wstring& local, std::string& output) {
    int fd = AdbConnectService(target, "sync:", output);
    if (fd < 0) return 1;
    int result = 1;
    int64_t mode = SyncReadMode(fd, remote);
    if (mode == 0) {
        fprintf(stderr, "remote object '%s' does not exist\n", remote.c_str());
    } else if (mode > 0 && (mode & 0xA000)) {
        std::wstring destination = local;
        if (IsLocalFolder(local)) destination = WithTrailing(local, L'\\') + Utf8ToWide(BaseName(remote));
        result = SyncReceiveFile(fd, remote, destination) == 0 ? 0 : 1;
    } else if (mode > 0 && (mode & 0xF000) == kModeFolder) {
        result = PullFolder(fd, remote, local);
    } else if (mode > 0) {
        fprintf(stderr, "remote object '%s' not a file or directory\n", remote.c_str());
    }
    if (result == 0) SendQuit(fd);
    HandleClose(fd);
    return result;
}

int AdbListRemote(const AdbTarget& target, const std::string& remote, std::string& output) {
    int fd = AdbConnectService(target, "sync:", output);
    if (fd < 0) return 1;
    int result = SyncList(fd, remote, [](const SyncEntry& e) {
        printf("%08x %08x %08x %s\n", e.mode, e.size, e.time, e.name.c_str());
    });
    if (result == 0) SendQuit(fd);
    HandleClose(fd);
    return result == 0 ? 0 : 1;
}

int AdbInstallApk(const AdbTarget& target, const std::vector<AdbWord>& words, std::string& output) {
    const char* folderPattern = "/data/local/tmp/";
    std::vector<size_t> files;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i].text;
        if (w == "-i" || w == "--algo" || w == "--iv" || w == "--key") {
            ++i;
        } else if (w == "-s") {
            folderPattern = "/sdcard/tmp/";
        } else if (!w.empty() && w[0] == '-') {
        } else {
            files.push_back(i);
        }
    }
    if (files.size() > 2) {
        fprintf(stderr, "too many files specified; only takes APK file and verifier file\n");
        return 1;
    }
    if (files.empty()) {
        fprintf(stderr, "can't find filename in arguments\n");
        return 1;
    }
    std::vector<std::string> phonePaths;
    for (size_t index : files) {
        LocalInfo info;
        if (!StatLocal(words[index].wide, info)) {
            output += "can't find to install\n";
            return 1;
        }
        if (info.folder) {
            output += "can't install  because it's not a file\n";
            return 1;
        }
        std::string phonePath = folderPattern + WideToUtf8(WideBaseName(words[index].wide));
        if (phonePath.size() >= kPhonePathBuffer) {
            fprintf(stderr, "error: file name too long for the phone folder\n");
            return 1;
        }
        phonePaths.push_back(phonePath);
    }
    if (phonePaths.size() == 2 && phonePaths[0] == phonePaths[1]) {
        fprintf(stderr, "APK and verification file can't have the same name\n");
        return 1;
    }
    std::vector<AdbWord> pmWords = words;
    int result = 0;
    for (size_t k = 0; k < files.size() && result == 0; ++k) {
        result = AdbPush(target, words[files[k]].wide, phonePaths[k], output);
        if (result == 0) pmWords[files[k]] = {phonePaths[k], Utf8ToWide(phonePaths[k])};
    }
    if (result == 0) RunPackageManager(target, pmWords, output);
    // The phone copies go whether or not the install worked.
    std::string scratch;
    for (size_t k = phonePaths.size(); k-- > 0;) RunShellService(target, "rm " + EscapeShellArgument(phonePaths[k]), scratch);
    return result;
}

int AdbUninstall(const AdbTarget& target, const std::vector<AdbWord>& words, std::string& output) {
    if (words.size() == 3 && words[1].text == "-k") {
        printf("The -k option uninstalls the application while retaining the data/cache.\n"
               "At the moment, there is no way to remove the remaining data.\n"
               "You will have to reinstall the application with the same signature, and fully uninstall it.\n"
               "If you truly wish to continue, execute 'adb shell pm uninstall -k %s'\n",
               words[2].text.c_str());
        return -1;
    }
    RunPackageManager(target, words, output);
    return 0;
}
