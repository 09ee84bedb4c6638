// A stand-in for the maker's web service: a small HTTP server on 127.0.0.1
// that answers the API paths ("index.php?c=...&a=...", "api/...") from a
// table the test fills, serves files, records every request and misbehaves
// on demand. It runs on its own threads inside the test program and listens
// on a port the system picks at start.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace testpeers {

class WebServicePeer {
public:
    enum class Misbehaviour {
        None,
        CutBody,            // promise the whole body, send half of it, reset the connection
        CloseWithoutReply,  // read the request, then close without a byte
        Silent,             // read the request, then send nothing while the client waits
    };

    struct Reply {
        int status = 200;
        std::string body;
        std::string contentType = "application/json; charset=utf-8";
        Misbehaviour misbehaviour = Misbehaviour::None;
        std::wstring file;  // when set, the body is this file's content
        bool sendLength = true;  // false: no Content-Length, the close ends the body
        // What real download servers do, on demand:
        std::string location;              // sent as Location (with a 3xx status)
        bool honourRanges = true;          // false: Range is ignored, the whole body comes with 200
        long long dropAfterBytes = -1;     // send this many body bytes, then reset the connection ...
        int dropTimes = 1;                 // ... for this many GETs of the path, then serve normally
        long long lieExtraLength = 0;      // Content-Length claims this many bytes more than are sent
        unsigned stallAfterHeadersMs = 0;  // send the head, then nothing for this long (or until the client goes)
        unsigned pausePerBlockMs = 0;      // pause after every 256 KiB block of the body (a slow line)
        // Validators, sent with 200 and 206 when set. A request whose If-Range
        // names neither gets the whole body (200), as RFC 9110 has it.
        std::string etag;
        std::string lastModified;
        bool honourIfRange = true;         // false: If-Range is ignored (the range is served anyway)
    };

    struct Request {
        std::string method;
        std::string path;  // the request target without its leading "/"
        std::map<std::string, std::string> headers;  // names in lower case
    };

    // Listening once constructed, on `port` or (0) on one the system picks.
    explicit WebServicePeer(unsigned short port = 0);
    ~WebServicePeer();
    WebServicePeer(const WebServicePeer&) = delete;
    WebServicePeer& operator=(const WebServicePeer&) = delete;

    unsigned short Port() const { return port_; }
    // "127.0.0.1:<port>", the form the suite's API host setting takes.
    std::string HostAndPort() const;

    // Paths are matched exactly, written as the maker's API writes them
    // ("index.php?c=feedback&a=getTypeList&id=7", "api/getApp/"); a
    // leading "/" is ignored. Unknown paths get 404.
    void SetReply(const std::string& path, const Reply& reply);
    void SetJson(const std::string& path, const std::string& json);
    void SetHtml(const std::string& path, const std::string& html);  // UTF-8
    void ServeFile(const std::string& path, const std::wstring& file);

    std::vector<Request> Requests() const;
    // Also appends "<method> <path>" lines for each request to this file.
    void SetRequestLog(const std::wstring& file);
    // Most GET bodies that were being sent at the same time.
    int MaxConcurrentBodies() const { return maxBodies_.load(); }

private:
    void AcceptLoop();
    void Serve(SOCKET client);
    Reply Lookup(const std::string& path) const;
    void Answer(SOCKET client, const Request& request, const Reply& reply, bool& abortive);
    bool StallWhileConnected(SOCKET client, unsigned milliseconds) const;

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;  // guards everything below
    std::map<std::string, Reply> replies_;
    std::map<std::string, int> getsServed_;
    std::atomic<int> bodies_{0};
    std::atomic<int> maxBodies_{0};
    std::vector<Request> requests_;
    std::wstring requestLog_;
    std::set<SOCKET> clients_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace testpeers
