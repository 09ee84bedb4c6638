// IsConnectPhone, IsPhoneRoot, GetAndroidID, GetPhoneVersion, GetPhoneBrand,
// GetDevpBrandModel, GetCellphoneScreenPng and AndroidPortToPC through
// Hemlar.dll, against the stand-in adb server over its socket.
#include "PhoneExportsFixture.h"

#include <windows.h>

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using NoArgs = int(__cdecl*)();
using NarrowOut = int(__cdecl*)(char*);
using WideOut = int(__cdecl*)(wchar_t*);

// Both devcon builds answer alike: the bridge picks one by the machine.
void DevconReplies(ToolStandIns& tools, const std::string& pattern, const std::string& listing) {
    tools.Reply("devcon_x64", pattern, listing);
    tools.Reply("devcon_x86", pattern, listing);
}

TEST_F(PhoneExportsTest, IsConnectPhoneReportsThePhonesState) {
    ExpectForEachScenario(
        {
            {"state=device\n", 1},
            {"state=recovery\n", 2},
            {"state=offline\n", -1},
            {"state=unauthorized\n", 1},
            // Offline is tested before recovery.
            {"state=offline\nserial=recovery01\n", -1},
        },
        Export<NoArgs>("IsConnectPhone"));
    EXPECT_TRUE(RequestsStartingWith("host:kill").empty());
}

// About 8 s of rounds and a server start: the one slow connection case.
TEST_F(PhoneExportsTest, IsConnectPhoneWithoutPhoneRestartsTheServerOnceAndGivesUp) {
    auto isConnectPhone = Export<NoArgs>("IsConnectPhone");
    Phone("state=none\n");
    peer_.ClearRequests();
    EXPECT_EQ(isConnectPhone(), 0);
    EXPECT_EQ(RequestsStartingWith("host:kill").size(), 1u);
    // The server is relaunched as a program; when it is up before the
    // client's own start request, that request reaches it too.
    EXPECT_LE(RequestsStartingWith("host:start-server").size(), 1u);
    // Ten rounds, and one listing by the server tool before the restart.
    EXPECT_EQ(RequestsStartingWith("host:devices").size(), 11u);
    EXPECT_TRUE(AdbServerPeer::Running());
}

TEST_F(PhoneExportsTest, IsPhoneRootReadsTheRootAnswer) {
    ExpectForEachScenario(
        {
            {"root=restarting adbd as root\\n\n", 1},
            {"root=adbd is already running as root\\n\n", 1},
            {"root=adbd cannot run as root in production builds\\n\n", 1},
            {"root=permission denied\\n\n", 0},
            {"state=offline\n", 0},
        },
        Export<NoArgs>("IsPhoneRoot"));
    EXPECT_FALSE(RequestsStartingWith("root:").empty());
}

TEST_F(PhoneExportsTest, GetAndroidIdWritesTheUsbIdentity) {
    auto getAndroidId = Export<NarrowOut>("GetAndroidID");
    const struct {
        const char* scenario;
        std::string listing;
        int result;
        const char* written;  // null: buffer untouched
    } cases[] = {
        {"state=device\n", "USB\\VID_18D1&PID_4EE2\\0123456789\r\n    Name: ADB Interface\r\n", 1, "VID_18D1&PID_4EE2"},
        {"state=device\n", "USB\\Class_FF\r\nUSB\\VID_2717&PID_FF48&MI_01\\6&1\n", 1, "VID_2717&PID_FF48"},
        {"state=device\n", "USB\\VID_18D1\n", 0, nullptr},  // cut short
        {"state=device\n", "    Name: ADB Interface\r\n", 0, nullptr},
        {"state=device\n", "", 0, nullptr},
        {"state=recovery\n", "USB\\VID_18D1&PID_4EE2\\0123456789\r\n", 1, nullptr},
        {"state=offline\n", "USB\\VID_18D1&PID_4EE2\\0123456789\r\n", 0, nullptr},
        {"state=none\n", "USB\\VID_18D1&PID_4EE2\\0123456789\r\n", 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario + c.listing);
        ToolStandIns tools;
        DevconReplies(tools, "Class_FF", c.listing);
        Phone(c.scenario);
        char buffer[32];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(getAndroidId(buffer), c.result);
        if (c.written) {
            EXPECT_STREQ(buffer, c.written);
            EXPECT_EQ(buffer[18], '#');  // 18 bytes written, no more
        } else {
            EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
        }
    }
}

