// The readers of adb and devcon replies: well-formed texts give their piece,
// malformed or cut-short ones give nothing (never a read past the end).
#include "phone/PhoneText.h"

#include <gtest/gtest.h>

namespace {

TEST(PhoneText, UsbIdentityFromDevconListing) {
    const struct {
        const char* listing;
        const char* identity;  // null: none found
    } cases[] = {
        {"USB\\VID_18D1&PID_4EE2\\0123456789\r\n    Name: ADB Interface\r\n", "VID_18D1&PID_4EE2"},
        {"USB\\VID_18D1&PID_4EE2\\0123456789\n1 matching device(s) found.\n", "VID_18D1&PID_4EE2"},
        {"USB\\Class_FF&SubClass_42 listing\r\nUSB\\VID_2717&PID_ff48&MI_01\\6&1\r\n", "VID_2717&PID_ff48"},
        {"USB\\VID_18D1", nullptr},                         // cut short
        {"USB\\VID_18D1&PIX_4EE2\\0123\r\n", nullptr},      // wrong shape
        {"USB\\VID_18G1&PID_4EE2\\0123\r\n", nullptr},      // not hex
        {"    Name: ADB Interface\r\n", nullptr},           // marker without an identity
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listing);
        std::string identity = "untouched";
        EXPECT_EQ(UsbIdentityFromDevconListing(c.listing, identity), c.identity != nullptr);
        EXPECT_EQ(identity, c.identity ? c.identity : "untouched");
    }
}

TEST(PhoneText, DescriptionFromDevconListing) {
    const struct {
        const char* listing;
        const char* description;
    } cases[] = {
        {"USB\\VID_18D1&PID_4EE2\\0123: Nexus_5\r\n1 matching device(s) found.\r\n", "Nexus_5\r\n"},
        {"USB\\VID_18D1&PID_4EE2\\0123: Galaxy S4 Mini\r\n1 matching device(s) found.\r\n", "Galaxy S4 Mini\r\n"},
        {"USB\\VID_18D1&PID_4EE2\\0123: MI 3\n", "MI 3\n"},
        {"USB\\VID_18D1&PID_4EE2\\0123: MI 3", "MI 3"},
        {"No matching devices found.\r\n", nullptr},
        {"no colon here\r\nlater: line\r\n", nullptr},
        {"USB\\X: \r\n", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listing);
        std::string description;
        EXPECT_EQ(DescriptionFromDevconListing(c.listing, description), c.description != nullptr);
        if (c.description) EXPECT_EQ(description, c.description);
    }
}

TEST(PhoneText, PackagePathFromPmReply) {
    const struct {
        const char* reply;
        const char* path;
    } cases[] = {
        {"package:/data/app/com.vandrell.mrtq-1.apk\r\n", "/data/app/com.vandrell.mrtq-1.apk"},
        {"package:/data/app/com.vandrell.mrtq/base.apk\n", "/data/app/com.vandrell.mrtq/base.apk"},
        {"package:/data/app/x.apk", "/data/app/x.apk"},
        {"package:\r\n", nullptr},
        {"", nullptr},
        {"Error: unknown package\n", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        std::string path;
        EXPECT_EQ(PackagePathFromPmReply(c.reply, path), c.path != nullptr);
        if (c.path) EXPECT_EQ(path, c.path);
    }
}

TEST(PhoneText, LinesOfTheModelText) {
    EXPECT_TRUE(IsOnlyLineEnds("\r\n"));
    EXPECT_TRUE(IsOnlyLineEnds("\n"));
    EXPECT_FALSE(IsOnlyLineEnds(""));
    EXPECT_FALSE(IsOnlyLineEnds("MI 3\n"));

    EXPECT_EQ(DropFirstLineWhenMore(L"\r\nNexus 5\r\n"), L"Nexus 5\r\n");
    EXPECT_EQ(DropFirstLineWhenMore(L"\nNexus 5\n"), L"Nexus 5\n");
    EXPECT_EQ(DropFirstLineWhenMore(L"MI 3\r\n"), L"MI 3\r\n");
    EXPECT_EQ(DropFirstLineWhenMore(L"MI 3"), L"MI 3");
}

TEST(PhoneText, TransferCommandLines) {
    EXPECT_TRUE(IsTransferCommandLine(L"push C:\\a.txt /sdcard/"));
    EXPECT_TRUE(IsTransferCommandLine(L"  pull /sdcard/a.txt"));
    EXPECT_FALSE(IsTransferCommandLine(L"devices"));
    EXPECT_FALSE(IsTransferCommandLine(L"pushy x"));
    EXPECT_FALSE(IsTransferCommandLine(L""));
    EXPECT_FALSE(IsTransferCommandLine(nullptr));
}

}  // namespace
