#include "adb/AdbClient.h"

#include "base/ProgramFolder.h"
#include "adb/sysdeps_win32.h"
#include "win32/ProcessLauncher.h"
#include "win32/ScopedHandle.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kMaxFailMessage = 255;
constexpr size_t kMaxTextAnswer = 1024;
constexpr DWORD kServerAckTimeoutMs = 10000;
constexpr DWORD kServerSettleMs = 3000;

bool SendFrame(int fd, const std::string& service) {
    std::string frame = AdbRequestFrame(service);
    return WriteExactly(fd, frame.data(), frame.size()) == 0;
}

// Parses exactly four hex digits; anything else is not a length.
bool ParseHexLength(const char digits[4], size_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        char c = digits[i];
        int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (v < 0) return false;
        value = value * 16 + static_cast<size_t>(v);
    }
    return true;
}

// Services the server answers itself; every other one runs on the phone.
bool IsHostService(const std::string& service) { return service.compare(0, 4, "host") == 0; }

int Connect(const AdbTarget& target) {
    return target.host ? NetworkConnect(target.host->c_str(), kAdbServerPort) : LoopbackConnect(kAdbServerPort);
}

// The server executable: in the current folder where a caller put it there,
// else in the program folder's "Rirorivuvi\", wherever the caller stands.
std::wstring ServerExecutable() {
    const wchar_t* name = L"RirorivUvi.exe";
    if (GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES) return name;
    return ProgramFolderW() + L"Rirorivuvi\\" + name;
}

// Reads the server's three-byte acknowledgement, giving up after a while or
// when the server exits without writing it.
int ReadAck(HANDLE pipe, HANDLE process, char ack[3]) {
    DWORD got = 0, start = GetTickCount();
    while (got < 3) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return -1;
        if (available > 0) {
            DWORD n = 0;
            if (!ReadFile(pipe, ack + got, 3 - got, &n, nullptr)) return -1;
            got += n;
            continue;
        }
        if (WaitForSingleObject(process, 10) == WAIT_OBJECT_0) {
            if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) return -1;
        }
        if (GetTickCount() - start > kServerAckTimeoutMs) return -1;
    }
    return 0;
}

}  // namespace

std::string AdbRequestFrame(const std::string& service) {
    char prefix[8];
    snprintf(prefix, sizeof prefix, "%04x", static_cast<unsigned>(service.size()));
    return prefix + service;
}

int AdbReadStatus(int fd, std::string& output) {
    char status[4];
    if (ReadExactly(fd, status, 4) != 0) {
        output = "protocol fault (no status)";
        return -1;
    }
    if (memcmp(status, "OKAY", 4) == 0) return 0;
    if (memcmp(status, "FAIL", 4) != 0) return -1;
    char digits[4];
    size_t length = 0;
    if (ReadExactly(fd, digits, 4) != 0 || !ParseHexLength(digits, length)) {
        output = "protocol fault (status len)";
        return -1;
    }
    if (length > kMaxFailMessage) length = kMaxFailMessage;
    std::string message(length, '\0');
    if (ReadExactly(fd, message.data(), length) != 0) return -1;
    output = message;
    return -1;
}

int AdbOpenService(const AdbTarget& target, const std::string& service, std::string& output) {
    if (service.empty() || service.size() > kAdbMaxServiceLength) return -1;
    int fd = Connect(target);
    if (fd < 0) return -2;
    if (!IsHostService(service)) {
        std::string transport = target.serial ? "host:transport:" + *target.serial : "host:transport-any";
        if (transport.size() >= 512 || !SendFrame(fd, transport) || AdbReadStatus(fd, output) != 0) {
            HandleClose(fd);
            return -1;
        }
    }
    if (!SendFrame(fd, service) || AdbReadStatus(fd, output) != 0) {
        HandleClose(fd);
        return -1;
    }
    // From here a device service's stream comes from the phone, at the
    // phone's pace; only the server's own answers above stay bounded.
    if (!IsHostService(service) && HandleWaitWithoutBound(fd) != 0) {
        HandleClose(fd);
        return -1;
    }
    return fd;
}

int AdbConnectService(const AdbTarget& target, const std::string& service, std::string& output) {
    int fd = AdbOpenService(target, service, output);
    if (fd != -2) {
        if (fd >= 0 && service == "host:start-server") {
            HandleClose(fd);
            return 0;
        }
        return fd;
    }
    if (target.host) {
        fprintf(stderr, "** Cannot start server on remote host\n");
        return -2;
    }
    printf("* daemon not running. starting it now on port %d *\n", kAdbServerPort);
    if (AdbLaunchServer() != 0) {
        fprintf(stderr, "* failed to start daemon *\n");
        return -1;
    }
    printf("* daemon started successfully *\n");
    Sleep(kServerSettleMs);
    if (service == "host:start-server") return 0;
    fd = AdbOpenService(target, service, output);
    if (fd == -2) fprintf(stderr, "** daemon still not running\n");
    return fd;
}

int AdbServiceCommand(const AdbTarget& target, const std::string& service, std::string& output, AdbReplyWait wait) {
    int fd = AdbConnectService(target, service, output);
    if (fd < 0) return -1;
    if (wait == AdbReplyWait::Unbounded && HandleWaitWithoutBound(fd) != 0) {
        HandleClose(fd);
        return -1;
    }
    int result = AdbReadStatus(fd, output);
    HandleClose(fd);
    return result == 0 ? 0 : -1;
}

std::optional<std::string> AdbQueryText(const AdbTarget& target, const std::string& service, std::string& output) {
    int fd = AdbConnectService(target, service, output);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> text;
    char digits[4];
    size_t length = 0;
    if (ReadExactly(fd, digits, 4) == 0 && ParseHexLength(digits, length) && length <= kMaxTextAnswer) {
        std::string body(length, '\0');
        if (ReadExactly(fd, body.data(), length) == 0) text = std::move(body);
    }
    HandleClose(fd);
    return text;
}

void AdbReadToOutput(int fd, std::string& output) {
    char buffer[4096];
    for (;;) {
        int n = HandleRead(fd, buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;
        }
    }
}

int AdbLaunchServer() {
    ScopedHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), nullptr, 0)) {
        fprintf(stderr, "CreatePipe() failure, error %ld\n", static_cast<long>(GetLastError()));
        return -1;
    }
    // The server outlives the caller: it gets the pipe for its "OK\n" and
    // none of the caller's own standard handles, so it keeps no console or
    // output pipe of the host open.
    const std::wstring application = ServerExecutable();
    ProcessLaunch launch;
    launch.application = application.c_str();
    launch.commandLine = L"adb fork-server server";
    launch.output = writeEnd.Get();
    launch.creationFlags = DETACHED_PROCESS;
    ScopedHandle server = LaunchProcess(launch);
    writeEnd.Close();
    if (!server) {
        fprintf(stderr, "CreateProcess failure, error %ld\n", static_cast<long>(GetLastError()));
        return -1;
    }
    char ack[3] = {};
    if (ReadAck(readEnd.Get(), server.Get(), ack) != 0) {
        fprintf(stderr, "could not read ok from ADB Server, error = %ld\n", static_cast<long>(GetLastError()));
        return -1;
    }
    if (memcmp(ack, "OK\n", 3) != 0) {
        fprintf(stderr, "ADB server didn't ACK\n");
        return -1;
    }
    return 0;
}
