#include "PhoneServicePeer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <regex>

namespace testpeers {

PhoneServicePeer::PhoneServicePeer(Responder responder, unsigned short port) : responder_(std::move(responder)) {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(listener_, 8);
    int length = sizeof(address);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

PhoneServicePeer::~PhoneServicePeer() {
    stopping_ = true;
    ::closesocket(listener_);
    acceptor_.join();
    CloseClients();
    for (std::thread& thread : threads_) thread.join();
    ::WSACleanup();
}

void PhoneServicePeer::AcceptLoop() {
    for (;;) {
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET || stopping_) {
            if (client != INVALID_SOCKET) ::closesocket(client);
            return;
        }
        ++connections_;
        std::lock_guard<std::mutex> lock(mutex_);
        clients_.push_back(client);
        threads_.emplace_back([this, client] { Serve(client); });
    }
}

std::vector<std::string> PhoneServicePeer::SplitRequests(std::string& stream) {
    static const std::regex request(R"(^(queryData|getDir|backup_\d+(?!\d)|restore_\d+_.{19}_.{19}))");
    std::vector<std::string> requests;
    std::smatch match;
    while (std::regex_search(stream, match, request)) {
        requests.push_back(match.str(0));
        stream.erase(0, static_cast<size_t>(match.length(0)));
    }
    // What cannot become a request is recorded as it came.
    static const std::regex partial(R"(^(q(u(e(r(y(D(a(t)?)?)?)?)?)?)?|g(e(t(D(i(r)?)?)?)?)?|backup_\d*|restore_.{0,41})$)");
    if (!stream.empty() && !std::regex_match(stream, partial)) {
        requests.push_back(stream);
        stream.clear();
    }
    return requests;
}

void PhoneServicePeer::Serve(SOCKET client) {
    std::string stream;
    char buffer[4096];
    for (;;) {
        int n = ::recv(client, buffer, sizeof(buffer), 0);
        if (n <= 0) break;
        stream.append(buffer, static_cast<size_t>(n));
        for (const std::string& request : SplitRequests(stream)) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request);
            }
            for (const std::string& chunk : responder_(request)) {
                ::send(client, chunk.data(), static_cast<int>(chunk.size()), 0);
                ::Sleep(20);  // each chunk its own arrival
            }
        }
    }
    ++disconnections_;
    std::lock_guard<std::mutex> lock(mutex_);
    auto at = std::find(clients_.begin(), clients_.end(), client);
    if (at != clients_.end()) {
        clients_.erase(at);
        ::closesocket(client);
    }
}

std::vector<std::string> PhoneServicePeer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool PhoneServicePeer::WaitForRequests(size_t count, unsigned timeoutMs) const {
    for (unsigned waited = 0; waited < timeoutMs; waited += 10) {
        if (Requests().size() >= count) return true;
        ::Sleep(10);
    }
    return Requests().size() >= count;
}

bool PhoneServicePeer::SendRaw(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (clients_.empty()) return false;
    return ::send(clients_.back(), bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

void PhoneServicePeer::CloseClients() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (SOCKET client : clients_) ::shutdown(client, SD_BOTH);
}

}  // namespace testpeers