TEST_F(PhoneExportsTest, GetPhoneVersionWritesTheModel) {
    auto getPhoneVersion = Export<WideOut>("GetPhoneVersion");
    const std::string notFound = "/system/bin/sh: getprop: not found\\n";
    const struct {
        std::string scenario;
        std::string wpdListing;
        int result;
        const wchar_t* written;  // null: buffer untouched
    } cases[] = {
        {"prop.ro.product.real_model=MI 3\n", "", 1, L"MI 3\n"},
        // The phone's text is UTF-8, whatever the PC's code page.
        {"prop.ro.product.real_model=\xE7\xBA\xA2\xE7\xB1\xB3 Note&3\n", "", 1, L"\u7EA2\u7C73 Note&3\n"},
        {"prop.ro.product.real_model=\nprop.ro.product.model=Moto X \xC3\xA9" "dition\n", "", 1, L"Moto X \u00E9dition\n"},
        {"prop.ro.product.real_model=\nprop.ro.product.model=Nexus 5\n", "", 1, L"Nexus 5\n"},
        {"prop.ro.product.real_model=\nprop.ro.product.model=Nexus 5\nlineend=crlf\n", "", 1, L"Nexus 5\r\n"},
        {"shell.getprop ro.product.real_model=" + notFound + "\n",
         "USB\\VID_18D1&PID_4EE2\\0123: Galaxy S4 Mini\r\n1 matching device(s) found.\r\n", 1, L"Galaxy S4 Mini\r\n"},
        {"shell.getprop ro.product.real_model=" + notFound + "\n", "No matching devices found.\r\n", 1, nullptr},
        {"state=unauthorized\n", "", 0, nullptr},
        {"state=offline\n", "", 1, nullptr},
        {"prop.ro.product.real_model=" + std::string(400, 'M') + "\n", "", 1, nullptr},  // cut to 259
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        ToolStandIns tools;
        DevconReplies(tools, "=wpd", c.wpdListing);
        Phone(c.scenario);
        wchar_t buffer[300];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        EXPECT_EQ(getPhoneVersion(buffer), c.result);
        if (c.written) {
            EXPECT_STREQ(buffer, c.written);
        } else if (c.scenario.find(std::string(400, 'M')) != std::string::npos) {
            EXPECT_EQ(std::wstring(buffer), std::wstring(259, L'M'));
            EXPECT_EQ(buffer[260], L'#');
        } else {
            EXPECT_EQ(buffer[0], L'#');
        }
    }
}

// Ten rounds 500 ms apart: the one slow model case.
TEST_F(PhoneExportsTest, GetPhoneVersionWithoutPhoneLeavesTheBuffer) {
    auto getPhoneVersion = Export<WideOut>("GetPhoneVersion");
    Phone("state=none\n");
    peer_.ClearRequests();
    wchar_t buffer[260] = L"before";
    EXPECT_EQ(getPhoneVersion(buffer), 1);
    EXPECT_STREQ(buffer, L"before");
    EXPECT_EQ(RequestsStartingWith("host:devices").size(), 10u);
}

