// The local download-request server: a TCP server on the loopback address
// (port 12345) over one I/O completion port. Every byte a client sends comes
// straight back (an echo); the first data of each connection is also handed
// to the target window as WM_LOCAL_SERVER_DATA, which the frame reads as a
// package description. Only programs on this machine can reach it.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// lParam of WM_LOCAL_SERVER_DATA: the first bytes of a connection, valid
// only while the message is handled.
struct LocalServerDelivery {
    const char* data;
    size_t length;
};

// True when a connection last active at tick `lastActive` has been silent
// for longer than `timeoutMs` at tick `now`; a stamp newer than `now` is not.
bool IdleLongerThan(DWORD now, DWORD lastActive, DWORD timeoutMs);

class LocalServer {
public:
    static constexpr unsigned short kDefaultPort = 12345;
    static constexpr int kPendingAccepts = 10;
    static constexpr DWORD kBufferSize = 8192;
    static constexpr DWORD kFirstDataMax = 8128;  // the most a delivery carries

    LocalServer();
    ~LocalServer();  // stops
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    // The window that receives the deliveries; set before the start.
    void SetTargetWindow(HWND window) { target_ = window; }
    // For tests and the benchmark: another port (0 lets the system pick) and
    // a shorter idle time-out. Before the start.
    void SetPort(unsigned short port) { port_ = port; }
    void SetIdleTimeout(DWORD milliseconds) { idleTimeoutMs_ = milliseconds; }

    // Listens on 127.0.0.1 with the accepts posted; false (and everything
    // released) when any step fails. Winsock must be started.
    bool Start();
    // Ends the workers and closes every connection; safe to call again. The
    // calling thread keeps answering sent messages while it waits, so a
    // worker delivering to this thread's window cannot dead-lock the stop.
    void Stop();

    bool Running() const { return listener_ != INVALID_SOCKET; }
    unsigned short Port() const { return port_; }
    size_t ConnectionCount() const;

private:
    struct Operation;
    struct Connection;

    void Worker();
    void Sweeper();
    bool PostAccept(Operation* accept);
    bool PostReceive(Connection* connection);
    bool PostSend(Connection* connection);
    void OnAccepted(Operation* accept);
    void OnReceived(Connection* connection, DWORD bytes);
    void OnSent(Connection* connection, DWORD bytes);
    void Remove(Connection* connection);
    void Deliver(const char* data, size_t length);
    void ReleaseAll();

    std::atomic<HWND> target_{nullptr};
    unsigned short port_ = kDefaultPort;
    DWORD idleTimeoutMs_ = 120000;
    HANDLE port_handle_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    SOCKET listener_ = INVALID_SOCKET;
    void* acceptEx_ = nullptr;
    std::vector<std::thread> workers_;
    std::thread sweeper_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> outstanding_{0};  // operations the system may still complete
    mutable std::mutex lock_;          // guards the lists and every connection's socket
    std::vector<std::unique_ptr<Operation>> accepts_;
    std::list<std::unique_ptr<Connection>> connections_;
};
