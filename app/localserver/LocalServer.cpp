#include "LocalServer.h"

#include <mswsock.h>

#include <algorithm>
#include <cstring>

#include "messages/AppMessages.h"

enum class OpKind { Accept, Receive, Send };

struct LocalServer::Operation {
    OVERLAPPED overlapped = {};  // first: a completion's OVERLAPPED is the operation
    OpKind kind = OpKind::Accept;
    SOCKET socket = INVALID_SOCKET;  // an accept's new socket
    Connection* connection = nullptr;
    bool idle = true;  // an accept slot waiting to be (re-)posted
    char buffer[kBufferSize];
};

struct LocalServer::Connection {
    SOCKET socket = INVALID_SOCKET;
    Operation io;  // the one operation a connection has outstanding
    DWORD total = 0, done = 0;
    bool delivered = false;
    bool cancelled = false;
    std::atomic<DWORD> lastActive{0};
};

namespace {

// Key of completions that belong to the server; the exit packets carry 0.
constexpr ULONG_PTR kServerKey = 1;
constexpr DWORD kAddressSpace = sizeof(sockaddr_in) + 16;

}  // namespace

bool IdleLongerThan(DWORD now, DWORD lastActive, DWORD timeoutMs) {
    // Workers stamp their activity without the lock, so a stamp may be a
    // little newer than `now`: that connection is active, not idle for
    // nearly 50 days. Differences are taken modulo 2^32 across tick wraps.
    const DWORD idle = now - lastActive;
    return static_cast<LONG>(idle) > 0 && idle > timeoutMs;
}

LocalServer::LocalServer() = default;

LocalServer::~LocalServer() { Stop(); }

size_t LocalServer::ConnectionCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return connections_.size();
}

bool LocalServer::Start() {
    if (Running()) return true;
    stopping_ = false;
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    port_handle_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0);
    listener_ = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    bool ok = stopEvent_ && port_handle_ && listener_ != INVALID_SOCKET &&
              CreateIoCompletionPort(reinterpret_cast<HANDLE>(listener_), port_handle_, kServerKey, 0);
    if (ok) {
        // The loopback address only: a control port must not be reachable
        // from the network.
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port_);
        int length = sizeof address;
        ok = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             listen(listener_, SOMAXCONN) == 0 &&
             getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        port_ = ntohs(address.sin_port);
    }
    if (ok) {
        GUID guid = WSAID_ACCEPTEX;
        DWORD bytes = 0;
        ok = WSAIoctl(listener_, SIO_GET_EXTENSION_FUNCTION_POINTER, &guid, sizeof guid, &acceptEx_,
                      sizeof acceptEx_, &bytes, nullptr, nullptr) == 0 && acceptEx_;
    }
    if (ok) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const unsigned count = std::max<unsigned>(2, 2 * system.dwNumberOfProcessors);
        for (unsigned i = 0; i < count; ++i) workers_.emplace_back(&LocalServer::Worker, this);
        sweeper_ = std::thread(&LocalServer::Sweeper, this);
        std::lock_guard<std::mutex> hold(lock_);
        for (int i = 0; i < kPendingAccepts && ok; ++i) {
            accepts_.push_back(std::make_unique<Operation>());
            ok = PostAccept(accepts_.back().get());
        }
    }
    if (!ok) Stop();
    return ok;
}

// Under the lock.
bool LocalServer::PostAccept(Operation* accept) {
    if (stopping_) return false;
    accept->kind = OpKind::Accept;
    accept->socket = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (accept->socket == INVALID_SOCKET) return false;
    std::memset(&accept->overlapped, 0, sizeof accept->overlapped);
    // No data is waited for with the accept: a client that connects and says
    // nothing then holds a connection, not one of the accept slots.
    DWORD bytes = 0;
    ++outstanding_;
    accept->idle = false;
    if (reinterpret_cast<LPFN_ACCEPTEX>(acceptEx_)(listener_, accept->socket, accept->buffer, 0, kAddressSpace,
                                                   kAddressSpace, &bytes, &accept->overlapped) ||
        WSAGetLastError() == WSA_IO_PENDING)
        return true;
    --outstanding_;
    accept->idle = true;
    closesocket(accept->socket);
    accept->socket = INVALID_SOCKET;
    return false;
}

