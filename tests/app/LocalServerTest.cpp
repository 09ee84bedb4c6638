// The local download-request server over real loopback sockets: echo, the
// one delivery of a connection's first data, silent and idle clients, the
// loopback-only listener and the stop.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "UiHarness.h"
#include "localserver/LocalServer.h"
#include "messages/AppMessages.h"

namespace {

// The window the server delivers to; keeps what it was given.
class DeliveryWindow {
public:
    DeliveryWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LocalServerTestTarget";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~DeliveryWindow() { DestroyWindow(hwnd_); }
    HWND Hwnd() const { return hwnd_; }
    std::vector<std::string> deliveries;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<DeliveryWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == appmsg::kLocalServerData && self && lp) {
            const auto* delivery = reinterpret_cast<const LocalServerDelivery*>(lp);
            self->deliveries.emplace_back(delivery->data, delivery->length);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND hwnd_;
};

SOCKET Connect(unsigned short port, const char* address = "127.0.0.1") {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = inet_addr(address);
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    DWORD timeout = 10000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    return s;
}

// Receives exactly `count` bytes (less when the connection ends first).
std::string ReceiveBytes(SOCKET s, size_t count) {
    std::string got;
    char buffer[16384];
    while (got.size() < count) {
        const int n = recv(s, buffer, static_cast<int>(std::min(sizeof buffer, count - got.size())), 0);
        if (n <= 0) break;
        got.append(buffer, n);
    }
    return got;
}

// Sends on a worker while the test thread pumps the deliveries.
std::string Exchange(SOCKET s, const std::string& bytes) {
    std::string echoed;
    std::thread client([&] {
        send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
        echoed = ReceiveBytes(s, bytes.size());
    });
    uiharness::PumpUntil([&] { return echoed.size() == bytes.size(); }, 10000);
    client.join();
    return echoed;
}

struct LocalServerFixture : ::testing::Test {
    void SetUp() override {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        server.SetPort(0);
        server.SetTargetWindow(target.Hwnd());
        ASSERT_TRUE(server.Start());
    }
    void TearDown() override { server.Stop(); }
    DeliveryWindow target;
    LocalServer server;
};

}  // namespace

TEST_F(LocalServerFixture, EchoesEverythingAndDeliversOnlyTheFirstData) {
    SOCKET s = Connect(server.Port());
    ASSERT_NE(INVALID_SOCKET, s);
    const std::string first = "{\"name\":\"twenty b\"}\n";
    EXPECT_EQ(first, Exchange(s, first));
    EXPECT_EQ("again", Exchange(s, "again"));
    EXPECT_EQ("third", Exchange(s, "third"));
    closesocket(s);
    ASSERT_EQ(1u, target.deliveries.size());
    EXPECT_EQ(first, target.deliveries[0]);
}

TEST_F(LocalServerFixture, ALargeFirstSendDeliversItsFirst8128BytesAndEchoesAll) {
    SOCKET s = Connect(server.Port());
    ASSERT_NE(INVALID_SOCKET, s);
    std::string big(20000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
    EXPECT_EQ(big, Exchange(s, big));
    closesocket(s);
    ASSERT_EQ(1u, target.deliveries.size());
    EXPECT_LE(target.deliveries[0].size(), 8128u);
    EXPECT_EQ(big.substr(0, target.deliveries[0].size()), target.deliveries[0]);
}

TEST_F(LocalServerFixture, SilentClientsNeverUseUpTheAcceptsAndASilentCloseDeliversNothing) {
    std::vector<SOCKET> silent;
    for (int i = 0; i < 3 * LocalServer::kPendingAccepts; ++i) {
        silent.push_back(Connect(server.Port()));
        ASSERT_NE(INVALID_SOCKET, silent.back());
    }
    SOCKET talker = Connect(server.Port());
    ASSERT_NE(INVALID_SOCKET, talker);
    EXPECT_EQ("hello", Exchange(talker, "hello"));
    closesocket(talker);
    for (SOCKET s : silent) closesocket(s);
    EXPECT_TRUE(uiharness::PumpUntil([&] { return server.ConnectionCount() == 0; }, 10000));
    ASSERT_EQ(1u, target.deliveries.size());
    EXPECT_EQ("hello", target.deliveries[0]);
}

TEST_F(LocalServerFixture, IdleConnectionsAreClosed) {
    server.Stop();
    LocalServer quick;
    quick.SetPort(0);
    quick.SetIdleTimeout(1000);
    quick.SetTargetWindow(target.Hwnd());
    ASSERT_TRUE(quick.Start());
    SOCKET s = Connect(quick.Port());
    ASSERT_NE(INVALID_SOCKET, s);
    char byte;
    const DWORD start = GetTickCount();
    EXPECT_LE(recv(s, &byte, 1, 0), 0);  // the server ends it, well before the 10 s receive time-out
    EXPECT_LT(GetTickCount() - start, 8000u);
    closesocket(s);
    EXPECT_TRUE(target.deliveries.empty());
}

TEST_F(LocalServerFixture, ListensOnTheLoopbackAddressOnly) {
    // Another address of this machine (the rest of 127/8 here) is refused.
    EXPECT_EQ(INVALID_SOCKET, Connect(server.Port(), "127.0.0.2"));
    SOCKET s = Connect(server.Port());
    EXPECT_NE(INVALID_SOCKET, s);
    closesocket(s);
}

TEST_F(LocalServerFixture, StopClosesOpenConnectionsAndASecondStopDoesNothing) {
    SOCKET s = Connect(server.Port());
    ASSERT_NE(INVALID_SOCKET, s);
    EXPECT_EQ("x", Exchange(s, "x"));
    server.Stop();
    char byte;
    EXPECT_LE(recv(s, &byte, 1, 0), 0);
    closesocket(s);
    EXPECT_FALSE(server.Running());
    server.Stop();
    EXPECT_EQ(INVALID_SOCKET, Connect(server.Port()));
}

TEST(LocalServerIdle, ASilenceCountsOnlyWhenItIsLongerThanTheTimeOutAndNotInTheFuture) {
    const struct {
        DWORD now, lastActive, timeout;
        bool idle;
    } cases[] = {
        {10000, 1000, 5000, true},         // silent for 9 s
        {10000, 6000, 5000, false},        // 4 s
        {10000, 10000, 5000, false},       // just active
        {10000, 10016, 5000, false},       // stamped by a worker after `now` was read
        {100, 0xFFFFF000u, 1000, true},    // across the tick counter's wrap: 4.2 s
        {100, 0xFFFFFF00u, 1000, false},   // across the wrap: 0.36 s
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.idle, IdleLongerThan(c.now, c.lastActive, c.timeout)) << c.now << " " << c.lastActive;
}
