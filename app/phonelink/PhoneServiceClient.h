// CClient: the main program's connection to the companion app's phone
// service (the PC's port 10086, forwarded by adb to the phone). It connects
// on a starter thread, reads replies on a receive thread and hands each
// reply to the notify window as WM_ANDROID_MSG, sent, so the window handles
// them one at a time on its own thread. Requests are plain texts with no
// framing; ones sent before the connection exists wait for it.
#pragma once
#include "phonelink/PhoneReplySplitter.h"

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A reply of the phone service: wParam the zero-terminated text (valid only
// during the call; a receiver that keeps it copies it), lParam 0.
#ifndef WM_ANDROID_MSG
#define WM_ANDROID_MSG (WM_USER + 360)
#endif

class CClient {
public:
    // What the client itself reports when the phone service cannot be reached.
    static const char kConnectFailText[];

    CClient();
    ~CClient();
    CClient(const CClient&) = delete;
    CClient& operator=(const CClient&) = delete;

    // Starts a link to host:port (an earlier link is stopped first) and
    // returns at once; the outcome arrives as a reply to notifyWindow.
    void Start(HWND notifyWindow, const wchar_t* host, int port);
    // Sends a request on the link, or keeps it until the link connects.
    // False when the text could not be handed to the connection.
    bool Send(const std::string& request);
    // Ends the link and its threads. Bounded: it handles the replies the
    // receive thread is sending to this thread meanwhile, so it cannot
    // deadlock with a receive thread waiting for the notify window.
    void Stop();

    // One connection attempt to host:port; the socket on success.
    static bool ConnetToServer(const wchar_t* host, int port, SOCKET& socket);
    // Sends each reply of `text` to the notify window (pieces cut at reply
    // boundaries; an incomplete last reply waits for the next receive).
    void DispatchReply(const std::string& text);

    bool IsConnected() const;
    // True when the started link has ended without Stop: its connection
    // failed, the phone closed it or a receive failed. Requests sent now
    // never reach the phone until the link is started again.
    bool LinkLost() const;
    const std::wstring& Host() const { return host_; }
    int Port() const { return port_; }

private:
    struct Link;  // one started link: its socket, stop flag and threads

    static void Run(const std::shared_ptr<Link>& link);

    HWND notifyWindow_ = nullptr;
    std::wstring host_ = L"127.0.0.1";
    int port_ = 12345;

    mutable std::mutex mutex_;  // guards link_ and queued_
    std::shared_ptr<Link> link_;
    std::vector<std::string> queued_;  // requests made before any link was started
};
