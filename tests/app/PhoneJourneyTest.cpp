// The real Torvanik.exe with the phone, the web service, the plug-in and the
// downloader all stood in for: start-up report, a phone present at start, a
// USB arrival and removal, packages handed to the downloader, install
// requests passed to the plug-in, and the offline dialog with its retry.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "AdbTestPeers.h"
#include "ChildProcess.h"
#include "TestPaths.h"
#include "ToolStandIns.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "WebServicePeer.h"
#include "ZipWriter.h"
#include "device/DeviceBridge.h"
#include "net/ApiRequests.h"
#include "record/PackageRecord.h"
#include "win32/TextConvert.h"

using apptest::TorvanikProcess;
using testpeers::WebServicePeer;

namespace {

const wchar_t kPhonePath[] = L"\\\\?\\USB#VID_18D1&PID_4EE7#JOURNEY01#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
const GUID kUsbClass = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void SendDeviceChange(HWND frame, WPARAM event, const GUID& cls, const std::wstring& path);

struct JourneyFixture : ::testing::Test {
    AdbServerPeer adb;
    ToolStandIns tools;  // devcon lists the phone's ADB interface
    WebServicePeer web;
    testsupport::ScratchDir dir;
    std::string model;

    void SetUp() override {
        ASSERT_TRUE(apptest::CopyInstallation(dir.Path()));
        const std::wstring bin = testsupport::ProgramFolder();
        ASSERT_TRUE(CopyFileW((bin + L"plugin_standin.dll").c_str(), dir.File(L"Brevlin.dll").c_str(), FALSE));
        CreateDirectoryW(dir.File(L"DownModule").c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((bin + L"downloader_standin.exe").c_str(), dir.File(L"DownModule\\Pellarine_u.exe").c_str(),
                              FALSE));
        for (const char* name : {"TORVANIK_API_HOST", "TORVANIK_PAGE_HOST", "TORVANIK_PROBE_HOST"})
            SetEnvironmentVariableA(name, web.HostAndPort().c_str());
        SetEnvironmentVariableW(L"TORVANIK_PLUGIN_LOG", dir.File(L"plugin.log").c_str());
        SetEnvironmentVariableW(L"TORVANIK_DOWNLOADER_LOG", dir.File(L"downloader.log").c_str());
        web.SetHtml("", "<title>推荐</title>");
        web.SetHtml("svapp/", "<title>应用中心</title>");
        adb.SetScenario("state=device\nserial=JOURNEY01\nprop.ro.product.model=MI 4LTE\n");
        for (const char* devcon : {"devcon_x64", "devcon_x86"})
            tools.Reply(devcon, "Class_FF", "USB\\VID_18D1&PID_4EE7&MI_01\\JOURNEY01\r\n    Name: ADB Interface\r\n");
        HMODULE hemlar = LoadLibraryW(L"Hemlar.dll");
        ASSERT_NE(nullptr, hemlar);
        model = WideToAnsi(DeviceBridge(hemlar).PhoneVersion());
        web.SetJson(ShuajiPath("18D1", "4EE7", model),
                    u8R"({"manufactory":"小米","model":"MI 4LTE","recovery_url":"http://127.0.0.1/rec.img",)"
                    u8R"("largeIconPath":"","phoneType_id":"31","sid":"s31"})");
    }
    void TearDown() override {
        if (HWND downloader = FindWindowW(L"CPellarinesFrame", L"Downloader")) SendMessageW(downloader, WM_CLOSE, 0, 0);
        for (const char* name : {"TORVANIK_API_HOST", "TORVANIK_PAGE_HOST", "TORVANIK_PROBE_HOST",
                                 "TORVANIK_PLUGIN_LOG", "TORVANIK_DOWNLOADER_LOG"})
            SetEnvironmentVariableA(name, nullptr);
    }
    std::vector<std::string> PluginLines(const std::string& type) const {
        std::vector<std::string> found;
        for (const std::string& line : Lines(testsupport::ReadFileBytes(dir.File(L"plugin.log"))))
            if (line.compare(0, type.size() + 1, type + "\t") == 0) found.push_back(line);
        return found;
    }
    bool WaitForPlugin(const std::string& type, size_t count, DWORD timeoutMs = 30000) const {
        return uiharness::PumpUntil([&] { return PluginLines(type).size() >= count; }, timeoutMs);
    }
    std::vector<std::string> DownloaderLines() const {
        return Lines(testsupport::ReadFileBytes(dir.File(L"downloader.log")));
    }
    // The phone present at start is identified at the end of the start-up
    // report, after its requests and after three tool programs that Wine
    // starts one after another (getmac, the adb server's own client, devcon,
    // each through cmd); on a machine busy with other Wine programs one such
    // start takes seconds (devcon alone 5-8 s measured), so the program needs
    // 10-18 s from its frame to the phone there. The budget leaves room for
    // that, and a miss says how far the program got.
    ::testing::AssertionResult WaitForPhoneAtStart(DWORD timeoutMs = 90000) const {
        if (WaitForPlugin("romflash_connect", 1, timeoutMs)) return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure() << "no phone within " << timeoutMs / 1000 << " s; reached:";
        for (const char* step : {"index.php?c=feedback&a=getRomDownUrl&id=none", "api/getRecommendNews/", "api/getApp/"})
            failure << " " << step << (WebSaw(step) ? " yes," : " no,");
        for (const std::string& call : tools.Calls()) failure << " tool " << call << ",";
        failure << " adb requests " << adb.Requests().size() << ", identification "
                << (WebSaw(ShuajiPath("18D1", "4EE7", model)) ? "asked" : "not asked");
        return failure;
    }
    bool WebSaw(const std::string& path) const {
        auto requests = web.Requests();
        return std::any_of(requests.begin(), requests.end(), [&](auto& r) { return r.path == path; });
    }
    bool WaitForWeb(const std::string& path, DWORD timeoutMs = 20000) const {
        return uiharness::PumpUntil([&] { return WebSaw(path); }, timeoutMs);
    }
    // Another device's removal leaves the connected phone alone; the phone's
    // own removal disconnects it and forgets its name.
    void ExpectOnlyThePhonesRemovalDisconnects(HWND frame, const std::wstring& otherDevice) const {
        SendDeviceChange(frame, DBT_DEVICEREMOVECOMPLETE, kUsbClass, otherDevice);
        uiharness::PumpFor(500);
        EXPECT_TRUE(PluginLines("romflash_Disconnect").empty());
        SendDeviceChange(frame, DBT_DEVICEREMOVECOMPLETE, kUsbClass, kPhonePath);
        ASSERT_TRUE(WaitForPlugin("romflash_Disconnect", 1, 5000));
        EXPECT_EQ(0u, PluginLines("romflash_Disconnect")[0].find("romflash_Disconnect\t\t\t\t"));
    }
};

void SendDeviceChange(HWND frame, WPARAM event, const GUID& cls, const std::wstring& path) {
    std::vector<unsigned char> block(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                                     (path.size() + 1) * sizeof(wchar_t), 0);
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(block.data());
    broadcast->dbcc_size = static_cast<DWORD>(block.size());
    broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    broadcast->dbcc_classguid = cls;
    std::memcpy(broadcast->dbcc_name, path.c_str(), path.size() * sizeof(wchar_t));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(frame, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(block.data()), SMTO_NORMAL, 10000,
                        &result);
}

// What a proxy in front of the service answers when the service is down.
WebServicePeer::Reply BadGateway() {
    WebServicePeer::Reply reply;
    reply.status = 502;
    reply.body = "<html><body>502 Bad Gateway</body></html>";
    reply.contentType = "text/html";
    return reply;
}

bool SendRecord(HWND frame, const PackageRecord& record) {
    COPYDATASTRUCT data = {};
    data.cbData = sizeof record;
    data.lpData = const_cast<PackageRecord*>(&record);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000, &result);
}

