#include "tools/HttpGetToString.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr char kDefaultApiHost[] = "api.torvanik.com";
constexpr unsigned short kDefaultApiPort = INTERNET_DEFAULT_HTTP_PORT;
constexpr DWORD kReadPiece = 4095;  // each piece is NUL-terminated in a 4096-byte buffer

struct InternetHandleCloser {
    void operator()(void* handle) const { InternetCloseHandle(static_cast<HINTERNET>(handle)); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

}  // namespace

ApiEndpoint ApiEndpointFromSettings() {
    ApiEndpoint endpoint{kDefaultApiHost, kDefaultApiPort};
    char value[256] = {};
    DWORD length = GetEnvironmentVariableA("TORVANIK_API_HOST", value, sizeof value);
    if (length == 0 || length >= sizeof value) return endpoint;
    std::string setting(value, length);
    const size_t colon = setting.rfind(':');
    if (colon != std::string::npos) {
        const long port = std::strtol(setting.c_str() + colon + 1, nullptr, 10);
        if (port > 0 && port <= 65535) endpoint.port = static_cast<unsigned short>(port);
        setting.resize(colon);
    }
    if (!setting.empty()) endpoint.host = setting;
    return endpoint;
}

std::string HttpGetToString(const char* path) {
    const ApiEndpoint endpoint = ApiEndpointFromSettings();
    InternetHandle session(InternetOpenA("User-Agent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return {};
    InternetHandle connection(InternetConnectA(static_cast<HINTERNET>(session.get()), endpoint.host.c_str(),
                                               endpoint.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return {};
    InternetHandle request(HttpOpenRequestA(static_cast<HINTERNET>(connection.get()), "GET", path, "HTTP/1.1",
                                            nullptr, nullptr, INTERNET_FLAG_RELOAD, 0));
    if (!request) return {};
    if (!HttpSendRequestW(static_cast<HINTERNET>(request.get()), nullptr, 0, nullptr, 0)) return {};

    std::string reply;
    char piece[kReadPiece + 1];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(static_cast<HINTERNET>(request.get()), piece, kReadPiece, &got) || got == 0) break;
        piece[got] = '\0';
        reply += piece;  // text: a NUL ends this piece
    }
    return reply;
}
