// URL probe over loopback, the extension of a URL, the file names made from
// outside text, and the conversions into fixed fields.
#include "engine/SafeFileName.h"
#include "engine/UrlHelpers.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

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

TEST(UrlProbe, ASetStopEndsAProbeOfAHostThatNeverAnswers) {
    WebServicePeer peer;
    WebServicePeer::Reply silent;
    silent.misbehaviour = WebServicePeer::Misbehaviour::Silent;
    peer.SetReply("dead", silent);
    std::atomic<bool> stop{false};
    std::atomic<bool> returned{false};
    bool result = true;
    std::thread probe([&] {
        std::string effective;
        result = GetEffectiveUrl(Url(peer, "dead"), effective, &stop);
        returned = true;
    });
    Sleep(500);
    EXPECT_FALSE(returned.load()) << "the host never answers";
    const DWORD stopped = GetTickCount();
    stop = true;
    EXPECT_TRUE(WaitUntil([&] { return returned.load(); }, 5000));
    probe.join();
    EXPECT_LT(GetTickCount() - stopped, 2500u);
    EXPECT_FALSE(result);
}

TEST(SafeFileName, OutsideTextBecomesOnePlainNameInsideTheFolder) {
    const struct {
        const char* stem;
        const char* extension;
        const char* expected;  // nullptr: refused
    } cases[] = {
        {"Kovi ROM 7.1", ".zip", "Kovi ROM 7.1.zip"},
        {"..\\..\\..\\Startup\\evil", ".bat", ".._.._.._Startup_evil.bat"},
        {"../../x", ".apk", ".._.._x.apk"},
        {"C:\\Windows\\x", ".exe", "C__Windows_x.exe"},
        {"a:stream", ".zip", "a_stream.zip"},
        {"file", ".zip:hidden", "file.zip_hidden"},
        {"who?*<>|\"", ".apk", "who______.apk"},
        {"tab\there", ".apk", "tab_here.apk"},
        {"CON", "", "_CON"},
        {"con", ".zip", "_con.zip"},
        {"NUL", ".txt", "_NUL.txt"},
        {"Aux", ".tar.gz", "_Aux.tar.gz"},
        {"PRN ", ".apk", "_PRN .apk"},
        {"COM1", ".zip", "_COM1.zip"},
        {"lpt9", ".apk", "_lpt9.apk"},
        {"COM10", ".zip", "COM10.zip"},
        {"CONSOLE", ".zip", "CONSOLE.zip"},
        {"name...", "", "name"},
        {"name. . ", "", "name"},
        {"name", ".", "name"},
        {"..", "", nullptr},
        {".", "", nullptr},
        {"", "", nullptr},
        {" . ", "", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> safe = SafeFileName(c.stem, c.extension);
        if (c.expected == nullptr) {
            EXPECT_FALSE(safe.has_value()) << c.stem << c.extension;
        } else {
            ASSERT_TRUE(safe.has_value()) << c.stem << c.extension;
            EXPECT_EQ(c.expected, *safe) << c.stem << c.extension;
            EXPECT_TRUE(IsPlainFileName(*safe)) << *safe;
        }
    }
    // Chinese names in the ANSI code page keep every byte, also trail bytes
    // that equal '\\' or '|' in a byte-wise reading.
    const std::string chinese = ToAnsi(L"刷机包 億 嘰 東");  // in GBK these end in 0x7C, 0x5C, 0x7C
    ASSERT_NE(std::string::npos, chinese.find('\\'));
    ASSERT_TRUE(SafeFileName(chinese, ".zip").has_value());
    EXPECT_EQ(chinese + ".zip", *SafeFileName(chinese, ".zip"));
}

TEST(SafeFileName, PathsOfATaskStayInItsFolderOrAreRefused) {
    const auto paths = FilePathsOf("D:\\down", "..\\evil", ".bat");
    ASSERT_TRUE(paths.has_value());
    EXPECT_EQ("D:\\down\\.._evil.bat", paths->target);
    EXPECT_EQ("D:\\down\\.._evil.bat.tmp", paths->partial);
    EXPECT_EQ("D:\\down\\.._evil.bat.skip", paths->skip);
    EXPECT_EQ("D:\\down\\.._evil.bat.tmp.validator", paths->validator);
    EXPECT_FALSE(FilePathsOf("D:\\down", "..", "").has_value());
    EXPECT_FALSE(FilePathsOf("D:\\down", std::string(250, 'n'), ".zip").has_value()) << "longer than 259";
}

}  // namespace
