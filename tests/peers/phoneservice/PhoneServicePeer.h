// A stand-in for the companion app's phone service: a TCP server on
// 127.0.0.1 that reads the main program's unframed requests ("queryData",
// "getDir", "backup_<mask>", "restore_<mask>_<stamp>_<stamp>"), records
// them and answers each with what the test's responder returns, every
// returned chunk in a send of its own.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testpeers {

class PhoneServicePeer {
public:
    // The chunks to send for one request, in order; none: no answer.
    using Responder = std::function<std::vector<std::string>(const std::string& request)>;

    explicit PhoneServicePeer(Responder responder, unsigned short port = 0);
    ~PhoneServicePeer();
    PhoneServicePeer(const PhoneServicePeer&) = delete;
    PhoneServicePeer& operator=(const PhoneServicePeer&) = delete;

    unsigned short Port() const { return port_; }
    std::vector<std::string> Requests() const;
    bool WaitForRequests(size_t count, unsigned timeoutMs = 5000) const;
    int Connections() const { return connections_.load(); }
    // How many client connections the peer saw end.
    int Disconnections() const { return disconnections_.load(); }
    // Sends raw bytes on the newest connection, outside any request.
    bool SendRaw(const std::string& bytes);
    // Closes every client connection (the phone app going away).
    void CloseClients();

    // Cuts an unframed stream into the requests it holds; what is left
    // (a request not complete yet) stays in `stream`.
    static std::vector<std::string> SplitRequests(std::string& stream);

private:
    void AcceptLoop();
    void Serve(SOCKET client);

    Responder responder_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::atomic<int> disconnections_{0};
    mutable std::mutex mutex_;  // guards requests_, clients_
    std::vector<std::string> requests_;
    std::vector<SOCKET> clients_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

}  // namespace testpeers
