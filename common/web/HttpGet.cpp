#include "web/HttpGet.h"

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "win32/ScopedInternetHandle.h"

namespace {

constexpr DWORD kReadPiece = 64 * 1024;

}  // namespace

HttpReply HttpGet(const WebEndpoint& host, const std::string& path) {
    HttpReply reply;
    ScopedInternetHandle session(InternetOpenA("User-Agent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return reply;
    ScopedInternetHandle connection(InternetConnectA(session.Get(), host.host.c_str(), host.port,
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return reply;
    ScopedInternetHandle request(HttpOpenRequestA(connection.Get(), "GET",
                                            path.empty() ? nullptr : path.c_str(), "HTTP/1.1", nullptr, nullptr,
                                            INTERNET_FLAG_RELOAD, 0));
    if (!request || !HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0)) return reply;
    DWORD status = 0, size = sizeof status;
    reply.received = HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                                    &status, &size, nullptr) != FALSE;
    reply.status = status;
    std::unique_ptr<char[]> piece(new char[kReadPiece]);
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.Get(), piece.get(), kReadPiece, &got) || got == 0) break;
        reply.body.append(piece.get(), got);
    }
    return reply;
}