PackageRecord InstallRequest(const char* type, const char* path) {
    PackageRecord record;
    std::memset(&record, 0, sizeof record);
    strcpy(record.Type, type);
    strcpy(record.ObjectUrl, path);
    reinterpret_cast<char*>(&record)[kPackageInstallMarkerOffset] = kPackageInstallMarker;
    return record;
}

}  // namespace

TEST_F(JourneyFixture, StartUpReportsToTheServiceAndIdentifiesThePhonePresent) {
    web.SetJson("index.php?c=feedback&a=getRomDownUrl&id=none",
                u8R"({"id":"5","name":"推荐ROM","trueUrl":"http://127.0.0.1/rom.zip","img":"","size":"9",)"
                u8R"("type":"0","hash":"h","msg":"m","error":"-1","changeUrl":""})");
    TorvanikProcess torvanik(dir.Path());
    ASSERT_NE(nullptr, torvanik.WaitForFrame());
    EXPECT_TRUE(WaitForWeb("api/getRecommendNews/"));
    EXPECT_TRUE(WaitForWeb("api/getApp/"));
    EXPECT_TRUE(WaitForWeb(ShuajiPath("18D1", "4EE7", model)));
    ASSERT_TRUE(WaitForPhoneAtStart());
    const std::string line = PluginLines("romflash_connect")[0];
    EXPECT_EQ(u8"romflash_connect\thttp://127.0.0.1/rec.img\t31,s31\t小米 MI 4LTE\t小米 MI 4LTE 已连接", line);
    // The recommended ROM went to the downloader, which was started for it.
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !DownloaderLines().empty(); }, 20000));
    EXPECT_EQ(u8"5|推荐ROM|http://127.0.0.1/rom.zip||9|0|h|m|-1|0", DownloaderLines()[0]);
}

