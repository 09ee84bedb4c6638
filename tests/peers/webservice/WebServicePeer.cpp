#include "WebServicePeer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <fstream>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace testpeers {

namespace {

constexpr size_t kMaxRequestHead = 64 * 1024;

std::string StripSlash(const std::string& path) { return !path.empty() && path[0] == '/' ? path.substr(1) : path; }

bool SendAll(SOCKET s, const char* data, size_t length) {
    while (length > 0) {
        int sent = send(s, data, static_cast<int>(std::min<size_t>(length, 1 << 20)), 0);
        if (sent <= 0) return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

const char* ReasonOf(int status) {
    switch (status) {
        case 200: return "OK";
        case 206: return "Partial Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 416: return "Range Not Satisfiable";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default: return "Status";
    }
}

// Reads up to the blank line that ends the request head; "" when the client
// went away or sent something too long.
std::string ReadRequestHead(SOCKET s) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > kMaxRequestHead) return {};
        int got = recv(s, buffer, sizeof buffer, 0);
        if (got <= 0) return {};
        head.append(buffer, static_cast<size_t>(got));
    }
    return head;
}

WebServicePeer::Request ParseRequest(const std::string& head) {
    WebServicePeer::Request request;
    size_t lineEnd = head.find("\r\n");
    const std::string first = head.substr(0, lineEnd);
    const size_t space1 = first.find(' ');
    const size_t space2 = first.find(' ', space1 + 1);
    request.method = first.substr(0, space1);
    if (space1 != std::string::npos) request.path = StripSlash(first.substr(space1 + 1, space2 - space1 - 1));
    while (lineEnd != std::string::npos) {
        const size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string line = head.substr(start, lineEnd - start);
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        size_t valueStart = line.find_first_not_of(' ', colon + 1);
        request.headers[name] = valueStart == std::string::npos ? "" : line.substr(valueStart);
    }
    return request;
}

}  // namespace

WebServicePeer::WebServicePeer(unsigned short port) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup");
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    int length = sizeof address;
    if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, SOMAXCONN) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("web service peer cannot listen");
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

WebServicePeer::~WebServicePeer() {
    stopping_ = true;
    closesocket(listener_);
    acceptor_.join();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (SOCKET s : clients_) shutdown(s, SD_BOTH);
    }
    for (std::thread& worker : workers_) worker.join();
    WSACleanup();
}

std::string WebServicePeer::HostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }

void WebServicePeer::SetReply(const std::string& path, const Reply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[StripSlash(path)] = reply;
}

void WebServicePeer::SetJson(const std::string& path, const std::string& json) {
    Reply reply;
    reply.body = json;
    SetReply(path, reply);
}

void WebServicePeer::SetHtml(const std::string& path, const std::string& html) {
    Reply reply;
    reply.body = html;
    reply.contentType = "text/html; charset=utf-8";
    SetReply(path, reply);
}

void WebServicePeer::ServeFile(const std::string& path, const std::wstring& file) {
    Reply reply;
    reply.contentType = "application/octet-stream";
    reply.file = file;
    SetReply(path, reply);
}

void WebServicePeer::SetRequestLog(const std::wstring& file) {
    std::lock_guard<std::mutex> lock(mutex_);
    requestLog_ = file;
}

std::vector<WebServicePeer::Request> WebServicePeer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

WebServicePeer::Reply WebServicePeer::Lookup(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = replies_.find(path);
    if (it != replies_.end()) return it->second;
    Reply missing;
    missing.status = 404;
    missing.contentType = "text/plain";
    missing.body = "not found";
    return missing;
}

void WebServicePeer::AcceptLoop() {
    for (;;) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            if (stopping_) return;
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        clients_.insert(client);
        workers_.emplace_back([this, client] { Serve(client); });
    }
}

void WebServicePeer::Serve(SOCKET client) {
    DWORD timeoutMs = 10000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
    const std::string head = ReadRequestHead(client);
    bool abortive = false;
    if (!head.empty()) {
        Request request = ParseRequest(head);
        Reply reply = Lookup(request.path);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
            if (!requestLog_.empty()) {
                std::ofstream log(std::filesystem::path(requestLog_), std::ios::app | std::ios::binary);
                log << request.method << ' ' << request.path << '\n';
            }
            if (request.method == "GET" && reply.dropAfterBytes >= 0 && getsServed_[request.path]++ >= reply.dropTimes)
                reply.dropAfterBytes = -1;
        }
        if (reply.misbehaviour == Misbehaviour::Silent) {
            StallWhileConnected(client, 120000);
        } else if (reply.misbehaviour != Misbehaviour::CloseWithoutReply) {
            Answer(client, request, reply, abortive);
        }
    }
    if (abortive) {
        linger hard = {1, 0};  // close with a reset, as a dropped connection looks
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    } else {
        shutdown(client, SD_SEND);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        clients_.erase(client);
    }
    closesocket(client);
}

