#include "adb/sysdeps_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "win32/ScopedHandle.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

struct HandleEntry;

// The operations of one kind of handle.
struct HandleClass {
    void (*close)(HandleEntry&);
    long long (*seek)(HandleEntry&, long long offset, int whence);
    int (*read)(HandleEntry&, void* buffer, size_t count);
    int (*write)(HandleEntry&, const void* buffer, size_t count);
};

// A slot is free while it has no class; it is open while `open` is set. A
// slot being closed is neither, so no lookup finds it and no open reuses it.
struct HandleEntry {
    const HandleClass* cls = nullptr;
    bool open = false;
    ScopedHandle file;
    SOCKET socket = INVALID_SOCKET;
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

class TableLock {
public:
    TableLock() { EnterCriticalSection(&g_lock); }
    ~TableLock() { LeaveCriticalSection(&g_lock); }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
};

// ---- file class ----
void FileClose(HandleEntry& e) { e.file.Close(); }
long long FileSeek(HandleEntry& e, long long offset, int whence) {
    DWORD method = whence == 0 ? FILE_BEGIN : whence == 1 ? FILE_CURRENT : whence == 2 ? FILE_END : 0xFFFFFFFF;
    if (method == 0xFFFFFFFF) { errno = EINVAL; return -1; }
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(e.file.Get(), distance, &position, method)) { errno = EIO; return -1; }
    return position.QuadPart;
}
int FileRead(HandleEntry& e, void* buffer, size_t count) {
    DWORD done = 0;
    if (!ReadFile(e.file.Get(), buffer, static_cast<DWORD>(count), &done, nullptr)) { errno = EIO; return -1; }
    return static_cast<int>(done);
}
int FileWrite(HandleEntry& e, const void* buffer, size_t count) {
    DWORD done = 0;
    if (!WriteFile(e.file.Get(), buffer, static_cast<DWORD>(count), &done, nullptr)) { errno = EIO; return -1; }
    return static_cast<int>(done);
}

const HandleClass kFileClass = {FileClose, FileSeek, FileRead, FileWrite};

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
void SocketClose(HandleEntry& e) {
    if (e.socket != INVALID_SOCKET) {
        shutdown(e.socket, SD_BOTH);
        closesocket(e.socket);
        e.socket = INVALID_SOCKET;
    }
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

const HandleClass kSocketClass = {SocketClose, SocketSeek, SocketRead, SocketWrite};

HandleEntry* AllocHandle(const HandleClass* cls) {
    EnsureLock();
    TableLock lock;
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
        found->open = true;
    }
    return found;
}

int NumberOf(const HandleEntry* e) { return static_cast<int>(e - g_entries) + kAdbFirstHandle; }

// The open entry of a number, read under the table's lock.
HandleEntry* Lookup(int fd) {
    int index = fd - kAdbFirstHandle;
    EnsureLock();
    TableLock lock;
    if (index < 0 || index >= g_entriesTaken || !g_entries[index].open) {
        errno = EBADF;
        return nullptr;
    }
    return &g_entries[index];
}

// The open socket entry of a number; a file gives ENOTSOCK.
HandleEntry* LookupSocket(int fd) {
    HandleEntry* e = Lookup(fd);
    if (e && e->cls != &kSocketClass) {
        errno = ENOTSOCK;
        return nullptr;
    }
    return e;
}

// Closes an entry once, even when two threads close the same number: the
// first takes it out of lookups, and only after its resources are gone does
// the slot become free for a new open.
bool FreeEntry(HandleEntry* e) {
    {
        TableLock lock;
        if (!e->open) return false;
        e->open = false;
    }
    e->cls->close(*e);
    TableLock lock;
    e->cls = nullptr;
    return true;
}

// Sockets are inheritable by default; a child started while one is open (a
// tool, the long-lived adb server) would keep the connection alive. Made
// overlapped as socket() makes them, which the send and receive time-outs need.
SOCKET NonInheritableSocket(int family) {
    SOCKET s = WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET && WSAGetLastError() == WSAEINVAL) {  // systems without the flag
        s = socket(family, SOCK_STREAM, IPPROTO_TCP);
        if (s != INVALID_SOCKET) SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    }
    return s;
}