TEST_F(JourneyFixture, AUsbArrivalConnectsAndOnlyThePhonesRemovalDisconnects) {
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitForPhoneAtStart());

    // A mouse is no phone: no driver query follows.
    const GUID hid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    SendDeviceChange(frame, DBT_DEVICEARRIVAL, hid, L"\\\\?\\HID#VID_046D&PID_C077#7&1#{4d1e55b2}");
    SendDeviceChange(frame, DBT_DEVICEARRIVAL, kUsbClass, kPhonePath);
    EXPECT_TRUE(WaitForWeb(DriversPath("18D1", "4EE7")));
    ASSERT_TRUE(WaitForPlugin("romflash_connect", 2));
    EXPECT_FALSE(WebSaw(DriversPath("046D", "C077")));

    ExpectOnlyThePhonesRemovalDisconnects(
        frame, L"\\\\?\\USB#VID_18D1&PID_4EE7#ANOTHER#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
}

TEST_F(JourneyFixture, LocalRequestsReachTheDownloaderAndInstallRequestsThePlugin) {
    // The recovery archive: a script, a folder, and an entry that tries to leave.
    testsupport::ZipWriter zip;
    zip.Add("brush.bat", "@echo flash\r\n");
    zip.AddDirectory("bin/");
    zip.Add("bin/tool.txt", "tool");
    CreateDirectoryW(dir.File(L"DownModule\\downloads").c_str(), nullptr);
    testsupport::WriteFileBytes(dir.File(L"DownModule\\downloads\\recovery.zip"), zip.Build());

    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    // The start-up probe's tools have run once the phone is known; the
    // program is not ended while they run.
    ASSERT_TRUE(WaitForPhoneAtStart());
    testsupport::ChildProcess downloader(L"\"" + dir.File(L"DownModule\\Pellarine_u.exe") + L"\"");
    ASSERT_TRUE(downloader.Started());
    ASSERT_TRUE(uiharness::PumpUntil([] { return FindWindowW(L"CPellarinesFrame", L"Downloader") != nullptr; }, 10000));

    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const DWORD echoWaitMs = 10000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&echoWaitMs), sizeof echoWaitMs);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(12345);
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(0, connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to));
    const std::string request = u8R"({"name":"应用","type":"1r","trueUrl":"http://127.0.0.1/a.apk","size":"7","error":"-1"})";
    send(s, request.data(), static_cast<int>(request.size()), 0);
    std::string echo(request.size(), '\0');
    int got = 0;
    while (got < static_cast<int>(echo.size())) {
        const int n = recv(s, &echo[got], static_cast<int>(echo.size()) - got, 0);
        if (n <= 0) break;
        got += n;
    }
    closesocket(s);
    EXPECT_EQ(request, echo);
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !DownloaderLines().empty(); }, 10000));
    EXPECT_EQ(u8"|应用|http://127.0.0.1/a.apk||7|1r|||-1|0", DownloaderLines().back());

    ASSERT_TRUE(SendRecord(frame, InstallRequest("0", "C:\\rom.zip")));
    ASSERT_TRUE(SendRecord(frame, InstallRequest("-1", "")));
    ASSERT_TRUE(WaitForPlugin("romflash_update_downloader", 2, 10000));
    const auto updates = PluginLines("romflash_update_downloader");
    EXPECT_EQ(0u, updates[0].find("romflash_update_downloader\t0|C:\\rom.zip|\t")) << updates[0];
    const std::string tools = WideToUtf8(dir.File(L"Rirorivuvi\\brush.bat"));
    EXPECT_NE(std::string::npos, updates[1].find("-1|" + tools + "|3")) << updates[1];
    EXPECT_TRUE(testsupport::PathExists(dir.File(L"Rirorivuvi\\bin\\tool.txt")));
}

