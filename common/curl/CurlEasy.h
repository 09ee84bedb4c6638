// One libcurl easy handle, owned, with the library initialised once per
// process, and the transfer limits every download of the suite shares.
#pragma once

#include <curl/curl.h>

// Limits that keep a dead or stalled server from holding a transfer for
// ever. Process-wide; tests shorten them before starting any transfer.
struct TransferLimits {
    long connectTimeoutSeconds = 30;
    long lowSpeedBytesPerSecond = 1;   // below this rate ...
    long lowSpeedSeconds = 60;         // ... for this long, the transfer is abandoned
    long maxRedirects = 10;
    // libcurl's receive block (it allows up to 10 MiB). Under Wine every
    // socket call is a round trip to the Wine server; 4 MiB blocks make them
    // rare enough that the transfer keeps up with the command-line curl.
    long receiveBufferBytes = 4 * 1024 * 1024;
};
TransferLimits& CurlTransferLimits();

class CurlEasy {
public:
    CurlEasy();
    ~CurlEasy();
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    CURL* Get() const { return handle_; }

private:
    CURL* handle_ = nullptr;
};

// Extra request headers, owned (a curl_slist).
class CurlHeaders {
public:
    CurlHeaders() = default;
    ~CurlHeaders();
    CurlHeaders(const CurlHeaders&) = delete;
    CurlHeaders& operator=(const CurlHeaders&) = delete;

    void Append(const char* line);
    curl_slist* Get() const { return list_; }

private:
    curl_slist* list_ = nullptr;
};

// Follow redirects (limited), connect time-out, low-speed abort and a large
// receive buffer. The socket's own buffer is left to the system: a fixed
// SO_RCVBUF would switch off its automatic growth, measured three times
// slower under Wine.
void ApplyTransferLimits(CURL* handle);
