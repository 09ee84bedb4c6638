// URL probe over loopback, the extension of a URL, and the conversions into
// fixed fields.
#include "engine/UrlHelpers.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace enginetest;

namespace {

TEST(UrlExtension, TakenFromTheLastComponentWithoutQuery) {
    const struct {
        const char* url;
        const char* extension;
    } cases[] = {
        {"http://h/dir/b.zip", ".zip"},
        {"http://h/dir/b.zip?x=1&y=.exe", ".zip"},
        {"http://h/dir/b.tar.gz#part", ".gz"},
        {"http://h/files.old/file", ""},
        {"http://h/path/file", ""},
        {"http://h/", ""},
        {"C:\\icons\\a.png", ".png"},
    };
    for (const auto& c : cases) {
        std::string name, extension;
        GetUrlExtension(c.url, name, extension);
        EXPECT_EQ(c.extension, extension) << c.url;
    }
    std::string name, extension;
    GetUrlExtension("http://h/" + std::string(300, 'n') + ".zip", name, extension);
    EXPECT_EQ("", extension) << "a name past its limit gives no extension";
}

TEST(TextConversion, FitsTheDestinationAndConvertsInPlace) {
    char field[12];
    EXPECT_EQ(6, Utf8ToAnsi("plain", field, sizeof field));
    EXPECT_STREQ("plain", field);

    // "刷机包" is 9 bytes of UTF-8 and 6 bytes of code page 936.
    char text[32] = "\xE5\x88\xB7\xE6\x9C\xBA\xE5\x8C\x85";
    EXPECT_EQ(7, Utf8ToAnsi(text, text, sizeof text));
    EXPECT_STREQ("\xCB\xA2\xBB\xFA\xB0\xFC", text);
    char back[32];
    EXPECT_EQ(10, AnsiToUtf8(text, back, sizeof back));
    EXPECT_STREQ("\xE5\x88\xB7\xE6\x9C\xBA\xE5\x8C\x85", back);

    char small[6];
    std::memset(small, 'x', sizeof small);
    Utf8ToAnsi("\xE5\x88\xB7\xE6\x9C\xBA\xE5\x8C\x85", small, 4);
    EXPECT_STREQ("\xCB\xA2", small) << "cut at a whole character";
    EXPECT_EQ('x', small[4]) << "nothing written past the destination";

    char utf8[5];
    AnsiToUtf8("\xCB\xA2\xBB\xFA", utf8, sizeof utf8);
    EXPECT_STREQ("\xE5\x88\xB7", utf8);
}

TEST(TextConversion, BraceMarksAGeneratedName) {
    EXPECT_TRUE(StartsWithBrace("{0A1B}"));
    EXPECT_FALSE(StartsWithBrace("http://x/{a}"));
    EXPECT_FALSE(StartsWithBrace(nullptr));
}

TEST(EffectiveUrl, FollowsRedirectsAndAcceptsErrorStatus) {
    UseShortTimings();
    WebServicePeer peer;
    WebServicePeer::Reply hop;
    hop.status = 301;
    hop.location = Url(peer, "b");
    peer.SetReply("a", hop);
    hop.status = 302;
    hop.location = Url(peer, "c/final.zip");
    peer.SetReply("b", hop);
    peer.SetJson("c/final.zip", "zip");

    std::string effective;
    ASSERT_TRUE(GetEffectiveUrl(Url(peer, "a"), effective));
    EXPECT_EQ(Url(peer, "c/final.zip"), effective);
    for (const auto& request : peer.Requests()) EXPECT_EQ("HEAD", request.method);

    ASSERT_TRUE(GetEffectiveUrl(Url(peer, "nothing-here"), effective)) << "a 404 still completes";
    EXPECT_EQ(Url(peer, "nothing-here"), effective);
    EXPECT_FALSE(GetEffectiveUrl("http://127.0.0.1:1/x", effective));
}

}  // namespace
