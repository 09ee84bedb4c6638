// The adb client's handle layer: small integer handles, as a POSIX program
// uses file descriptors, mapped onto Win32 files and Winsock sockets.
// Errors come back the POSIX way: -1 and the thread's errno.
#pragma once

#include <cstddef>

// The first handle number; numbers below it are never valid.
constexpr int kAdbFirstHandle = 100;
constexpr int kAdbHandleCount = 128;

// The lock that guards the handle table. The library's load hook calls the
// first and its unload hook the second; allocation also makes sure the lock
// exists, so a client linked statically works without the hook.
void AdbInitHandleTable();
void AdbFreeHandleTable();

int HandleClose(int fd);
// Ends both directions of a socket without freeing its number: a read
// waiting on it in another thread returns. Files fail with ENOTSOCK.
int HandleShutdown(int fd);
// Bytes moved, 0 at end of stream, or -1 with errno (EBADF for a bad number,
// ETIMEDOUT when a socket stayed silent past the time-out).
int HandleRead(int fd, void* buffer, size_t count);
int HandleWrite(int fd, const void* buffer, size_t count);
// 0 when all bytes moved, -1 otherwise (end of stream included).
int ReadExactly(int fd, void* buffer, size_t count);
int WriteExactly(int fd, const void* buffer, size_t count);
// Gives a socket a large send buffer for a bulk upload, when the system grants
// it in full; otherwise the socket keeps the size the system grows by itself.
// Files fail with ENOTSOCK.
int HandleUseBulkSendBuffer(int fd);
// Seek on a file handle (whence 0, 1, 2); sockets fail with EPIPE.
long long HandleSeek(int fd, long long offset, int whence);

// Local files are opened by UTF-16 path so any name the file system holds works.
int OpenFileRead(const wchar_t* path);
int CreateFileWrite(const wchar_t* path);

int LoopbackConnect(int port);
int NetworkConnect(const char* host, int port);

// How long one socket send or receive may wait before it fails with
// ETIMEDOUT: the bound on the server's own answers (the request, its status
// and text replies). A silent or half-dead server must not hang the caller.
// Applies to sockets connected afterwards.
void AdbSetSocketTimeout(unsigned milliseconds);
unsigned AdbSocketTimeout();
// Lifts the time-out on one socket: a running service (an install, a shell
// command, a file transfer) speaks when the phone has something to say, which
// may be minutes. A closed or reset connection still ends a read at once.
// Files fail with ENOTSOCK.
int HandleWaitWithoutBound(int fd);