TEST_F(JourneyFixture, AnOfflinePhoneGivesItsDialogAndRetryConnectsAgain) {
    adb.SetScenario("state=offline\nserial=JOURNEY01\n");
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    SendDeviceChange(frame, DBT_DEVICEARRIVAL, kUsbClass, kPhonePath);
    HWND offline = nullptr;
    ASSERT_TRUE(uiharness::PumpUntil(
        [&] { return (offline = FindWindowW(L"PhoneOffline", L"OffLine")) != nullptr && IsWindowVisible(offline); },
        30000));
    PostMessageW(offline, WM_CLOSE, 1, 0);
    ASSERT_TRUE(uiharness::PumpUntil([] { return FindWindowW(L"PhoneOffline", L"OffLine") == nullptr; }, 10000));
    adb.ClearRequests();
    PostMessageW(frame, WM_USER + 1000, 1, 0);  // what the dialog's retry button posts
    ASSERT_TRUE(uiharness::PumpUntil([&] { return FindWindowW(L"PhoneOffline", L"OffLine") != nullptr; }, 30000));
    PostMessageW(FindWindowW(L"PhoneOffline", L"OffLine"), WM_CLOSE, 1, 0);
}

namespace {

// A real click at a point of a window's client area, from this process.
void ClickAt(HWND window, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_MOUSEMOVE, 0, at, SMTO_NORMAL, 5000, &result);
    SendMessageTimeoutW(window, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_NORMAL, 5000, &result);
    PostMessageW(window, WM_LBUTTONUP, 0, at);  // a modal dialog may open on the release
}

// The frame's tab options in the caption bar: 84 wide, 2 apart, after the logo.
POINT TabOption(int index) { return {184 + index * 86 + 42, 61}; }

bool VisibleWindow(const wchar_t* cls, const wchar_t* title) {
    HWND hwnd = FindWindowW(cls, title);
    return hwnd && IsWindowVisible(hwnd);
}

}  // namespace

TEST_F(JourneyFixture, WithoutNetworkTheWebTabsShowOneNetworkFailureDialog) {
    SetEnvironmentVariableA("TORVANIK_PROBE_HOST", "127.0.0.1:1");  // the probe host gives nothing
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    uiharness::PumpFor(1000);
    EXPECT_FALSE(VisibleWindow(L"ConnectFailDialog", L"NetFail"));  // nothing before a web tab opens
    const POINT need = TabOption(2), apps = TabOption(3);
    ClickAt(frame, need.x, need.y);
    ASSERT_TRUE(uiharness::PumpUntil([] { return VisibleWindow(L"ConnectFailDialog", L"NetFail"); }, 20000));
    // A second web tab's probe fails too, but the dialog already tells it.
    ClickAt(frame, apps.x, apps.y);
    uiharness::PumpFor(2000);
    int dialogs = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"ConnectFailDialog", L"NetFail")) != nullptr;) ++dialogs;
    EXPECT_EQ(1, dialogs);
    PostMessageW(FindWindowW(L"ConnectFailDialog", L"NetFail"), WM_CLOSE, 1, 0);
    EXPECT_TRUE(uiharness::PumpUntil([] { return FindWindowW(L"ConnectFailDialog", L"NetFail") == nullptr; }, 10000));

    // "官方网站" opens the site in the browser; the tabs show the same
    // highlight as before, on the shown page's option, not on the site's.
    auto tabsShown = [&] {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(frame, WM_MOUSEMOVE, 0, MAKELPARAM(400, 300), SMTO_NORMAL, 5000, &result);
        uiharness::PumpFor(1000);
        const uiharness::Snapshot shot = uiharness::CaptureScreen(frame);
        std::vector<DWORD> backgrounds;  // a point of each option's background, clear of its icon and text
        for (int i = 0; i < 6; ++i) backgrounds.push_back(shot.At(TabOption(i).x - 32, 30));
        return backgrounds;
    };
    const std::vector<DWORD> before = tabsShown();
    const POINT site = TabOption(5);
    ClickAt(frame, site.x, site.y);
    uiharness::PumpFor(1000);
    EXPECT_EQ(before, tabsShown());
}

