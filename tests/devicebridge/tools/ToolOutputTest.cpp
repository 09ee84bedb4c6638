// Readers of tool output, the Windows version table and the device
// description lookup, fed with the texts the tools print.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/DeviceConsole.h"
#include "phone/DeviceDescription.h"
#include "tools/ToolOutputParsers.h"
#include "tools/WindowsVersion.h"

namespace {

std::string WithLineEnds(const std::vector<std::string>& lines, const char* end) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

TEST(NetstatListing, OnlyProcessesWithTheExactLocalPort) {
    const std::vector<std::string> lines = {
        "",
        "  TCP    0.0.0.0:5037           0.0.0.0:0              LISTENING       4242",
        "  TCP    127.0.0.1:5037         127.0.0.1:49822        ESTABLISHED     4242",
        "  TCP    127.0.0.1:49822        127.0.0.1:5037         ESTABLISHED     777",  // a client: foreign port
        "  TCP    0.0.0.0:50370          0.0.0.0:0              LISTENING       999",  // another port
        "  TCP    10.0.0.2:15037         0.0.0.0:0              LISTENING       998",
        "  TCP    [::]:5037              [::]:0                 LISTENING       4243",
        "  UDP    0.0.0.0:5037           *:*                                    555",
        "  TCP    127.0.0.1:5037         0.0.0.0:0              LISTENING       0",
        "  TCP    127.0.0.1:5037         0.0.0.0:0              LISTENING       pid",
        "  TCP    127.0.0.1:5037",
        "TCP 127.0.0.1:5037 0.0.0.0:0 LISTENING 99999999999999999999",
    };
    const std::vector<unsigned long> expected = {4242, 4243};
    for (const char* end : {"\r\n", "\n"}) {
        EXPECT_EQ(ProcessesOnLocalPort(WithLineEnds(lines, end), "5037"), expected) << "line end " << (end[0] == '\r' ? "CRLF" : "LF");
    }
    EXPECT_TRUE(ProcessesOnLocalPort("", "5037").empty());
    EXPECT_TRUE(ProcessesOnLocalPort("  TCP    0.0.0.0:5037  0.0.0.0:0  LISTENING  12", "5038").empty());
}

TEST(GetmacListing, AddressOfTheFirstTransportLine) {
    const std::string header =
        "\r\nPhysical Address    Transport Name\r\n"
        "=================== ==========================================================\r\n";
    struct Case {
        const char* name;
        std::string output;
        const char* address;  // null: none
    } cases[] = {
        {"first adapter", header + "00-15-5D-01-02-03   \\Device\\Tcpip_{A1B2}\r\n00-15-5D-0A-0B-0C   \\Device\\Tcpip_{C3}\r\n",
         "00-15-5D-01-02-03"},
        {"first disconnected", header + "AA-BB-CC-DD-EE-FF   Media disconnected\r\n00-15-5d-01-02-04   \\Device\\Tcpip_{X}\r\n",
         "00-15-5d-01-02-04"},
        {"LF lines", "Physical Address    Transport Name\n00-15-5D-01-02-05   \\Device\\Tcpip_{Y}\n", "00-15-5D-01-02-05"},
        {"no transport", header + "AA-BB-CC-DD-EE-FF   Media disconnected\r\n", nullptr},
        {"empty", "", nullptr},
        {"backslash near the start", "ab\\cd", nullptr},
        {"backslash early on its line", std::string(40, '=') + "\r\nN/A \\Device\\Tcpip_{Z}\r\n", nullptr},
        {"not an address", header + "Disabled            \\Device\\Tcpip_{Q}\r\n", nullptr},
        {"other spacing", header + "00-15-5D-01-02-03 \\Device\\Tcpip_{A1B2}\r\n", nullptr},
    };
    for (const Case& c : cases) {
        std::string address = "untouched";
        bool found = FirstAdapterAddress(c.output, address);
        EXPECT_EQ(found, c.address != nullptr) << c.name;
        EXPECT_EQ(address, c.address ? c.address : "untouched") << c.name;
    }
}

WindowsVersionFacts Nt(DWORD major, DWORD minor, BYTE productType, WORD suites = 0) {
    WindowsVersionFacts f;
    f.major = major;
    f.minor = minor;
    f.productType = productType;
    f.suiteMask = suites;
    return f;
}

WindowsVersionFacts Plain(DWORD platform, DWORD major, DWORD minor, const wchar_t* servicePack) {
    WindowsVersionFacts f;
    f.extended = platform != VER_PLATFORM_WIN32_NT ? true : false;
    f.platformId = platform;
    f.major = major;
    f.minor = minor;
    f.servicePack = servicePack;
    return f;
}

template <typename Change>
WindowsVersionFacts With(WindowsVersionFacts f, Change change) {
    change(f);
    return f;
}

TEST(WindowsVersionTable, NamesEveryRowOfTheTable) {
    const BYTE ws = VER_NT_WORKSTATION, srv = VER_NT_SERVER, dc = VER_NT_DOMAIN_CONTROLLER;
    auto x64 = [](WindowsVersionFacts& f) { f.windows64 = true; };
    struct Row {
        WindowsVersionFacts facts;
        const wchar_t* name;
    } rows[] = {
        {Plain(VER_PLATFORM_WIN32s, 3, 11, L""), L"Windows 3.11"},
        {Plain(7, 8, 1, L""), L"Windows 8.1"},
        {Plain(VER_PLATFORM_WIN32_WINDOWS, 4, 0, L" C"), L"Windows 95 OSR2"},
        {Plain(VER_PLATFORM_WIN32_WINDOWS, 4, 0, L" B"), L"Windows 95 OSR2"},
        {Plain(VER_PLATFORM_WIN32_WINDOWS, 4, 0, L""), L"Windows 95"},
        {Plain(VER_PLATFORM_WIN32_WINDOWS, 4, 0, L"B"), L"Windows 95"},  // too short to hold the mark
        {Plain(VER_PLATFORM_WIN32_WINDOWS, 4, 10, L" A "), L"Windows 98 Second Edition"},
        {Plain(VER_PLATFORM_WIN32_WINDOWS, 4, 10, L""), L"Windows 98"},
        {Plain(VER_PLATFORM_WIN32_WINDOWS, 4, 90, L""), L"Windows Millenium Edition"},
        {Plain(VER_PLATFORM_WIN32_WINDOWS, 4, 3, L""), L""},
        {Nt(4, 0, srv), L"Windows NT 4.0 Server"},
        {Nt(4, 0, srv, VER_SUITE_ENTERPRISE), L"Windows NT 4.0 Server Enterprise Edition"},
        {Nt(4, 0, ws), L"Windows NT Workstation 4.0"},
        {Nt(3, 51, dc), L"Windows NT 3.51"},
        {Plain(VER_PLATFORM_WIN32_NT, 4, 0, L"Service Pack 6"), L"Windows NT 4.0 Service Pack 6"},
        {Nt(5, 0, ws), L"Windows 2000 Professional"},
        {Nt(5, 0, srv, VER_SUITE_ENTERPRISE), L"Windows 2000 Advanced Server"},
        {Nt(5, 0, srv, VER_SUITE_DATACENTER), L"Windows 2000 Datacenter Server"},
        {Nt(5, 0, srv), L"Windows 2000 Server"},
        {Nt(5, 0, dc), L"Windows 2000 Home Edition"},
        {Plain(VER_PLATFORM_WIN32_NT, 5, 0, L"Service Pack 4"), L"Windows 2000 Service Pack 4"},
        {Plain(VER_PLATFORM_WIN32_NT, 5, 1, L"Service Pack 2"), L"Windows XP Service Pack 2"},
        {With(Nt(5, 1, ws), [](WindowsVersionFacts& f) { f.servicePack = L"Service Pack 3"; }),
         L"Windows XP Professional Service Pack 3"},
        {With(Nt(5, 1, ws, VER_SUITE_PERSONAL), [](WindowsVersionFacts& f) { f.mediaCenter = true; }),
         L"Windows XP Media Center Edition"},
        {With(Nt(5, 1, ws, VER_SUITE_PERSONAL), [](WindowsVersionFacts& f) { f.starter = true; }),
         L"Windows XP Starter Edition"},
        {With(Nt(5, 1, ws, VER_SUITE_PERSONAL), [](WindowsVersionFacts& f) { f.tabletPc = true; }),
         L"Windows XP Tablet PC Edition"},
        {With(Nt(5, 1, ws, VER_SUITE_PERSONAL), [](WindowsVersionFacts& f) { f.servicePack = L"Service Pack 1"; }),
         L"Windows XP Home Edition Service Pack 1"},
        {Nt(5, 1, srv, VER_SUITE_EMBEDDEDNT), L"Windows XP Embedded Edition "},
        {Nt(5, 1, srv), L"Windows XP "},
        {Plain(VER_PLATFORM_WIN32_NT, 5, 2, L""), L"Windows 2003 family"},
        {Nt(5, 2, srv, VER_SUITE_BLADE), L"Windows Server 2003 Web Edition"},
        {With(Nt(5, 2, srv, VER_SUITE_BLADE), x64), L"Windows Server 2003 x64 Web Edition"},
        {With(Nt(5, 2, srv, VER_SUITE_ENTERPRISE), [](WindowsVersionFacts& f) { f.serverR2 = true; }),
         L"Windows Server 2003 R2 Enterprise Edition"},
        {With(Nt(5, 2, srv, VER_SUITE_DATACENTER), x64), L"Windows Server 2003 x64 Datacenter Edition"},
        {Nt(5, 2, srv), L"Windows Server 2003"},
        {Nt(5, 2, ws), L"Windows XP Professional x64 Edition"},
        {Nt(5, 3, ws), L"Windows 5.3"},
        {Plain(VER_PLATFORM_WIN32_NT, 6, 0, L"Service Pack 1"), L"Windows Longhorn Service Pack 1"},
        {Nt(6, 2, ws), L"Windows 7 32-bit"},
        {With(Nt(6, 0, ws), x64), L"Windows 7 64-bit"},
        {With(Nt(6, 1, ws), x64), L"Windows 7 64-bit"},
        {With(Nt(6, 3, ws), x64), L"Windows 7 64-bit"},
        {With(Nt(6, 2, ws), [](WindowsVersionFacts& f) { f.windows64 = true; f.kernel32Major = 10; }),
         L"Windows 10 64-bit"},
        {With(Nt(6, 2, ws), [](WindowsVersionFacts& f) { f.windows64 = true; f.kernel32Major = 6; }),
         L"Windows 8 64-bit"},
        {With(Nt(6, 4, ws), x64), L""},
        {Nt(6, 1, srv), L"Windows Server 2008"},
        {Nt(10, 0, ws), L"Windows 10.0"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WindowsVersionName(row.facts), row.name)
            << "platform " << row.facts.platformId << " version " << row.facts.major << "." << row.facts.minor;
    }
}

TEST(WindowsVersionTable, ThisMachineIsReadAndNamed) {
    WindowsVersionFacts facts;
    ASSERT_TRUE(ReadWindowsVersionFacts(facts));
    EXPECT_EQ(facts.platformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_TRUE(facts.windows64) << "Wine's prefix here is 64-bit";
    EXPECT_EQ(WindowsVersionName(facts).rfind(L"Windows ", 0), 0u);
}

TEST(DevconLines, InstallUsesTheBuildsOwnVerb) {
    EXPECT_EQ(InstallDriverArguments(true, L"C:\\drv\\a.inf", L"USB\\Class_FF"),
              L"-r install  \"C:\\drv\\a.inf\" \"USB\\Class_FF\"");
    EXPECT_EQ(InstallDriverArguments(false, L"C:\\drv\\a.inf", L"USB\\Class_FF"),
              L"update \"C:\\drv\\a.inf\" \"USB\\Class_FF\"");
    EXPECT_EQ(InstallDriverArguments(false, nullptr, nullptr), L"update \"\" \"\"");
}

TEST(UsbIdentity, TakenOnlyFromAWellFormedInterfacePath) {
    struct Case {
        const wchar_t* path;
        const wchar_t* identity;  // null: malformed
    } cases[] = {
        {L"\\\\?\\USB#VID_18D1&PID_4EE2#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", L"VID_18D1&PID_4EE2"},
        {L"\\\\?\\USB#VID_18D1&PID_4EE2", L"VID_18D1&PID_4EE2"},
        {L"\\\\?\\USB#VID_18D1&PID_4EE", nullptr},
        {L"\\\\?\\usb#vid_18d1&pid_4ee2#0123", nullptr},
        {L"PID_", nullptr},
        {L"", nullptr},
        {L"\\\\?\\USB#VID_18D1&XX&PID_4EE2#0123", nullptr},
        {L"\\\\?\\USB#VID_18G1&PID_4EE2#0123", nullptr},
    };
    for (const Case& c : cases) {
        std::wstring identity = L"untouched";
        EXPECT_EQ(UsbIdentityFromInterfacePath(c.path, identity), c.identity != nullptr);
        EXPECT_EQ(identity, c.identity ? c.identity : L"untouched");
    }
}

// Device manager replies by devcon argument, and what the lookup ran.
struct FakeDeviceManager {
    std::string wpd, mtp, hwids, devices;
    std::vector<std::wstring> ran;
    std::wstring listed;

    DeviceManagerTools Tools() {
        DeviceManagerTools tools;
        tools.devcon = [this](const std::wstring& arguments) {
            ran.push_back(arguments);
            if (arguments.find(L"=wpd") != std::wstring::npos) return wpd;
            if (arguments.find(L"*mtp") != std::wstring::npos) return mtp;
            return hwids;
        };
        tools.adbDevices = [this] { return devices; };
        tools.startListing = [this](const std::wstring& identity) { listed = identity; };
        return tools;
    }
};

const wchar_t kPath[] = L"\\\\?\\USB#VID_18D1&PID_4EE2#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST(DeviceDescription, LookupTable) {
    const std::string wpd = "USB\\VID_18D1&PID_4EE2\\0123: Nexus 5\r\n1 matching device(s) found.\r\n";
    struct Case {
        const char* name;
        FakeDeviceManager devices;
        bool system64;
        int result;
        const wchar_t* text;  // null: buffer untouched
        size_t devconRuns;
    } cases[] = {
        {"32-bit Windows", {wpd, wpd, "", ""}, false, 1, nullptr, 0},
        {"no portable devices: listing left behind", {"", "", "", ""}, true, 0, nullptr, 1},
        {"found among MTP devices", {wpd, "USB\\VID_18D1&PID_4EE2\\0123: Nexus 5\r\n", "", ""}, true, 1,
         L" Nexus 5\r\n", 2},
        {"MTP listing without a colon, no phone listed by adb", {wpd, "USB\\VID_18D1&PID_4EE2", "", ""}, true, 0,
         nullptr, 2},
        {"other MTP device, no phone listed by adb", {wpd, "USB\\VID_04E8&PID_6860\\x: Galaxy\r\n", "", ""}, true,
         0, nullptr, 2},
        {"hardware ids name it", {wpd, "", "USB\\VID_18D1&PID_4EE2\\Nexus\r\n    Name: Nexus 5\r\n", "0123\tdevice\n"},
         true, 1, L"Nexus\r\n    Name: Nexus 5\r\n", 3},
        {"hardware ids start with the instance number",
         {wpd, "", "USB\\VID_18D1&PID_4EE2\\0123456789\r\n", "0123\tdevice\n"}, true, 0, L"0123456789\r\n", 3},
        {"hardware ids cut short after the identity", {wpd, "", "USB\\VID_18D1&PID_4EE2\\", "0123\tdevice\n"},
         true, 0, nullptr, 3},
        {"hardware ids do not know it", {wpd, "", "No matching devices found.\r\n", "0123\tdevice\n"}, true, 0,
         nullptr, 3},
    };
    for (Case& c : cases) {
        wchar_t out[260];
        std::wmemset(out, L'#', 260);
        EXPECT_EQ(DescribeDevice(kPath, out, c.system64, c.devices.Tools()), c.result) << c.name;
        EXPECT_EQ(std::wstring(out, c.text ? std::wcslen(out) : 3), c.text ? c.text : L"###") << c.name;
        EXPECT_EQ(c.devices.ran.size(), c.devconRuns) << c.name;
    }
}

TEST(DeviceDescription, MalformedPathRunsNothing) {
    FakeDeviceManager devices;
    wchar_t out[260] = L"kept";
    EXPECT_EQ(DescribeDevice(L"\\\\?\\USB#VID_18D1", out, true, devices.Tools()), 0);
    EXPECT_EQ(DescribeDevice(nullptr, out, true, devices.Tools()), 0);
    EXPECT_STREQ(out, L"kept");
    EXPECT_TRUE(devices.ran.empty());
}

TEST(DeviceDescription, LongDescriptionIsCutToTheBuffer) {
    FakeDeviceManager devices{"x", "VID_18D1&PID_4EE2:" + std::string(400, 'd'), "", ""};
    wchar_t out[300];
    std::wmemset(out, L'#', 300);
    EXPECT_EQ(DescribeDevice(kPath, out, true, devices.Tools()), 1);
    EXPECT_EQ(std::wcslen(out), 259u);
    EXPECT_EQ(out[260], L'#');
}

}  // namespace