// Under the lock.
bool LocalServer::PostReceive(Connection* connection) {
    if (connection->cancelled) return false;
    Operation& io = connection->io;
    std::memset(&io.overlapped, 0, sizeof io.overlapped);
    io.kind = OpKind::Receive;
    // The first data is read at most 8128 bytes at a time, so a delivery
    // never carries more; later reads use the whole buffer.
    WSABUF buffer = {connection->delivered ? kBufferSize : kFirstDataMax, io.buffer};
    DWORD flags = 0;
    ++outstanding_;
    if (WSARecv(connection->socket, &buffer, 1, nullptr, &flags, &io.overlapped, nullptr) == 0 ||
        WSAGetLastError() == WSA_IO_PENDING)
        return true;
    --outstanding_;
    return false;
}

// Under the lock.
bool LocalServer::PostSend(Connection* connection) {
    if (connection->cancelled) return false;
    Operation& io = connection->io;
    std::memset(&io.overlapped, 0, sizeof io.overlapped);
    io.kind = OpKind::Send;
    WSABUF buffer = {connection->total - connection->done, io.buffer + connection->done};
    ++outstanding_;
    if (WSASend(connection->socket, &buffer, 1, nullptr, 0, &io.overlapped, nullptr) == 0 ||
        WSAGetLastError() == WSA_IO_PENDING)
        return true;
    --outstanding_;
    return false;
}

void LocalServer::Worker() {
    for (;;) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = GetQueuedCompletionStatus(port_handle_, &bytes, &key, &overlapped, INFINITE);
        if (key == 0 && !overlapped) return;  // the stop's exit packet
        if (!overlapped) continue;
        auto* op = reinterpret_cast<Operation*>(overlapped);
        if (op->kind == OpKind::Accept) {
            if (ok) {
                OnAccepted(op);
            } else {
                std::lock_guard<std::mutex> hold(lock_);
                if (op->socket != INVALID_SOCKET) closesocket(op->socket);
                op->socket = INVALID_SOCKET;
            }
            // The slot is posted again whatever became of this accept, so
            // failed or silent clients never use the slots up; a slot that
            // cannot be posted now is retried by the sweeper.
            std::lock_guard<std::mutex> hold(lock_);
            op->idle = true;
            PostAccept(op);
            --outstanding_;
            continue;
        }
        Connection* connection = op->connection;
        if (!ok || bytes == 0 || stopping_) Remove(connection);
        else if (op->kind == OpKind::Receive) OnReceived(connection, bytes);
        else OnSent(connection, bytes);
        --outstanding_;
    }
}

void LocalServer::OnAccepted(Operation* accept) {
    SOCKET socket;
    {
        std::lock_guard<std::mutex> hold(lock_);
        socket = accept->socket;
        accept->socket = INVALID_SOCKET;
    }
    if (socket == INVALID_SOCKET) return;  // closed by the stop
    setsockopt(socket, SOL_SOCKET, SO_UPDATE_ACCEPT_CONTEXT, reinterpret_cast<const char*>(&listener_),
               sizeof listener_);
    auto connection = std::make_unique<Connection>();
    connection->socket = socket;
    connection->io.connection = connection.get();
    connection->lastActive = GetTickCount();
    std::lock_guard<std::mutex> hold(lock_);
    if (stopping_ || !CreateIoCompletionPort(reinterpret_cast<HANDLE>(socket), port_handle_, kServerKey, 0)) {
        closesocket(socket);
        return;
    }
    Connection* raw = connection.get();
    connections_.push_back(std::move(connection));
    if (!PostReceive(raw)) {
        closesocket(raw->socket);
        connections_.remove_if([raw](const std::unique_ptr<Connection>& c) { return c.get() == raw; });
    }
}

