#include "phonelink/PhoneServiceClient.h"

#include "log/Log.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

#include <ws2tcpip.h>

#include <atomic>
#include <utility>

const char CClient::kConnectFailText[] = "Connect_Android_Server___Fail";

namespace {

// One receive reads at most this much; a longer reply arrives in pieces.
constexpr int kReceiveBuffer = 8196;
// How long Stop waits for the link's thread before leaving it to end on its own.
constexpr DWORD kStopWaitMs = 5000;
// The pause between requests that waited for the connection.
constexpr DWORD kQueuedRequestGapMs = 200;

bool SendAll(SOCKET socket, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        int n = ::send(socket, text.data() + sent, static_cast<int>(text.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

// Everything the link's thread uses lives here, shared with the thread, so a
// thread that outlives a bounded Stop never touches a destroyed client.
struct CClient::Link {
    HWND notifyWindow = nullptr;
    std::wstring host;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::atomic<bool> ended{false};  // the link ended on its own
    std::mutex mutex;  // guards socket and queued
    SOCKET socket = INVALID_SOCKET;
    std::vector<std::string> queued;
    ScopedHandle finished{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread;

    void Deliver(const std::string& reply) {
        if (stopping || reply.empty()) return;
        ::SendMessageW(notifyWindow, WM_ANDROID_MSG, reinterpret_cast<WPARAM>(reply.c_str()), 0);
    }

    bool Send(const std::string& request) {
        std::lock_guard<std::mutex> lock(mutex);
        if (socket == INVALID_SOCKET) {
            queued.push_back(request);
            return true;
        }
        return SendAll(socket, request);
    }
};

CClient::CClient() = default;

CClient::~CClient() { Stop(); }

bool CClient::ConnetToServer(const wchar_t* host, int port, SOCKET& socket) {
    CLog::AgentLog(L"CClient::ConnetToServer");
    socket = INVALID_SOCKET;
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    std::string service = std::to_string(port);
    if (::getaddrinfo(WideToAnsi(host).c_str(), service.c_str(), &hints, &found) != 0 || !found) return false;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    bool connected = s != INVALID_SOCKET &&
                     ::connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0;
    ::freeaddrinfo(found);
    if (!connected) {
        if (s != INVALID_SOCKET) ::closesocket(s);
        return false;
    }
    socket = s;
    return true;
}

void CClient::Start(HWND notifyWindow, const wchar_t* host, int port) {
    Stop();
    notifyWindow_ = notifyWindow;
    host_ = host ? host : L"127.0.0.1";
    port_ = port;
    auto link = std::make_shared<Link>();
    link->notifyWindow = notifyWindow_;
    link->host = host_;
    link->port = port_;
    std::lock_guard<std::mutex> lock(mutex_);
    link->queued.swap(queued_);
    link->thread = std::thread([link] { Run(link); });
    link_ = link;
}

// Connects, sends what waited for the connection, then hands each reply to
// the notify window until the phone closes the link, a receive fails or Stop.
void CClient::Run(const std::shared_ptr<Link>& link) {
    SOCKET socket = INVALID_SOCKET;
    if (!ConnetToServer(link->host.c_str(), link->port, socket)) {
        link->ended = !link->stopping;
        link->Deliver(kConnectFailText);
        ::SetEvent(link->finished.Get());
        return;
    }
    {
        std::lock_guard<std::mutex> lock(link->mutex);
        link->socket = socket;
        // The service reads one request per receive: queued ones go apart.
        for (size_t i = 0; i < link->queued.size(); ++i) {
            if (i > 0) ::Sleep(kQueuedRequestGapMs);
            SendAll(socket, link->queued[i]);
        }
        link->queued.clear();
    }
    PhoneReplySplitter splitter;
    std::string buffer(kReceiveBuffer, '\0');
    while (!link->stopping) {
        int n = ::recv(socket, &buffer[0], kReceiveBuffer, 0);
        if (n <= 0) break;  // 0: the phone closed the link
        for (const std::string& reply : splitter.Feed(buffer.substr(0, static_cast<size_t>(n)))) link->Deliver(reply);
    }
    for (const std::string& reply : splitter.Flush()) link->Deliver(reply);
    {
        std::lock_guard<std::mutex> lock(link->mutex);
        link->socket = INVALID_SOCKET;
    }
    link->ended = !link->stopping;
    ::closesocket(socket);
    ::SetEvent(link->finished.Get());
}

void CClient::DispatchReply(const std::string& text) {
    std::shared_ptr<Link> link;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        link = link_;
    }
    if (!link) return;
    PhoneReplySplitter splitter;
    auto replies = splitter.Feed(text);
    for (const std::string& reply : splitter.Flush()) replies.push_back(reply);
    for (const std::string& reply : replies) link->Deliver(reply);
}

bool CClient::Send(const std::string& request) {
    std::shared_ptr<Link> link;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!link_) {
            queued_.push_back(request);
            return true;
        }
        link = link_;
    }
    return link->Send(request);
}

bool CClient::IsConnected() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!link_) return false;
    std::lock_guard<std::mutex> linkLock(link_->mutex);
    return link_->socket != INVALID_SOCKET;
}

bool CClient::LinkLost() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return link_ && link_->ended;
}

void CClient::Stop() {
    std::shared_ptr<Link> link;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        link.swap(link_);
    }
    if (!link) return;
    link->stopping = true;
    {
        std::lock_guard<std::mutex> lock(link->mutex);
        // Ends a blocked receive; the thread closes the socket itself.
        if (link->socket != INVALID_SOCKET) ::shutdown(link->socket, SD_BOTH);
    }
    // The thread may be waiting for this very thread to handle a reply it
    // sent: handle sent messages while waiting.
    HANDLE finished = link->finished.Get();
    DWORD deadline = ::GetTickCount() + kStopWaitMs;
    for (;;) {
        DWORD now = ::GetTickCount();
        DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
        DWORD woke = ::MsgWaitForMultipleObjects(1, &finished, FALSE, left, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0 + 1) {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        break;
    }
    if (::WaitForSingleObject(finished, 0) == WAIT_OBJECT_0) link->thread.join();
    else link->thread.detach();  // still connecting; it ends on its own and only touches the link
}