TEST_F(JourneyFixture, AnAbsentPhoneGivesTheConnectFailDialogAndItsRetryConnects) {
    adb.SetScenario("state=none\n");
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    SendDeviceChange(frame, DBT_DEVICEARRIVAL, kUsbClass, kPhonePath);
    ASSERT_TRUE(
        uiharness::PumpUntil([] { return VisibleWindow(L"ConnectFailDialog", L"ConnectFailDialog"); }, 60000));
    EXPECT_TRUE(PluginLines("romflash_connect").empty());
    // The phone answers now; the dialog's retry button connects again.
    adb.SetScenario("state=device\nserial=JOURNEY01\nprop.ro.product.model=MI 4LTE\n");
    uiharness::PumpFor(500);
    ClickAt(FindWindowW(L"ConnectFailDialog", L"ConnectFailDialog"), 306, 180);
    ASSERT_TRUE(WaitForPlugin("romflash_connect", 1, 60000));
    EXPECT_EQ(0u, PluginLines("romflash_connect")[0].find(u8"romflash_connect\thttp://127.0.0.1/rec.img\t31,s31"));
    EXPECT_TRUE(uiharness::PumpUntil([] { return FindWindowW(L"ConnectFailDialog", L"ConnectFailDialog") == nullptr; },
                                     10000));
}

TEST_F(JourneyFixture, ARecommendedAppClickStartsTheDownloaderHandsItTheAppAndCountsIt) {
    web.SetJson("api/getApp/", u8R"([{"name":"微信","img":"http://)" + web.HostAndPort() +
                                   u8R"(/icons/none.png","trueUrl":"http://127.0.0.1/wx.apk","id":"77","type":"1",)"
                                   u8R"("size":"30","hash":"hh","msg":"m","error":"-1"}])");
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitForWeb("api/getApp/"));
    uiharness::PumpFor(1500);  // the app's button is added
    const POINT need = TabOption(2);
    ClickAt(frame, need.x, need.y);
    uiharness::PumpFor(500);
    ClickAt(frame, 49, 188);  // the first recommended app, at the top of the page's left column
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !DownloaderLines().empty(); }, 20000));
    EXPECT_EQ(u8"77|微信|http://127.0.0.1/wx.apk|http://" + web.HostAndPort() + "/icons/none.png|30|1|hh|m|-1|0",
              DownloaderLines()[0]);
    EXPECT_TRUE(WaitForWeb("index.php?c=feedback&a=appDownloadCount&id=77"));
    EXPECT_FALSE(VisibleWindow(L"ConnectFailDialog", L"NetFail"));  // the probe host answered
}

TEST_F(JourneyFixture, ATypeFourPackageWithoutAPhoneOpensNothingAndAppliesForNothing) {
    adb.SetScenario("state=none\n");
    web.SetJson("index.php?c=feedback&a=getRomDownUrl&id=none",
                u8R"({"id":"9","name":"未适配","trueUrl":"","img":"","size":"0","type":"4","hash":"","msg":"",)"
                u8R"("error":"-1","changeUrl":""})");
    TorvanikProcess torvanik(dir.Path());
    ASSERT_NE(nullptr, torvanik.WaitForFrame());
    // The start-up report goes straight on: nothing holds it.
    EXPECT_TRUE(WaitForWeb("api/getApp/"));
    uiharness::PumpFor(1500);
    EXPECT_EQ(nullptr, FindWindowW(L"ApplyPhoneRom", L"ApplyPhoneRom"));
    auto requests = web.Requests();
    EXPECT_TRUE(std::none_of(requests.begin(), requests.end(), [](auto& r) {
        return r.path.find("a=applyModel") != std::string::npos;
    }));
    EXPECT_TRUE(DownloaderLines().empty());
}

TEST_F(JourneyFixture, AnUnparsableRomReplySendsNothingToTheDownloader) {
    web.SetReply("index.php?c=feedback&a=getRomDownUrl&id=none", BadGateway());
    TorvanikProcess torvanik(dir.Path());
    ASSERT_NE(nullptr, torvanik.WaitForFrame());
    // The report has passed the ROM, the news, the apps and the phone.
    ASSERT_TRUE(WaitForPhoneAtStart());
    uiharness::PumpFor(1500);
    EXPECT_TRUE(DownloaderLines().empty());
    EXPECT_EQ(nullptr, FindWindowW(L"CPellarinesFrame", L"Downloader"));  // not even started for it
}

