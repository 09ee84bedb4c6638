#include "curl/CurlEasy.h"

#include <winsock2.h>

#include <mutex>

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

namespace {

// A large kernel receive buffer lets each recv return big blocks, which
// matters under Wine where every socket call is a server round trip.
int WidenSocketBuffer(void*, curl_socket_t socket, curlsocktype) {
    int bytes = 4 * 1024 * 1024;
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
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, limits.receiveBufferBytes);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, WidenSocketBuffer);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
}
