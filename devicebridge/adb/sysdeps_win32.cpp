#include "adb/sysdeps_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

struct HandleEntry;

// The operations of one kind of handle, in the table's fixed order.
struct HandleClass {
    void (*init)(HandleEntry&);
    void (*close)(HandleEntry&);
    long long (*seek)(HandleEntry&, long long offset, int whence);
    int (*read)(HandleEntry&, void* buffer, size_t count);
    int (*write)(HandleEntry&, const void* buffer, size_t count);
    void (*eventHook)(HandleEntry&);
};

struct HandleEntry {
    const HandleClass* cls = nullptr;
    std::atomic<int> used{0};
    int eof = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT event = WSA_INVALID_EVENT;
    long mask = 0;
    char name[32] = {};
};

HandleEntry g_entries[kAdbHandleCount];
int g_entriesTaken = 0;
CRITICAL_SECTION g_lock;
INIT_ONCE g_lockOnce = INIT_ONCE_STATIC_INIT;
std::atomic<unsigned> g_socketTimeoutMs{30000};

BOOL CALLBACK InitLock(PINIT_ONCE, PVOID, PVOID*) {
    InitializeCriticalSection(&g_lock);
    return TRUE;
}

void EnsureLock() { InitOnceExecuteOnce(&g_lockOnce, InitLock, nullptr, nullptr); }

// ---- file class ----
void FileInit(HandleEntry& e) { e.file = INVALID_HANDLE_VALUE; }
void FileClose(HandleEntry& e) {
    if (e.file != INVALID_HANDLE_VALUE) CloseHandle(e.file);
    e.file = INVALID_HANDLE_VALUE;
}
long long FileSeek(HandleEntry& e, long long offset, int whence) {
    DWORD method = whence == 0 ? FILE_BEGIN : whence == 1 ? FILE_CURRENT : whence == 2 ? FILE_END : 0xFFFFFFFF;
    if (method == 0xFFFFFFFF) { errno = EINVAL; return -1; }
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(e.file, distance, &position, method)) { errno = EIO; return -1; }
    e.eof = 0;
    return position.QuadPart;
}
int FileRead(HandleEntry& e, void* buffer, size_t count) {
    DWORD done = 0;
    if (!ReadFile(e.file, buffer, static_cast<DWORD>(count), &done, nullptr)) { errno = EIO; return -1; }
    if (done < count) e.eof = 1;
    return static_cast<int>(done);
}
int FileWrite(HandleEntry& e, const void* buffer, size_t count) {
    DWORD done = 0;
    if (!WriteFile(e.file, buffer, static_cast<DWORD>(count), &done, nullptr)) { errno = EIO; return -1; }
    if (done < count) e.eof = 1;
    return static_cast<int>(done);
}
void NoEventHook(HandleEntry&) {}

const HandleClass kFileClass = {FileInit, FileClose, FileSeek, FileRead, FileWrite, NoEventHook};

// ---- socket class ----
int SocketErrno() {
    switch (WSAGetLastError()) {
    case 0: return 0;
    case WSAEINTR: return EINTR;
    case WSAEWOULDBLOCK: return EAGAIN;
    case WSAETIMEDOUT: return ETIMEDOUT;
    default: return EINVAL;
    }
}
void SocketInit(HandleEntry& e) {
    e.socket = INVALID_SOCKET;
    e.event = WSACreateEvent();
    e.mask = 0;
}
void SocketClose(HandleEntry& e) {
    if (e.socket != INVALID_SOCKET) {
        shutdown(e.socket, SD_BOTH);
        closesocket(e.socket);
        e.socket = INVALID_SOCKET;
    }
    if (e.event != WSA_INVALID_EVENT) WSACloseEvent(e.event);
    e.event = WSA_INVALID_EVENT;
    e.mask = 0;
}
long long SocketSeek(HandleEntry&, long long, int) {
    errno = EPIPE;
    return -1;
}
int SocketRead(HandleEntry& e, void* buffer, size_t count) {
    int n = recv(e.socket, static_cast<char*>(buffer), static_cast<int>(count), 0);
    if (n == SOCKET_ERROR) { errno = SocketErrno(); return -1; }
    return n;
}
int SocketWrite(HandleEntry& e, const void* buffer, size_t count) {
    int n = send(e.socket, static_cast<const char*>(buffer), static_cast<int>(count), 0);
    if (n == SOCKET_ERROR) { errno = SocketErrno(); return -1; }
    return n;
}

const HandleClass kSocketClass = {SocketInit, SocketClose, SocketSeek, SocketRead, SocketWrite, NoEventHook};

HandleEntry* AllocHandle(const HandleClass* cls) {
    EnsureLock();
    EnterCriticalSection(&g_lock);
    HandleEntry* found = nullptr;
    if (g_entriesTaken < kAdbHandleCount) {
        found = &g_entries[g_entriesTaken++];
    } else {
        for (HandleEntry& e : g_entries) {
            if (!e.cls) { found = &e; break; }
        }
    }
    if (found) {
        found->cls = cls;
        found->used = 1;
        found->eof = 0;
        found->name[0] = '\0';
        cls->init(*found);
    }
    LeaveCriticalSection(&g_lock);
    return found;
}

int NumberOf(const HandleEntry* e) { return static_cast<int>(e - g_entries) + kAdbFirstHandle; }

