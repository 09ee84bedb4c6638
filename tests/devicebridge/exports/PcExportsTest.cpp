// The driver and PC exports, called through Hemlar.dll as the programs call
// them, against the tool stand-ins.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "HemlarLibrary.h"
#include "TestPaths.h"
#include "ToolStandIns.h"

namespace {

using NoArgsFn = int(__cdecl*)();
using WideFn = int(__cdecl*)(const wchar_t*);
using TwoWideFn = int(__cdecl*)(const wchar_t*, const wchar_t*);
using NarrowOutFn = int(__cdecl*)(char*);
using WideOutFn = int(__cdecl*)(wchar_t*);
using PathOutFn = int(__cdecl*)(const wchar_t*, wchar_t*);
using NarrowFn = int(__cdecl*)(const char*);

using Calls = std::vector<std::string>;

class PcExports : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(hemlar.Loaded()); }

    template <typename Fn>
    Fn Export(const char* name) {
        Fn fn = hemlar.Get<Fn>(name);
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    HemlarLibrary hemlar;
    ToolStandIns tools;
};

TEST_F(PcExports, EveryExportIsFoundByName) {
    for (const char* name : {"ReScanDev", "IsDriverRun", "UpdateDriver", "InstallDriver", "CheckAndKillKoviAdb",
                             "GetHDiskMac", "GetWindowsVersion", "IsWindows64", "GetDevpBrandModel", "LaunchApp"})
        EXPECT_NE(hemlar.Get<void (*)()>(name), nullptr) << name;
}

TEST_F(PcExports, DriverCommandsRunTheMachinesDevconBuild) {
    const wchar_t* inf = L"C:\\drivers & more\\android_winusb.inf";
    const wchar_t* id = L"USB\\Class_FF&SubClass_42&Prot_01";
    EXPECT_EQ(Export<NoArgsFn>("ReScanDev")(), 1);
    EXPECT_EQ(Export<TwoWideFn>("UpdateDriver")(inf, id), 1);
    EXPECT_EQ(Export<TwoWideFn>("InstallDriver")(inf, id), 1);
    // Wine's prefix is 64-bit, so the x64 build runs.
    EXPECT_EQ(tools.Calls(), (Calls{
                                 "devcon_x64 rescan",
                                 "devcon_x64 update \"C:\\drivers & more\\android_winusb.inf\" \"USB\\Class_FF&SubClass_42&Prot_01\"",
                                 "devcon_x64 -r install  \"C:\\drivers & more\\android_winusb.inf\" \"USB\\Class_FF&SubClass_42&Prot_01\"",
                             }));
}

TEST_F(PcExports, DriverRunsOnlyWhenDevconSaysSo) {
    auto isDriverRun = Export<WideFn>("IsDriverRun");
    tools.Reply("devcon_x64", "PID_4EE2", "USB\\VID_18D1&PID_4EE2\\0123\n    Name: Nexus 5\n    Driver is running.\n");
    tools.Reply("devcon_x64", "PID_0001", "USB\\VID_18D1&PID_0001\\9\r\n    Device is disabled.\r\n");
    EXPECT_EQ(isDriverRun(L"USB\\VID_18D1&PID_4EE2"), 1);
    EXPECT_EQ(isDriverRun(L"USB\\VID_18D1&PID_0001"), 0);
    EXPECT_EQ(isDriverRun(L"USB\\VID_0000&PID_9999"), 0);  // devcon printed nothing
    EXPECT_EQ(tools.Calls()[0], "devcon_x64 status \"USB\\VID_18D1&PID_4EE2\"");
}

TEST_F(PcExports, KillsOnlyOtherProcessesListeningOnTheAdbPort) {
    const std::string self = std::to_string(GetCurrentProcessId());
    tools.Reply("netstat", "",
                "  TCP    0.0.0.0:5037           0.0.0.0:0              LISTENING       4242\n"
                "  TCP    127.0.0.1:5037         127.0.0.1:50001        ESTABLISHED     4242\n"
                "  TCP    127.0.0.1:50001        127.0.0.1:5037         ESTABLISHED     " + self + "\r\n"
                "  TCP    127.0.0.1:5037         127.0.0.1:50002        ESTABLISHED     " + self + "\r\n"
                "  TCP    0.0.0.0:50370          0.0.0.0:0              LISTENING       999\r\n"
                "  TCP    [::]:5037              [::]:0                 LISTENING       4343\r\n");
    EXPECT_EQ(Export<NoArgsFn>("CheckAndKillKoviAdb")(), 1);
    EXPECT_EQ(tools.Calls(), (Calls{"netstat -aon", "taskkill /f /pid \"4242\"", "taskkill /f /pid \"4343\""}));
}

TEST_F(PcExports, NothingOnTheAdbPortKillsNothing) {
    tools.Reply("netstat", "", "  TCP    0.0.0.0:135            0.0.0.0:0              LISTENING       88\r\n");
    EXPECT_EQ(Export<NoArgsFn>("CheckAndKillKoviAdb")(), 1);
    EXPECT_EQ(tools.Calls(), Calls{"netstat -aon"});
}