void LocalServer::OnReceived(Connection* connection, DWORD bytes) {
    connection->lastActive = GetTickCount();
    if (!connection->delivered) {
        connection->delivered = true;
        // Outside the lock: the frame answers on its own thread.
        Deliver(connection->io.buffer, bytes);
    }
    bool posted;
    {
        std::lock_guard<std::mutex> hold(lock_);
        connection->total = bytes;
        connection->done = 0;
        posted = PostSend(connection);
    }
    if (!posted) Remove(connection);
}

void LocalServer::OnSent(Connection* connection, DWORD bytes) {
    connection->lastActive = GetTickCount();
    bool posted;
    {
        std::lock_guard<std::mutex> hold(lock_);
        connection->done += bytes;
        posted = connection->done < connection->total ? PostSend(connection) : PostReceive(connection);
    }
    if (!posted) Remove(connection);
}

void LocalServer::Remove(Connection* connection) {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = std::find_if(connections_.begin(), connections_.end(),
                           [connection](const std::unique_ptr<Connection>& c) { return c.get() == connection; });
    if (it == connections_.end()) return;
    closesocket(connection->socket);
    connections_.erase(it);
}

void LocalServer::Deliver(const char* data, size_t length) {
    const HWND target = target_.load();
    if (!target || stopping_) return;
    LocalServerDelivery delivery{data, length};
    DWORD_PTR result = 0;
    // Timed, so a window that stopped answering cannot hold the workers.
    SendMessageTimeoutW(target, appmsg::kLocalServerData, 0, reinterpret_cast<LPARAM>(&delivery),
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, 10000, &result);
}

// Ends connections that have been silent for longer than the idle time-out.
void LocalServer::Sweeper() {
    while (WaitForSingleObject(stopEvent_, 1000) == WAIT_TIMEOUT) {
        std::lock_guard<std::mutex> hold(lock_);
        for (auto& accept : accepts_)
            if (accept->idle) PostAccept(accept.get());
        const DWORD now = GetTickCount();
        for (auto& connection : connections_) {
            if (!connection->cancelled && IdleLongerThan(now, connection->lastActive, idleTimeoutMs_)) {
                connection->cancelled = true;
                CancelIoEx(reinterpret_cast<HANDLE>(connection->socket), nullptr);
            }
        }
    }
}

void LocalServer::Stop() {
    if (!stopEvent_ && !port_handle_ && listener_ == INVALID_SOCKET) return;
    stopping_ = true;
    target_ = nullptr;
    if (stopEvent_) SetEvent(stopEvent_);
    {
        // Closing the sockets completes every pending operation with an error.
        std::lock_guard<std::mutex> hold(lock_);
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        for (auto& accept : accepts_)
            if (accept->socket != INVALID_SOCKET) closesocket(accept->socket), accept->socket = INVALID_SOCKET;
        for (auto& connection : connections_) {
            connection->cancelled = true;
            closesocket(connection->socket);
            connection->socket = INVALID_SOCKET;
        }
    }
    // Wait until the system has handed back every operation (their records
    // must outlive them), answering sent messages meanwhile.
    const DWORD start = GetTickCount();
    while (outstanding_ > 0 && !workers_.empty() && GetTickCount() - start < 10000) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        Sleep(5);
    }
    for (size_t i = 0; i < workers_.size(); ++i) PostQueuedCompletionStatus(port_handle_, 0, 0, nullptr);
    for (auto& worker : workers_) worker.join();
    workers_.clear();
    if (sweeper_.joinable()) sweeper_.join();
    ReleaseAll();
}

void LocalServer::ReleaseAll() {
    std::lock_guard<std::mutex> hold(lock_);
    connections_.clear();
    accepts_.clear();
    listener_ = INVALID_SOCKET;
    acceptEx_ = nullptr;
    if (port_handle_) CloseHandle(port_handle_);
    port_handle_ = nullptr;
    if (stopEvent_) CloseHandle(stopEvent_);
    stopEvent_ = nullptr;
    outstanding_ = 0;
}
