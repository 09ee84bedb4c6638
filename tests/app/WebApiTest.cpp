// The web service API against the web service peer over loopback: exact
// request lines, the request sign, value encoding, status handling and
// downloads.
#include <gtest/gtest.h>

#include <windows.h>

#include "TestPaths.h"
#include "WebServicePeer.h"
#include "net/ApiRequests.h"
#include "net/WebApi.h"

using testpeers::WebServicePeer;

namespace {

struct WebApiFixture : ::testing::Test {
    WebServicePeer peer;
    WebEndpoint host() const { return ParseWebEndpoint(peer.HostAndPort(), {}); }
    std::string LastPath() const {
        auto requests = peer.Requests();
        return requests.empty() ? std::string() : requests.back().path;
    }
};

}  // namespace

TEST(WebHosts, PageAndProbeHostsAreSettingsOfTheirOwn) {
    const struct {
        const char* variable;
        WebEndpoint (*read)();
        const char* defaultHost;
    } hosts[] = {{"TORVANIK_PAGE_HOST", &PageHost, "www.torvanik.com"},
                 {"TORVANIK_PROBE_HOST", &ProbeHost, "www.baidu.com"}};
    for (const auto& h : hosts) {
        SetEnvironmentVariableA(h.variable, nullptr);
        EXPECT_EQ(h.defaultHost, h.read().host);
        EXPECT_EQ(80, h.read().port);
        SetEnvironmentVariableA(h.variable, "127.0.0.1:8090");
        EXPECT_EQ("127.0.0.1", h.read().host);
        EXPECT_EQ(8090, h.read().port);
        EXPECT_EQ("http://127.0.0.1:8090", h.read().BaseUrl());
        SetEnvironmentVariableA(h.variable, nullptr);
    }
    SetEnvironmentVariableA("TORVANIK_PAGE_HOST", "pages.example.test");
    EXPECT_EQ(L"http://pages.example.test/svapp/", PageUrl("/svapp/"));
    SetEnvironmentVariableA("TORVANIK_PAGE_HOST", nullptr);
}

TEST(WebApiSign, MatchesTheServiceVectors) {
    const struct {
        const char* vid;
        const char* pid;
        const char* sign;
    } cases[] = {
        {"18D1", "4EE7", "e99bde1ef2459b5fdfca2052347cdf39"},
        {"2a45", "0c02", "15c1afc9abd79040cb8b9e90411ed9f2"},  // the case as read is kept
        {"", "", "b827148da9156cae8f1f44f16f7a0e01"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.sign, ShuajiSign(c.vid, c.pid)) << c.vid << "/" << c.pid;
}

TEST_F(WebApiFixture, RequestLinesReachTheServiceExactlyWithValuesEncoded) {
    const std::string gbkZte = "\xD6\xD0\xD0\xCB";  // 中兴 in code page 936
    const struct {
        std::string path;
        const char* expected;
    } cases[] = {
        {ShuajiPath("18D1", "4EE7", "MI 4LTE/" + gbkZte),
         "index.php?c=api&a=getShuaji&vid=18D1&pid=4EE7&phoneType=MI+4LTE%2F%D6%D0%D0%CB"
         "&sign=e99bde1ef2459b5fdfca2052347cdf39"},
        {DriversPath("18D1", "4EE7"), "index.php?c=api&a=getDrivers&vid=18D1&pid=4EE7&os=3&bit=2"},
        {StartReportPath("00-1A-2B-3C-4D-5E", "Windows 7 64-bit", "1.2.3", "none"),
         "index.php?c=feedback&a=pcActionLog&mac=00-1A-2B-3C-4D-5E&os=Windows+7+64-bit&type=3&state=1"
         "&version=1.2.3&msg=Start&channel=none"},
        {RomDownUrlPath("77&x=1"), "index.php?c=feedback&a=getRomDownUrl&id=77%26x%3D1"},
        {ApplyModelPath("18D1", "4EE7", "MI 4"), "index.php?c=feedback&a=applyModel&vid=18D1&pid=4EE7&phoneType=MI+4"},
        {AppDownloadCountPath("12"), "index.php?c=feedback&a=appDownloadCount&id=12"},
        {FeedbackPath({"rom", "2", "a~b", "x y", "138"}),
         "index.php?c=feedback&a=faq&object=rom&class=2&title=a~b&content=x+y&phone=138"},
        {RecommendNewsPath(), "api/getRecommendNews/"},
        {RecommendAppsPath(), "api/getApp/"},
    };
    for (const auto& c : cases) {
        peer.SetJson(c.expected, "{\"ok\":1}");
        EXPECT_EQ("{\"ok\":1}", HttpGetToString(c.path, host())) << c.expected;
        EXPECT_EQ(c.expected, LastPath());
    }
    auto requests = peer.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ("GET", requests[0].method);
    EXPECT_EQ("User-Agent", requests[0].headers["user-agent"]);
}

TEST_F(WebApiFixture, BodiesArriveWholeByteForByteAndErrorPagesAreNoReply) {
    std::string big;
    for (int i = 0; big.size() < 10000; ++i) big += "{\"n\":" + std::to_string(i) + "}";
    peer.SetJson("api/getApp/", big);
    EXPECT_EQ(big, HttpGetToString("api/getApp/", host()));

    peer.SetJson("withnul", std::string("ab\0cd", 5));
    EXPECT_EQ(std::string("ab\0cd", 5), HttpGetToString("withnul", host()));

    WebServicePeer::Reply error;
    error.status = 500;
    error.body = "<html>server error</html>";
    peer.SetReply("api/getRecommendNews/", error);
    EXPECT_EQ("", HttpGetToString("api/getRecommendNews/", host()));
    EXPECT_EQ("", HttpGetToString("unknown", host()));  // 404
}

TEST_F(WebApiFixture, RefusedConnectionGivesNoReply) {
    WebEndpoint closed = host();
    {
        WebServicePeer gone;
        closed.port = gone.Port();
    }
    EXPECT_EQ("", HttpGetToString("api/getApp/", closed));
}

TEST_F(WebApiFixture, DownloadsWriteExactlyWhatArrivesAndRefuseErrorPages) {
    testsupport::ScratchDir dir;
    const std::string payload(2500, 'z');
    WebServicePeer::Reply file;
    file.body = payload;
    file.contentType = "application/octet-stream";
    peer.SetReply("pkg/a.zip", file);
    const std::wstring base = L"http://127.0.0.1:" + std::to_wstring(peer.Port()) + L"/";

    HttpDownload download;
    ASSERT_TRUE(download.Open(base + L"pkg/a.zip", dir.File(L"a.zip")));
    EXPECT_EQ(2500u, download.ContentLength());
    EXPECT_EQ(100, download.Run());
    EXPECT_EQ(payload, testsupport::ReadFileBytes(dir.File(L"a.zip")));

    // An error page is not saved as the download, and no file is created.
    EXPECT_FALSE(download.Open(base + L"pkg/missing.zip", dir.File(L"b.zip")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.File(L"b.zip").c_str()));

    // Without a content length the body still arrives whole; the percentage stays 0.
    file.sendLength = false;
    peer.SetReply("pkg/c.zip", file);
    ASSERT_TRUE(download.Open(base + L"pkg/c.zip", dir.File(L"c.zip")));
    EXPECT_EQ(0, download.Run());
    EXPECT_EQ(payload, testsupport::ReadFileBytes(dir.File(L"c.zip")));
}
