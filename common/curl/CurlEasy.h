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
    // libcurl's receive block for file bodies, its largest (10 MiB). Under
    // Wine every socket call is a round trip to the Wine server: the larger
    // each receive, the fewer of them. A fresh block this large costs a
    // request tens of milliseconds before its first byte under Wine, so
    // only file bodies get it (ApplyBulkReceive).
    long receiveBufferBytes = 10 * 1024 * 1024;
    // The socket's own receive buffer. Large enough that the sender keeps
    // filling it while the receiving thread waits for its turn (the system
    // may cap it lower); measured faster under Wine than leaving it to the
    // system's automatic growth, which stays near 1 MiB per receive.
    int socketReceiveBufferBytes = 4 * 1024 * 1024;
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

// Follow redirects (limited), connect time-out and low-speed abort.
void ApplyTransferLimits(CURL* handle);
// For a file body: a large receive block and socket receive buffer. Short
// replies (a header probe, a JSON answer) do without: they would only pay
// for the allocation.
void ApplyBulkReceive(CURL* handle);