namespace {

bool AdbSaw(const AdbServerPeer& adb, const std::string& text) {
    const auto requests = adb.Requests();
    return std::any_of(requests.begin(), requests.end(),
                       [&](const std::string& r) { return r.find(text) != std::string::npos; });
}

void SavePanel(HWND frame, const wchar_t* name) {
    uiharness::PumpFor(1500);  // the panel and the news pane have painted
    const uiharness::Snapshot shot = uiharness::CaptureScreen(frame);
    apptest::SaveScreenshot(name, shot.width, shot.height, shot.pixels);
}

}  // namespace

TEST_F(JourneyFixture, APhonePresentAtStartIsDisconnectedByItsRemoval) {
    web.SetHtml("svexe/index/sid/s31.html", u8"<title>小米 MI 4LTE 资讯</title>");
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    SavePanel(frame, L"myphone-identifying.png");
    ASSERT_TRUE(WaitForPhoneAtStart());
    EXPECT_TRUE(WaitForWeb("svexe/index/sid/s31.html"));
    SavePanel(frame, L"myphone-connected.png");

    // Found without a USB arrival: a device with other ids is not the phone,
    // one with its ids is.
    ExpectOnlyThePhonesRemovalDisconnects(
        frame, L"\\\\?\\USB#VID_046D&PID_C52B#5&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    SavePanel(frame, L"myphone-disconnected.png");
    // Gone is gone: the same removal again tells the plug-in nothing more.
    SendDeviceChange(frame, DBT_DEVICEREMOVECOMPLETE, kUsbClass, kPhonePath);
    uiharness::PumpFor(500);
    EXPECT_EQ(1u, PluginLines("romflash_Disconnect").size());
}

TEST_F(JourneyFixture, APhoneUnpluggedWhileBeingIdentifiedIsNotShownConnectedWhenTheAnswerComes) {
    WebServicePeer::Reply slow;
    slow.body = u8R"({"manufactory":"小米","model":"MI 4LTE","recovery_url":"http://127.0.0.1/rec.img",)"
                u8R"("largeIconPath":"","phoneType_id":"31","sid":"s31"})";
    slow.stallAfterHeadersMs = 6000;
    web.SetReply(ShuajiPath("18D1", "4EE7", model), slow);
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitForWeb(ShuajiPath("18D1", "4EE7", model), 60000));  // the phone is being identified
    SendDeviceChange(frame, DBT_DEVICEREMOVECOMPLETE, kUsbClass, kPhonePath);
    ASSERT_TRUE(WaitForPlugin("romflash_Disconnect", 1, 5000));
    // The answer comes; the worker reports and then goes on to start the
    // companion app, which the phone stand-in sees.
    ASSERT_TRUE(uiharness::PumpUntil([&] { return AdbSaw(adb, "am start --user 0 -n com.vandrell.mrtq"); }, 30000));
    uiharness::PumpFor(1500);
    EXPECT_TRUE(PluginLines("romflash_connect").empty());
}

TEST_F(JourneyFixture, AnUnreadableIdentificationShowsThePhoneByItsModelAndConnectingAgainAsksAgain) {
    web.SetReply(ShuajiPath("18D1", "4EE7", model), BadGateway());
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WaitForPhoneAtStart());
    EXPECT_EQ("romflash_connect\t\t,\t" + model + "\t" + model + u8" 已连接", PluginLines("romflash_connect")[0]);

    // The service answers again; the plug-in's connect request queries again.
    web.SetJson(ShuajiPath("18D1", "4EE7", model),
                u8R"({"manufactory":"小米","model":"MI 4LTE","recovery_url":"http://127.0.0.1/rec.img",)"
                u8R"("largeIconPath":"","phoneType_id":"31","sid":"s31"})");
    DWORD_PTR result = 0;
    SendMessageTimeoutW(frame, WM_USER + 506, 0, 0, SMTO_NORMAL, 10000, &result);
    ASSERT_TRUE(WaitForPlugin("romflash_connect", 2));
    EXPECT_EQ(u8"romflash_connect\thttp://127.0.0.1/rec.img\t31,s31\t小米 MI 4LTE\t小米 MI 4LTE 已连接",
              PluginLines("romflash_connect")[1]);
    EXPECT_EQ(nullptr, FindWindowW(L"ConnectFailDialog", L"ConnectFailDialog"));
}