TEST_F(PhoneExportsTest, GetPhoneBrandWritesTheBrand) {
    auto getPhoneBrand = Export<WideOut>("GetPhoneBrand");
    const struct {
        std::string scenario;
        std::string wpdListing;
        int result;
        const wchar_t* written;
    } cases[] = {
        {"prop.ro.product.brand=Xiaomi\n", "", 1, L"Xiaomi\n"},
        {"prop.ro.product.brand=\xE5\xB0\x8F\xE7\xB1\xB3\n", "", 1, L"\u5C0F\u7C73\n"},  // 小米 in UTF-8
        {"prop.ro.product.brand=Xiaomi\nlineend=crlf\n", "", 1, L"Xiaomi\r\n"},
        {"shell.getprop ro.product.brand=getprop: not found\\n\n", "USB\\VID_18D1&PID_4EE2\\0123: Nexus\r\n", 1,
         L" Nexus\r\n"},
        {"shell.getprop ro.product.brand=getprop: not found\\n\n", "", 0, nullptr},
        {"state=offline\n", "", 0, nullptr},
        {"state=none\n", "", 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        ToolStandIns tools;
        DevconReplies(tools, "=wpd", c.wpdListing);
        Phone(c.scenario);
        wchar_t buffer[260] = L"before";
        EXPECT_EQ(getPhoneBrand(buffer), c.result);
        EXPECT_STREQ(buffer, c.written ? c.written : L"before");
    }
}

TEST_F(PhoneExportsTest, GetDevpBrandModelAsksAdbForTheDeviceList) {
    using Describe = int(__cdecl*)(const wchar_t*, wchar_t*);
    auto getDevpBrandModel = Export<Describe>("GetDevpBrandModel");
    const wchar_t* path = L"\\\\?\\USB#VID_18D1&PID_4EE2#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    tools_.Reply("devcon_x64", "=wpd", "USB\\VID_05C6&PID_9039\\1: Other phone\r\n");
    tools_.Reply("devcon_x64", "hwids", "USB\\VID_18D1&PID_4EE2\\Nexus 5 ADB\r\n");

    Phone("state=none\n");
    wchar_t buffer[260] = L"before";
    EXPECT_EQ(getDevpBrandModel(path, buffer), 0);
    EXPECT_STREQ(buffer, L"before");
    for (const std::string& call : tools_.Calls()) EXPECT_EQ(call.find("hwids"), std::string::npos) << call;

    Phone("state=device\n");
    EXPECT_EQ(getDevpBrandModel(path, buffer), 1);
    EXPECT_STREQ(buffer, L"Nexus 5 ADB\r\n");
    EXPECT_NE(Last(tools_.Calls()).find("hwids \"USB\\VID_18D1&PID_4EE2\""), std::string::npos);
}

TEST_F(PhoneExportsTest, GetCellphoneScreenPngPullsTheScreenshot) {
    auto screenshot = Export<NoArgs>("GetCellphoneScreenPng");
    const std::wstring picture = ProgramFile(L"skin\\Torvanik\\PhoneScreen\\screenshot.png");
    const struct {
        std::string scenario;
        bool staleOnPhone;
        int result;  // 0: the picture arrived
        bool remounted;
    } cases[] = {
        {"state=device\n", false, 0, false},
        {"screencap=denied\n", false, 0, true},  // written after the chmod
        {"shell./system/bin/screencap -p /sdcard/screenshot.png=Error opening file: /sdcard/screenshot.png\\n\n",
         true, 1, true},  // never written: an old picture on the phone does not count
        {"state=offline\n", false, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        Phone(c.scenario);
        DeleteFileW(picture.c_str());
        std::error_code ec;
        fs::remove(peer_.PhoneFile(L"/sdcard/screenshot.png"), ec);
        if (c.staleOnPhone) testsupport::WriteFileBytes(peer_.PhoneFile(L"/sdcard/screenshot.png"), "old");
        peer_.ClearRequests();
        EXPECT_EQ(screenshot(), c.result);
        EXPECT_EQ(!RequestsStartingWith("shell:su /c chmod 077 /sdcard").empty(), c.remounted);
        if (c.result == 0) EXPECT_EQ(ReadFileBytes(picture).substr(0, 4), "\x89PNG");
    }
    // Only the folder the export made: the plug-in's skin lives beside it.
    fs::remove_all(ProgramFile(L"skin\\Torvanik\\PhoneScreen"));
}

TEST_F(PhoneExportsTest, AndroidPortToPcForwardsTheCompanionPort) {
    auto forward = Export<NoArgs>("AndroidPortToPC");
    Phone("state=device\n");
    EXPECT_EQ(forward(), 1);
    EXPECT_EQ(Last(RequestsStartingWith("host:forward:")), "host:forward:tcp:10086;tcp:10086");
    Phone("state=none\n");
    EXPECT_EQ(forward(), 1);
}

}  // namespace