int MapOpenError(DWORD error) { return error == ERROR_PATH_NOT_FOUND ? ENOTDIR : ENOENT; }

int OpenFile(const wchar_t* path, DWORD access, DWORD disposition) {
    HandleEntry* e = AllocHandle(&kFileClass);
    if (!e) { errno = ENOMEM; return -1; }
    e->file.Reset(CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!e->file) {
        int code = MapOpenError(GetLastError());
        FreeEntry(e);
        errno = code;
        return -1;
    }
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

int ConnectTo(const sockaddr_in& address) {
    InitOnceExecuteOnce(&g_winsockOnce, StartWinsock, nullptr, nullptr);
    HandleEntry* e = AllocHandle(&kSocketClass);
    if (!e) { errno = ENOMEM; return -1; }
    e->socket = NonInheritableSocket(address.sin_family);
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
    return NumberOf(e);
}

// The send buffer a bulk upload asks for. With it the system keeps this much
// queued toward the server, which goes on reading while the sender waits to
// be woken for its next block; under Wine that wake-up passes through the
// Wine server and can take milliseconds, long enough to drain the buffer the
// system grows by itself (4 MiB on the build machine).
constexpr int kBulkSendBuffer = 8 * 1024 * 1024;

// Whether the system grants the bulk send buffer in full, tried once on a
// spare socket: a fixed size stops the system growing the buffer by itself,
// so a size the system caps lower would leave the upload worse off.
bool g_bulkSendGranted = false;
BOOL CALLBACK ProbeBulkSendBuffer(PINIT_ONCE, PVOID, PVOID*) {
    InitOnceExecuteOnce(&g_winsockOnce, StartWinsock, nullptr, nullptr);
    SOCKET probe = NonInheritableSocket(AF_INET);
    if (probe == INVALID_SOCKET) return TRUE;
    int size = kBulkSendBuffer, got = 0, length = sizeof got;
    if (setsockopt(probe, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size) == 0 &&
        getsockopt(probe, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<char*>(&got), &length) == 0) {
        g_bulkSendGranted = got >= size;
    }
    closesocket(probe);
    return TRUE;
}
INIT_ONCE g_bulkSendOnce = INIT_ONCE_STATIC_INIT;

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
    if (!e || !FreeEntry(e)) {
        errno = EBADF;
        return -1;
    }
    return 0;
}

int HandleShutdown(int fd) {
    HandleEntry* e = LookupSocket(fd);
    if (!e) return -1;
    return shutdown(e->socket, SD_BOTH) == 0 ? 0 : (errno = SocketErrno(), -1);
}

int HandleRead(int fd, void* buffer, size_t count) {
    HandleEntry* e = Lookup(fd);
    return e ? e->cls->read(*e, buffer, count) : -1;
}

int HandleWrite(int fd, const void* buffer, size_t count) {
    HandleEntry* e = Lookup(fd);
    return e ? e->cls->write(*e, buffer, count) : -1;
}

int HandleWaitWithoutBound(int fd) {
    HandleEntry* e = LookupSocket(fd);
    if (!e) return -1;
    // No time-out on either direction; keep-alive probes still end the wait
    // when the far end vanished without closing (a lost remote host).
    DWORD forever = 0;
    BOOL on = TRUE;
    if (setsockopt(e->socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&forever), sizeof forever) != 0 ||
        setsockopt(e->socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&forever), sizeof forever) != 0 ||
        setsockopt(e->socket, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on) != 0) {
        errno = SocketErrno();
        return -1;
    }
    return 0;
}

int HandleUseBulkSendBuffer(int fd) {
    HandleEntry* e = LookupSocket(fd);
    if (!e) return -1;
    InitOnceExecuteOnce(&g_bulkSendOnce, ProbeBulkSendBuffer, nullptr, nullptr);
    if (!g_bulkSendGranted) return 0;
    int size = kBulkSendBuffer;
    if (setsockopt(e->socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size) != 0) {
        errno = SocketErrno();
        return -1;
    }
    return 0;
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
    return ConnectTo(address);
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
    return ConnectTo(address);
}

void AdbSetSocketTimeout(unsigned milliseconds) { g_socketTimeoutMs = milliseconds; }
unsigned AdbSocketTimeout() { return g_socketTimeoutMs; }