HandleEntry* Lookup(int fd) {
    int index = fd - kAdbFirstHandle;
    if (index < 0 || index >= g_entriesTaken || !g_entries[index].used) {
        errno = EBADF;
        return nullptr;
    }
    return &g_entries[index];
}

void FreeEntry(HandleEntry* e) {
    e->cls->close(*e);
    EnterCriticalSection(&g_lock);
    e->used = 0;
    e->cls = nullptr;
    LeaveCriticalSection(&g_lock);
}

int MapOpenError(DWORD error) { return error == ERROR_PATH_NOT_FOUND ? ENOTDIR : ENOENT; }

int OpenFile(const wchar_t* path, DWORD access, DWORD disposition) {
    HandleEntry* e = AllocHandle(&kFileClass);
    if (!e) { errno = ENOMEM; return -1; }
    e->file = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (e->file == INVALID_HANDLE_VALUE) {
        int code = MapOpenError(GetLastError());
        FreeEntry(e);
        errno = code;
        return -1;
    }
    _snprintf(e->name, sizeof e->name - 1, "%d(%ls)", NumberOf(e), path);
    return NumberOf(e);
}

// Winsock starts once per process; the clean-up runs at exit.
BOOL CALLBACK StartWinsock(PINIT_ONCE, PVOID, PVOID*) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        fprintf(stderr, "error: adb: could not initialize Winsock\n\n");
    } else {
        atexit([] { WSACleanup(); });
    }
    return TRUE;
}
INIT_ONCE g_winsockOnce = INIT_ONCE_STATIC_INIT;

int ConnectTo(const sockaddr_in& address, const char* kind, const char* host, int port) {
    InitOnceExecuteOnce(&g_winsockOnce, StartWinsock, nullptr, nullptr);
    HandleEntry* e = AllocHandle(&kSocketClass);
    if (!e) { errno = ENOMEM; return -1; }
    e->socket = socket(address.sin_family, SOCK_STREAM, IPPROTO_TCP);
    if (e->socket == INVALID_SOCKET ||
        connect(e->socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        errno = SocketErrno();
        FreeEntry(e);
        return -1;
    }
    DWORD timeout = g_socketTimeoutMs;
    setsockopt(e->socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    setsockopt(e->socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    int one = 1;
    setsockopt(e->socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    _snprintf(e->name, sizeof e->name - 1, "%d(%s:%s%d)", NumberOf(e), kind, host, port);
    return NumberOf(e);
}

}  // namespace

void AdbInitHandleTable() { EnsureLock(); }

void AdbFreeHandleTable() {
    // Called once when the library unloads; nothing may allocate after this.
    BOOL pending = FALSE;
    if (InitOnceBeginInitialize(&g_lockOnce, INIT_ONCE_CHECK_ONLY, &pending, nullptr)) {
        DeleteCriticalSection(&g_lock);
        InitOnceInitialize(&g_lockOnce);
    }
}

int HandleClose(int fd) {
    HandleEntry* e = Lookup(fd);
    if (!e) return -1;
    FreeEntry(e);
    return 0;
}

int HandleRead(int fd, void* buffer, size_t count) {
    HandleEntry* e = Lookup(fd);
    return e ? e->cls->read(*e, buffer, count) : -1;
}

int HandleWrite(int fd, const void* buffer, size_t count) {
    HandleEntry* e = Lookup(fd);
    return e ? e->cls->write(*e, buffer, count) : -1;
}

long long HandleSeek(int fd, long long offset, int whence) {
    HandleEntry* e = Lookup(fd);
    return e ? e->cls->seek(*e, offset, whence) : -1;
}

namespace {
// Repeats a read or write until every byte moved; an interrupted call is
// repeated, end of stream or any other error gives -1.
template <typename Byte, typename Move>
int MoveExactly(int fd, Byte* p, size_t count, Move move) {
    while (count > 0) {
        int n = move(fd, p, count);
        if (n > 0) {
            p += n;
            count -= static_cast<size_t>(n);
        } else if (!(n < 0 && errno == EINTR)) {
            return -1;
        }
    }
    return 0;
}
}  // namespace

int ReadExactly(int fd, void* buffer, size_t count) {
    return MoveExactly(fd, static_cast<char*>(buffer), count, HandleRead);
}

int WriteExactly(int fd, const void* buffer, size_t count) {
    return MoveExactly(fd, static_cast<const char*>(buffer), count, HandleWrite);
}

int OpenFileRead(const wchar_t* path) { return OpenFile(path, GENERIC_READ, OPEN_EXISTING); }

int CreateFileWrite(const wchar_t* path) { return OpenFile(path, GENERIC_WRITE, CREATE_ALWAYS); }

int LoopbackConnect(int port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ConnectTo(address, "lo-client", "", port);
}

int NetworkConnect(const char* host, int port) {
    InitOnceExecuteOnce(&g_winsockOnce, StartWinsock, nullptr, nullptr);
    hostent* entry = gethostbyname(host);
    if (!entry || !entry->h_addr_list[0] || entry->h_addrtype != AF_INET) {
        errno = ENOENT;
        return -1;
    }
    sockaddr_in address = {};
    address.sin_family = static_cast<short>(entry->h_addrtype);
    address.sin_port = htons(static_cast<u_short>(port));
    memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
    return ConnectTo(address, "net-client", host, port);
}

void AdbSetSocketTimeout(unsigned milliseconds) { g_socketTimeoutMs = milliseconds; }
unsigned AdbSocketTimeout() { return g_socketTimeoutMs; }
