// The bytes the adb client puts on the wire and how it takes broken answers,
// against a scripted server on the adb port.
#include "AdbTestPeers.h"

#include "adb/AdbClient.h"
#include "adb/AdbCommandLine.h"
#include "adb/sysdeps_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

std::string Frame(const std::string& service) {
    char prefix[8];
    snprintf(prefix, sizeof prefix, "%04x", static_cast<unsigned>(service.size()));
    return prefix + service;
}

std::string Le32(uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

class AdbWire : public ::testing::Test {
protected:
    void SetUp() override { AdbSetSocketTimeout(300); }
    void TearDown() override { AdbSetSocketTimeout(30000); }
};

struct WireCase {
    const char* name;
    std::wstring line;
    std::string reply;
    std::string sent;    // exact bytes the client sends
    std::string output;  // output text afterwards (it starts as "keep")
};

TEST_F(AdbWire, RequestsAndAnswers) {
    const std::string any = Frame("host:transport-any");
    const std::string fail255 = std::string(255, 'x');
    const WireCase cases[] = {
        {"transport to a serial", L"-s 0123ABC shell ls", "OKAYOKAYhello",
         "0016host:transport:0123ABC0008shell:ls", "keephello"},
        {"device list appended as received", L"devices", "OKAY0012HEMLAR0001\tdevice\n", Frame("host:devices"),
         "keepHEMLAR0001\tdevice\n"},
        {"long device list", L"devices -l", "OKAY0000", Frame("host:devices-l"), "keep"},
        {"forward without rebinding", L"forward --no-rebind tcp:1 tcp:2", "OKAYOKAY",
         Frame("host:forward:norebind:tcp:1;tcp:2"), "keep"},
        {"forward to a serial", L"-s S1 forward tcp:10086 tcp:10086", "OKAYOKAY",
         Frame("host-serial:S1:forward:tcp:10086;tcp:10086"), "keep"},
        {"quoted shell argument with a blank", L"shell ls \"/sdcard/My Files\"", "OKAYOKAY",
         any + Frame("shell:ls \"/sdcard/My Files\""), "keep"},
        {"empty shell argument is quoted", L"shell echo \"\"", "OKAYOKAY", any + Frame("shell:echo \"\""), "keep"},
        {"root with reply", L"root", "OKAYOKAYadbd is already running as root\n", any + Frame("root:"),
         "keepadbd is already running as root\n"},
        {"reboot into bootloader", L"reboot-bootloader", "OKAYOKAY", any + Frame("reboot:bootloader"), "keep"},
        {"server failure replaces the output", L"shell ls", "FAIL001ano devices/emulators found", any,
         "no devices/emulators found"},
        {"failure message capped at 255 bytes", L"shell ls", "OKAYFAIL0100" + fail255 + "Y",
         any + Frame("shell:ls"), fail255},
        {"bad status word leaves the output", L"devices", "OKAX", Frame("host:devices"), "keep"},
        {"failure length that is not hex", L"devices", "FAILzz12whatever", Frame("host:devices"),
         "protocol fault (status len)"},
        {"status cut short", L"devices", "OK", Frame("host:devices"), "protocol fault (no status)"},
        {"silent server times out", L"devices", "", Frame("host:devices"), "protocol fault (no status)"},
        {"text length that is not hex", L"devices", "OKAYzzzzabc", Frame("host:devices"), "keep"},
        {"text longer than the limit", L"devices", "OKAY0401" + std::string(0x401, 'a'), Frame("host:devices"), "keep"},
        {"text cut short", L"devices", "OKAY0010abc", Frame("host:devices"), "keep"},
        {"kill sends the request alone", L"kill-server", "", Frame("host:kill"), "keep"},
        {"wait-for-device waits for any", L"wait-for-device", "OKAYOKAY", Frame("host:wait-for-any"), "keep"},
    };
    for (const WireCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server(c.reply, c.reply.empty());
        std::string output = "keep";
        auto start = std::chrono::steady_clock::now();
        AdbRunCommandLine(c.line.c_str(), output);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(server.Received(), c.sent);
        EXPECT_EQ(output, c.output);
    }
}

// The bound (300 ms here) holds for the server's own answers only: a running
// service speaks when the phone has something to say, and its stream ends
// when the connection does.
TEST_F(AdbWire, RunningServicesWaitPastTheBoundUntilTheyEnd) {
    testsupport::ScratchDir dir;
    const std::wstring apk = dir.File(L"slow.apk");
    ASSERT_TRUE(testsupport::WriteFileBytes(apk, "PK\x03\x04 an apk"));
    const std::string okayOkay = "OKAYOKAY";
    const std::string fileMissing = "STAT" + Le32(0) + Le32(0) + Le32(0);
    const struct {
        const char* name;
        std::wstring line;
        std::string reply, later;
        std::string output;
    } cases[] = {
        {"install that answers late", L"shell pm install -r /data/local/tmp/slow.apk", okayOkay, "Success\n",
         "keepSuccess\n"},
        {"shell output that comes late", L"shell getprop ro.product.model", okayOkay, "MI 3\n", "keepMI 3\n"},
        {"phone that saves a pushed file slowly", L"push \"" + apk + L"\" /sdcard/slow.apk", okayOkay + fileMissing,
         "OKAY" + Le32(0), "keep"},
        {"connection that dies while the phone is silent", L"shell sleep 9", okayOkay, "", "keep"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server(c.reply, c.later, 1200);
        std::string output = "keep";
        auto start = std::chrono::steady_clock::now();
        AdbRunCommandLine(c.line.c_str(), output);
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(output, c.output);
        EXPECT_GE(took, std::chrono::milliseconds(1100));
        EXPECT_LT(took, std::chrono::seconds(10));
    }
}

TEST_F(AdbWire, ServiceOfExactly1024BytesIsSentAnd1025IsNot) {
    std::wstring a(255, L'a'), b(255, L'b'), c(255, L'c');
    std::wstring exact = L"shell " + a + L" " + b + L" " + c + L" " + std::wstring(250, L'd');
    {
        ScriptedServer server("OKAYOKAY");
        RunClientCommand(exact);
        std::string sent = server.Received();
        ASSERT_GE(sent.size(), 8u + Frame("host:transport-any").size());
        EXPECT_EQ(sent.substr(Frame("host:transport-any").size(), 4), "0400");
    }
    {
        ScriptedServer server("OKAYOKAY");
        RunClientCommand(exact + L"d");
        Sleep(100);
        EXPECT_EQ(server.Connections(), 0);
    }
}

// Command lines the client must refuse before it connects anywhere: nothing
// may be cut short into a different command.
TEST_F(AdbWire, RefusedLinesMakeNoConnection) {
    const std::wstring lines[] = {
        L"shell a b c d e f g h i j",  // eleven words
        L"shell " + std::wstring(256, L'x'),            // a word over 255 bytes
        L"devices -x",                                  // usage error
        L"reboot " + std::wstring(93, L'r'),            // over the 100-byte device command
        L"-s " + std::wstring(60, L'9') + L" forward tcp:1 tcp:2",  // prefix over 64 bytes
        L"forward --list --remove tcp:1",               // two options
        L"forward --bogus tcp:1 tcp:2",
        L"-P 0 devices",
        L"-P 70000 devices",
        L"-s",
        L"",
        L"install",
        L"uninstall -k com.example",
        L"ppp",
        L"no-such-command",
    };
    for (const std::wstring& line : lines) {
        SCOPED_TRACE(Utf8(line));
        ScriptedServer server("OKAYOKAY");
        EXPECT_EQ(RunClientCommand(line), "");
        Sleep(50);
        EXPECT_EQ(server.Connections(), 0);
    }
}

TEST_F(AdbWire, BrokenFramebufferHeadersWriteNoFile) {
    auto v1 = [](uint32_t bpp, uint32_t size, uint32_t w, uint32_t h, uint32_t redLength) {
        std::string s = Le32(1);
        for (uint32_t v : {bpp, size, w, h, 0u, redLength, 16u, 8u, 8u, 8u, 24u, 8u}) s += Le32(v);
        return s + std::string(64, '\0');
    };
    const struct {
        const char* name;
        std::string header;
    } cases[] = {
        {"size below width times height", Le32(16) + Le32(10) + Le32(480) + Le32(800) + std::string(10, '\0')},
        {"channel longer than 8 bits", v1(32, 16, 2, 2, 9)},
        {"24 bits per pixel", v1(24, 12, 2, 2, 8)},
        {"unknown version", Le32(2) + std::string(64, '\0')},
        {"pixels cut short", Le32(16) + Le32(8) + Le32(2) + Le32(2) + "abc"},
    };
    testsupport::ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server("OKAYOKAY" + c.header);
        std::wstring bmp = dir.File(L"shot.bmp");
        RunClientCommand(L"shortcut \"" + bmp + L"\"");
        EXPECT_FALSE(std::filesystem::exists(bmp));
    }
}

TEST_F(AdbWire, PullCutShortKeepsTheExistingLocalFile) {
    testsupport::ScratchDir dir;
    std::wstring local = dir.File(L"keep.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(local, "old contents"));
    std::string answer = "OKAYOKAY" + std::string("STAT") + Le32(0x81B0) + Le32(100) + Le32(0) + "DATA" + Le32(100) +
                         std::string(50, 'n');
    ScriptedServer server(answer);
    std::string output = RunClientCommand(L"pull /sdcard/keep.txt \"" + local + L"\"");
    EXPECT_EQ(ReadFileBytes(local), "old contents");
    EXPECT_FALSE(std::filesystem::exists(local + L".adbpart"));
}

}  // namespace
