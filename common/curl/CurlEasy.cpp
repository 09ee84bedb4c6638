#include "curl/CurlEasy.h"

#include <mutex>

#include <winsock2.h>

TransferLimits& CurlTransferLimits() {
    static TransferLimits limits;
    return limits;
}

CurlEasy::CurlEasy() {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_ALL); });
    handle_ = curl_easy_init();
}

CurlEasy::~CurlEasy() {
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
}

CurlHeaders::~CurlHeaders() {
    if (list_ != nullptr) curl_slist_free_all(list_);
}

void CurlHeaders::Append(const char* line) {
    if (curl_slist* grown = curl_slist_append(list_, line)) list_ = grown;
}

namespace {

int SizeReceiveBuffer(void*, curl_socket_t socket, curlsocktype purpose) {
    if (purpose != CURLSOCKTYPE_IPCXN) return CURL_SOCKOPT_OK;
    const int bytes = CurlTransferLimits().socketReceiveBufferBytes;
    // A refused size leaves the system's own: the transfer goes on.
    setsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
    return CURL_SOCKOPT_OK;
}

}  // namespace

void ApplyTransferLimits(CURL* handle) {
    const TransferLimits& limits = CurlTransferLimits();
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
}

void ApplyBulkReceive(CURL* handle) {
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, CurlTransferLimits().receiveBufferBytes);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, SizeReceiveBuffer);
}
