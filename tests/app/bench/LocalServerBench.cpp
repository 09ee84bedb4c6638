// Load on the local download-request server: clients on loopback that each
// connect, send one package request, read the echo and close, many at a
// time, while idle connections stay open. Prints the request rate, the worst
// latency and whether every request was echoed and delivered.
//   local_server_bench [requests] [concurrent clients] [idle connections]
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "localserver/LocalServer.h"
#include "messages/AppMessages.h"

namespace {

std::atomic<int> g_delivered{0};

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == appmsg::kLocalServerData) {
        ++g_delivered;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Why requests failed, by step and error code, for the report.
std::mutex g_failuresLock;
std::map<std::string, int> g_failures;

void Failed(const char* step, int error) {
    std::lock_guard<std::mutex> hold(g_failuresLock);
    ++g_failures[std::string(step) + " " + std::to_string(error)];
}

SOCKET Connect(unsigned short port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        Failed("connect", WSAGetLastError());
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

// One request: connect, send, read the whole echo, close. True when echoed.
bool Request(unsigned short port, int number) {
    SOCKET s = Connect(port);
    if (s == INVALID_SOCKET) return false;
    const std::string body = "{\"name\":\"package " + std::to_string(number) +
                             "\",\"type\":\"1\",\"trueUrl\":\"http://127.0.0.1/p.apk\",\"size\":\"1024\"}";
    bool ok = send(s, body.data(), static_cast<int>(body.size()), 0) == static_cast<int>(body.size());
    if (!ok) Failed("send", WSAGetLastError());
    std::string echo;
    char buffer[4096];
    while (ok && echo.size() < body.size()) {
        const int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) {
            Failed(n == 0 ? "recv closed" : "recv", n == 0 ? static_cast<int>(echo.size()) : WSAGetLastError());
            break;
        }
        echo.append(buffer, n);
    }
    closesocket(s);
    return ok && echo == body;
}

}  // namespace

int main(int argc, char** argv) {
    const int requests = argc > 1 ? atoi(argv[1]) : 1000;
    const int clients = argc > 2 ? atoi(argv[2]) : 50;
    const int idle = argc > 3 ? atoi(argv[3]) : 20;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = &TargetProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LocalServerBenchTarget";
    RegisterClassW(&wc);
    HWND target = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);

    LocalServer server;
    server.SetPort(0);
    server.SetTargetWindow(target);
    if (!server.Start()) {
        std::printf("the server did not start\n");
        return 1;
    }
    std::vector<SOCKET> idlers;
    for (int i = 0; i < idle; ++i) idlers.push_back(Connect(server.Port()));

    std::atomic<int> next{0}, echoed{0};
    std::atomic<long long> worstMicros{0};
    std::atomic<bool> done{false};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            for (int n = next++; n < requests; n = next++) {
                const auto begin = std::chrono::steady_clock::now();
                if (Request(server.Port(), n)) ++echoed;
                const long long micros =
                    std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin).count();
                long long worst = worstMicros.load();
                while (micros > worst && !worstMicros.compare_exchange_weak(worst, micros)) {
                }
            }
        });
    }
    std::thread joiner([&] {
        for (auto& t : threads) t.join();
        done = true;
        PostMessageW(target, WM_NULL, 0, 0);
    });
    // The deliveries are answered here, as the frame's UI thread does.
    MSG msg;
    while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    joiner.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

    int idleAlive = 0;
    for (SOCKET s : idlers) {
        if (s == INVALID_SOCKET) continue;
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        char byte;
        if (recv(s, &byte, 1, 0) < 0 && WSAGetLastError() == WSAEWOULDBLOCK) ++idleAlive;
        closesocket(s);
    }
    server.Stop();
    std::printf("requests: %d from %d concurrent clients, %d idle connections held (%d still open)\n", requests,
                clients, idle, idleAlive);
    std::printf("echoed: %d  delivered: %d  lost: %d\n", echoed.load(), g_delivered.load(),
                requests - std::min(echoed.load(), g_delivered.load()));
    for (const auto& failure : g_failures) std::printf("failed: %s (%d times)\n", failure.first.c_str(), failure.second);
    std::printf("requests per second: %.0f\n", requests / seconds);
    std::printf("worst latency: %.1f ms\n", worstMicros.load() / 1000.0);
    return echoed == requests && g_delivered == requests ? 0 : 2;
}