TEST_F(PcExports, MacAddressOfTheFirstAdapterWithATransport) {
    auto getMac = Export<NarrowOutFn>("GetHDiskMac");
    struct Case {
        const char* output;
        const char* buffer;
    } cases[] = {
        {"\r\nPhysical Address    Transport Name\r\n=================== =====\r\n"
         "00-15-5D-01-02-03   Media disconnected\r\n"
         "00-15-5D-0A-0B-0C   \\Device\\Tcpip_{4F2C}\r\n",
         "00-15-5D-0A-0B-0C"},
        {"Physical Address    Transport Name\n00-15-5D-01-02-05   \\Device\\Tcpip_{Y}\n", "00-15-5D-01-02-05"},
        {"Physical Address    Transport Name\r\nN/A   \\Device\r\n", "kept"},
        {"", "kept"},
    };
    for (const Case& c : cases) {
        ToolStandIns scenario;
        scenario.Reply("getmac", "", c.output);
        char buffer[260];
        std::memset(buffer, '#', sizeof buffer);
        std::strcpy(buffer, "kept");
        EXPECT_EQ(getMac(buffer), 1);
        EXPECT_STREQ(buffer, c.buffer);
        EXPECT_EQ(scenario.Calls(), Calls{"getmac "});
    }
}

TEST_F(PcExports, WindowsVersionFillsTheFirst260BytesOnly) {
    wchar_t buffer[260];
    std::wmemset(buffer, L'#', 260);
    EXPECT_EQ(Export<WideOutFn>("GetWindowsVersion")(buffer), 1);
    std::wstring name = buffer;
    EXPECT_EQ(name.rfind(L"Windows ", 0), 0u) << "name: " << testsupport::ToAnsi(name);
    for (size_t i = name.size(); i < 130; ++i) EXPECT_EQ(buffer[i], L'\0') << i;
    EXPECT_EQ(buffer[130], L'#');
}

TEST_F(PcExports, Windows64MeansA32BitProcessUnder64BitWindows) {
    EXPECT_EQ(Export<NoArgsFn>("IsWindows64")(), sizeof(void*) == 4 ? 1 : 0);
}

TEST_F(PcExports, LaunchAppReportsZeroWhenStarted) {
    auto launch = Export<NarrowFn>("LaunchApp");
    std::string program = testsupport::ToAnsi(testsupport::ProgramFolder()) + "AndroidTool\\devcon_x86.exe";
    EXPECT_EQ(launch(("\"" + program + "\" launched").c_str()), 0);
    for (int waited = 0; tools.Calls().empty() && waited < 5000; waited += 50) Sleep(50);
    EXPECT_EQ(tools.Calls(), Calls{"devcon_x86 launched"});
    EXPECT_EQ(launch(testsupport::ToAnsi(tools.Dir().File(L"missing.exe")).c_str()), 1);
    EXPECT_EQ(launch(""), 1);
}

TEST_F(PcExports, DeviceDescriptionFromTheMtpListing) {
    auto describe = Export<PathOutFn>("GetDevpBrandModel");
    tools.Reply("devcon_x64", "=wpd", "USB\\VID_18D1&PID_4EE2\\0123: Nexus 5\r\n1 matching device(s) found.\r\n");
    tools.Reply("devcon_x64", "*mtp", "USB\\VID_18D1&PID_4EE2\\0123: Nexus 5\r\n");
    wchar_t out[260] = L"kept";
    EXPECT_EQ(describe(L"\\\\?\\USB#VID_18D1&PID_4EE2#0123#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", out), 1);
    EXPECT_STREQ(out, L" Nexus 5\r\n");
    EXPECT_EQ(tools.Calls(), (Calls{"devcon_x64 find =wpd * ", "devcon_x64 find *mtp"}));

    std::wcscpy(out, L"kept");
    EXPECT_EQ(describe(L"\\\\?\\USB#VID_18D1#bad", out), 0);
    EXPECT_STREQ(out, L"kept");
    EXPECT_EQ(tools.Calls().size(), 2u);
}

TEST_F(PcExports, DeviceDescriptionWithoutPortableDevicesLeavesAListing) {
    std::filesystem::path listing = testsupport::ProgramFolder() + L"AndroidTool\\Zidezuvazu.txt";
    std::error_code ignored;
    std::filesystem::remove(listing, ignored);
    tools.Reply("devcon_x64", "VID_18D1&PID_4EE2*", "USB\\VID_18D1&PID_4EE2\\0123: Nexus 5\r\n");
    wchar_t out[260] = L"kept";
    EXPECT_EQ(Export<PathOutFn>("GetDevpBrandModel")(L"\\\\?\\USB#VID_18D1&PID_4EE2#0123", out), 0);
    EXPECT_STREQ(out, L"kept");
    for (int waited = 0; tools.Calls().size() < 2 && waited < 5000; waited += 50) Sleep(50);
    EXPECT_EQ(tools.Calls(), (Calls{"devcon_x64 find =wpd * ", "devcon_x64 find \"VID_18D1&PID_4EE2*\" "}));
    const std::string expected = "USB\\VID_18D1&PID_4EE2\\0123: Nexus 5\r\n";
    std::string text;
    for (int waited = 0; text != expected && waited < 5000; waited += 50) {
        Sleep(50);
        std::ifstream in(listing, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_EQ(text, expected);
    std::filesystem::remove(listing, ignored);
}

}  // namespace
