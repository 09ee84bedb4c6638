#include "HttpGet.h"

#include <windows.h>
#include <wininet.h>

#include <memory>

namespace {

struct InternetHandleCloser {
    void operator()(void* handle) const { InternetCloseHandle(static_cast<HINTERNET>(handle)); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

constexpr DWORD kReadPiece = 64 * 1024;

}  // namespace

HttpReply HttpGet(const WebEndpoint& host, const std::string& path) {
    HttpReply reply;
    InternetHandle session(InternetOpenA("User-Agent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return reply;
    InternetHandle connection(InternetConnectA(static_cast<HINTERNET>(session.get()), host.host.c_str(), host.port,
                                               nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return reply;
    InternetHandle request(HttpOpenRequestA(static_cast<HINTERNET>(connection.get()), "GET",
                                            path.empty() ? nullptr : path.c_str(), "HTTP/1.1", nullptr, nullptr,
                                            INTERNET_FLAG_RELOAD, 0));
    if (!request || !HttpSendRequestW(static_cast<HINTERNET>(request.get()), nullptr, 0, nullptr, 0)) return reply;
    DWORD status = 0, size = sizeof status;
    reply.received = HttpQueryInfoW(static_cast<HINTERNET>(request.get()), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                                    &status, &size, nullptr) != FALSE;
    reply.status = status;
    std::unique_ptr<char[]> piece(new char[kReadPiece]);
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(static_cast<HINTERNET>(request.get()), piece.get(), kReadPiece, &got) || got == 0) break;
        reply.body.append(piece.get(), got);
    }
    return reply;
}
