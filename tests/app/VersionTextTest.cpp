// The installed version from autoupdate\curjson and the caption made of it.
#include <gtest/gtest.h>

#include "TestPaths.h"
#include "frame/VersionText.h"

TEST(VersionText, ComesFromTheVersionNameValue) {
    testsupport::ScratchDir dir;
    const std::wstring file = dir.File(L"curjson");
    const struct {
        const char* content;
        const wchar_t* version;
    } cases[] = {
        {R"({"versionName":"1.2.3","description":"fixes"})", L"1.2.3"},
        {R"({"description":"x","versionName":"2.0"})", L"2.0"},  // any key order
        {"{\n  \"versionCode\": 7,\n  \"versionName\": \"3.1\"\n}\n", L"3.1"},
        {"garbage\n{\"versionName\":\"4.4\",\"description\":\"d\"}\nmore garbage", L"4.4"},
        {R"({"versionName":"5.0 \"beta\""})", L"5.0 \"beta\""},
        {R"({"versionName":7})", L""},
        {R"({"other":"1"})", L""},
        {"{\"versionName\":\"1.2", L""},
        {"", L""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(testsupport::WriteFileBytes(file, c.content));
        EXPECT_EQ(c.version, ReadInstalledVersion(file)) << c.content;
    }
    EXPECT_EQ(L"", ReadInstalledVersion(dir.File(L"missing")));
}

TEST(VersionText, CaptionIsCutAt29Characters) {
    EXPECT_EQ(L"版本号: V1.2.3", VersionCaption(L"1.2.3"));
    const std::wstring longVersion(30, L'9');
    const std::wstring caption = VersionCaption(longVersion);
    EXPECT_EQ(29u, caption.size());
    EXPECT_EQ(L"版本号: V" + longVersion.substr(0, 23), caption);
    EXPECT_EQ(L"", VersionCaption(L""));
}