bool WebServicePeer::StallWhileConnected(SOCKET client, unsigned milliseconds) const {
    const ULONGLONG until = GetTickCount64() + milliseconds;
    while (!stopping_ && GetTickCount64() < until) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(client, &readable);
        timeval wait = {0, 50 * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) > 0) {
            char probe;
            if (recv(client, &probe, 1, MSG_PEEK) <= 0) return false;  // the client went away
        }
    }
    return !stopping_;
}

void WebServicePeer::Answer(SOCKET client, const Request& request, const Reply& reply, bool& abortive) {
    // The body comes from memory or is read from the file block by block, so
    // large files and byte ranges cost no more memory than one block.
    std::ifstream in;
    long long size = static_cast<long long>(reply.body.size());
    if (!reply.file.empty()) {
        in.open(std::filesystem::path(reply.file), std::ios::binary);
        std::error_code error;
        size = static_cast<long long>(std::filesystem::file_size(std::filesystem::path(reply.file), error));
        if (error) size = 0;
    }
    int status = reply.status;
    long long first = 0;
    long long count = size;
    std::string extra;
    if (!reply.location.empty()) extra += "\r\nLocation: " + reply.location;
    auto range = request.headers.find("range");
    if (!reply.etag.empty()) extra += "\r\nETag: " + reply.etag;
    if (!reply.lastModified.empty()) extra += "\r\nLast-Modified: " + reply.lastModified;
    const auto ifRange = request.headers.find("if-range");
    const bool sameFile = ifRange == request.headers.end() || !reply.honourIfRange ||
                          (!reply.etag.empty() && ifRange->second == reply.etag) ||
                          (!reply.lastModified.empty() && ifRange->second == reply.lastModified);
    if (!sameFile) range = request.headers.end();
    if (status == 200 && reply.honourRanges) {
        extra += "\r\nAccept-Ranges: bytes";
        if (range != request.headers.end() && range->second.rfind("bytes=", 0) == 0) {
            const long long start = std::strtoll(range->second.c_str() + 6, nullptr, 10);
            const size_t dash = range->second.find('-');
            long long last = size - 1;
            if (dash != std::string::npos && dash + 1 < range->second.size())
                last = std::min(last, std::strtoll(range->second.c_str() + dash + 1, nullptr, 10));
            if (start >= size) {
                status = 416;
                count = 0;
                extra += "\r\nContent-Range: bytes */" + std::to_string(size);
            } else {
                status = 206;
                first = start;
                count = last - start + 1;
                extra += "\r\nContent-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                         std::to_string(size);
            }
        }
    }
    const std::string header = "HTTP/1.1 " + std::to_string(status) + " " + ReasonOf(status) +
                               "\r\nContent-Type: " + reply.contentType +
                               (reply.sendLength ? "\r\nContent-Length: " + std::to_string(count + (status == 416 ? 0 : reply.lieExtraLength)) : "") + extra +
                               "\r\nConnection: close\r\n\r\n";
    if (!SendAll(client, header.data(), header.size()) || request.method == "HEAD") return;

    long long toSend = reply.misbehaviour == Misbehaviour::CutBody ? count / 2 : count;
    if (reply.dropAfterBytes >= 0 && reply.dropAfterBytes < toSend) toSend = reply.dropAfterBytes;
    // A drop or a short body ends with an orderly close, so the client keeps
    // every byte sent; CutBody resets the connection as before.
    abortive = reply.misbehaviour == Misbehaviour::CutBody;

    const int active = ++bodies_;
    for (int seen = maxBodies_.load(); active > seen && !maxBodies_.compare_exchange_weak(seen, active);) {
    }
    if (reply.stallAfterHeadersMs > 0 && !StallWhileConnected(client, reply.stallAfterHeadersMs)) {
        --bodies_;
        return;
    }
    constexpr size_t kBlock = 256 * 1024;
    std::vector<char> block(reply.file.empty() ? 0 : kBlock);
    if (!reply.file.empty()) in.seekg(first);
    long long sent = 0;
    while (sent < toSend && !stopping_) {
        const size_t take = static_cast<size_t>(std::min<long long>(kBlock, toSend - sent));
        const char* data = nullptr;
        if (reply.file.empty()) {
            data = reply.body.data() + first + sent;
        } else {
            in.read(block.data(), static_cast<std::streamsize>(take));
            if (in.gcount() != static_cast<std::streamsize>(take)) break;
            data = block.data();
        }
        if (!SendAll(client, data, take)) break;
        sent += static_cast<long long>(take);
        if (reply.pausePerBlockMs > 0) Sleep(reply.pausePerBlockMs);
    }
    --bodies_;
}

}  // namespace testpeers
