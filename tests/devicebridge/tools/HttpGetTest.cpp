// HttpGetToString against the web service peer over real loopback sockets.
#include <gtest/gtest.h>

#include <windows.h>

#include "tools/HttpGetToString.h"
#include "WebServicePeer.h"

using testpeers::WebServicePeer;

namespace {

struct HttpGetFixture : ::testing::Test {
    WebServicePeer peer;
    void SetUp() override { SetEnvironmentVariableA("TORVANIK_API_HOST", peer.HostAndPort().c_str()); }
    void TearDown() override { SetEnvironmentVariableA("TORVANIK_API_HOST", nullptr); }
};

}  // namespace

TEST(ApiEndpoint, ComesFromTheEnvironmentWithPort80ByDefault) {
    const struct {
        const char* setting;
        const char* host;
        unsigned short port;
    } cases[] = {
        {nullptr, "api.torvanik.com", 80},
        {"10.1.2.3", "10.1.2.3", 80},
        {"api.example.test:8080", "api.example.test", 8080},
        {"127.0.0.1:0", "127.0.0.1", 80},
        {"127.0.0.1:99999", "127.0.0.1", 80},
        {":81", "api.torvanik.com", 81},
    };
    for (const auto& c : cases) {
        SetEnvironmentVariableA("TORVANIK_API_HOST", c.setting);
        ApiEndpoint endpoint = ApiEndpointFromSettings();
        EXPECT_EQ(c.host, endpoint.host) << (c.setting ? c.setting : "(unset)");
        EXPECT_EQ(c.port, endpoint.port) << (c.setting ? c.setting : "(unset)");
    }
    SetEnvironmentVariableA("TORVANIK_API_HOST", nullptr);
}

TEST_F(HttpGetFixture, SendsAPlainGetWithTheSuiteAgentAndReturnsTheBody) {
    peer.SetJson("index.php?c=feedback&a=getTypeList&id=7", R"({"num":1,"typeName0":"X1"})");
    EXPECT_EQ(R"({"num":1,"typeName0":"X1"})", HttpGetToString("index.php?c=feedback&a=getTypeList&id=7"));
    auto requests = peer.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("GET", requests[0].method);
    EXPECT_EQ("index.php?c=feedback&a=getTypeList&id=7", requests[0].path);
    EXPECT_EQ("User-Agent", requests[0].headers["user-agent"]);
}

TEST_F(HttpGetFixture, LongRepliesArriveWholeAndErrorPagesAreReturnedAsText) {
    std::string big;
    for (int i = 0; big.size() < 100000; ++i) big += "{\"line\":" + std::to_string(i) + "}\n";
    peer.SetJson("api/getApp/", big);
    WebServicePeer::Reply error;
    error.status = 500;
    error.contentType = "text/html";
    error.body = "<html>server error</html>";
    peer.SetReply("api/getRecommendNews/", error);

    EXPECT_EQ(big, HttpGetToString("api/getApp/"));
    EXPECT_EQ("<html>server error</html>", HttpGetToString("api/getRecommendNews/"));
    EXPECT_EQ("not found", HttpGetToString("index.php?c=api&a=unknown"));
}

TEST_F(HttpGetFixture, ATextReplyEndsAtANulByte) {
    peer.SetJson("api/nul/", std::string("{\"a\":1}\0garbage", 15));
    EXPECT_EQ("{\"a\":1}", HttpGetToString("api/nul/"));
}

TEST_F(HttpGetFixture, MisbehavingServersGiveNoMoreThanWhatArrived) {
    WebServicePeer::Reply silent;
    silent.misbehaviour = WebServicePeer::Misbehaviour::CloseWithoutReply;
    peer.SetReply("api/silent/", silent);
    WebServicePeer::Reply cut;
    cut.misbehaviour = WebServicePeer::Misbehaviour::CutBody;
    cut.body = std::string(20000, 'x');
    peer.SetReply("api/cut/", cut);
    WebServicePeer::Reply empty;
    peer.SetReply("api/empty/", empty);

    EXPECT_EQ("", HttpGetToString("api/silent/"));
    EXPECT_EQ("", HttpGetToString("api/empty/"));
    const std::string partial = HttpGetToString("api/cut/");
    EXPECT_LT(partial.size(), cut.body.size());
    EXPECT_EQ(std::string(partial.size(), 'x'), partial);
}

TEST(HttpGetNoServer, ARefusedConnectionGivesAnEmptyText) {
    unsigned short closedPort;
    {
        WebServicePeer gone;
        closedPort = gone.Port();
    }
    SetEnvironmentVariableA("TORVANIK_API_HOST", ("127.0.0.1:" + std::to_string(closedPort)).c_str());
    EXPECT_EQ("", HttpGetToString("index.php?c=feedback&a=getTypeList&id=1"));
    SetEnvironmentVariableA("TORVANIK_API_HOST", nullptr);
}
