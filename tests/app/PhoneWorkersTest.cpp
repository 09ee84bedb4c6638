// The connection workers on the test's own thread, with the real device
// library against the adb server peer, the web service peer, the devcon
// stand-in, and a device list whose ADB interface has a chosen status.
#include <gtest/gtest.h>

#include <windows.h>
#include <cfgmgr32.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "AdbTestPeers.h"
#include "TestPaths.h"
#include "ToolStandIns.h"
#include "WebServicePeer.h"
#include "ZipWriter.h"
#include "connect/PhoneConnectRecord.h"
#include "connect/PhoneWorkers.h"
#include "device/DeviceBridge.h"
#include "messages/AppMessages.h"
#include "net/ApiRequests.h"
#include "win32/TextConvert.h"

using testpeers::WebServicePeer;

namespace {

// The phone's ADB interface and a storage interface, as the system lists them.
class ListedDevices : public IDeviceEnumerator {
public:
    explicit ListedDevices(ULONG adbStatus) : adbStatus_(adbStatus) {}
    std::vector<UsbDeviceNode> PresentUsbDevices() override {
        return {{L"USB\\VID_18D1&PID_4EE7&MI_00", L"USB\\Class_08&SubClass_06&Prot_50", L"USB\\STORAGE\\1"},
                {L"USB\\VID_18D1&PID_4EE7&MI_01", L"USB\\Class_ff&SubClass_42&Prot_01", L"USB\\ADB\\1"}};
    }
    bool NodeStatus(const std::wstring& instanceId, ULONG& status) override {
        asked.push_back(instanceId);
        status = instanceId == L"USB\\ADB\\1" ? adbStatus_ : DN_DRIVER_LOADED;
        return true;
    }
    std::vector<std::wstring> asked;

private:
    ULONG adbStatus_;
};

// Takes the workers' posted messages off the test thread's queue.
struct Posted {
    UINT message;
    std::unique_ptr<PhoneConnectReport> report;
};

std::vector<Posted> TakePosted(HWND window) {
    std::vector<Posted> posted;
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
        Posted p{msg.message, nullptr};
        if (msg.message == appmsg::kPhoneConnect) p.report.reset(reinterpret_cast<PhoneConnectReport*>(msg.wParam));
        posted.push_back(std::move(p));
    }
    return posted;
}

std::vector<UINT> Messages(const std::vector<Posted>& posted) {
    std::vector<UINT> messages;
    for (const auto& p : posted) messages.push_back(p.message);
    return messages;
}

struct PhoneWorkersFixture : ::testing::Test {
    AdbServerPeer adb;
    ToolStandIns tools;
    WebServicePeer web;
    testsupport::ScratchDir temp;
    HMODULE hemlar = LoadLibraryW(L"Hemlar.dll");
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::string model;

    void SetUp() override {
        ASSERT_NE(nullptr, hemlar);
        adb.SetScenario("state=device\nserial=WORKER0001\nprop.ro.product.model=MI 4LTE\nprop.ro.product.brand=Xiaomi\n");
        model = WideToAnsi(DeviceBridge(hemlar).PhoneVersion());
        ASSERT_FALSE(model.empty());
        testsupport::ZipWriter zip;
        zip.Add("android_winusb.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
        zip.AddDirectory("amd64/");
        zip.Add("amd64/WdfCoInstaller01009.dll", std::string(3000, 'w'));
        testsupport::WriteFileBytes(temp.File(L"served.zip"), zip.Build());
        web.ServeFile("drivers/18d1.zip", temp.File(L"served.zip"));
        web.SetJson(ShuajiPath("18D1", "4EE7", model),
                    u8R"({"manufactory":"小米","model":"MI 4LTE","recovery_url":"http://127.0.0.1/rec.img",)"
                    u8R"("largeIconPath":"","phoneType_id":"31","sid":"s31"})");
    }
    void TearDown() override {
        DestroyWindow(window);
        CloseHandle(mutex);
    }
    void OfferDriver(const std::string& down, const std::string& type = "2") {
        web.SetJson(DriversPath("18D1", "4EE7"), "{\"down\":\"" + down +
                                                     "\",\"mainName\":\"android_winusb.inf\",\"type\":\"" + type + "\"}");
    }
    std::string DriverUrl() const { return "http://" + web.HostAndPort() + "/drivers/18d1.zip"; }
    PhoneJob Job(IDeviceEnumerator* devices) {
        PhoneJob job;
        job.frame = window;
        job.hemlar = hemlar;
        job.api = ParseWebEndpoint(web.HostAndPort(), WebEndpoint());
        job.vid = L"18D1";
        job.pid = L"4EE7";
        job.driverMutex = mutex;
        job.devices = devices;
        job.tempFolder = temp.Path();
        return job;
    }
    bool DevconInstalled() const {
        for (const std::string& call : tools.Calls())
            if (call.find("install") != std::string::npos && call.find("android_winusb.inf") != std::string::npos &&
                call.find("USB\\Class_FF&SubClass_42&Prot_01") != std::string::npos)
                return true;
        return false;
    }
    bool WebSaw(const std::string& path) const {
        auto requests = web.Requests();
        return std::any_of(requests.begin(), requests.end(), [&](auto& r) { return r.path == path; });
    }
};

}  // namespace

TEST_F(PhoneWorkersFixture, ADriverProblemFetchesUnpacksAndInstallsThePackageThenReportsThePhone) {
    OfferDriver(DriverUrl());
    ListedDevices devices(DN_HAS_PROBLEM);
    EXPECT_EQ(0, TryConnectAndroid(Job(&devices)));
    EXPECT_TRUE(DevconInstalled());
    const std::wstring folder = temp.File(L"KoviBrush\\18D14EE7\\");
    EXPECT_TRUE(testsupport::PathExists(folder + L"android_winusb.inf"));
    EXPECT_TRUE(testsupport::PathExists(folder + L"amd64\\WdfCoInstaller01009.dll"));
    auto posted = TakePosted(window);
    ASSERT_EQ((std::vector<UINT>{appmsg::kPhoneConnect, appmsg::kPrepareHelper}), Messages(posted));
    const PhoneConnectReport& report = *posted[0].report;
    EXPECT_STREQ(L"小米 MI 4LTE", report.record.name);
    EXPECT_STREQ("http://127.0.0.1/rec.img", report.record.recoveryUrl);
    EXPECT_EQ("31", report.data.phoneTypeId);
    EXPECT_EQ("s31", report.data.sid);
    EXPECT_EQ(L"18D1", report.data.vid);
    // The driver check is over: the mutex is free again.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    ReleaseMutex(mutex);
}

TEST_F(PhoneWorkersFixture, AWorkingDriverOrAFailedDownloadInstallsNothingButThePhoneIsReported) {
    const struct {
        ULONG status;
        bool served;
    } cases[] = {{DN_DRIVER_LOADED | DN_STARTED, true}, {DN_HAS_PROBLEM, false}};
    for (const auto& c : cases) {
        OfferDriver(c.served ? DriverUrl() : "http://" + web.HostAndPort() + "/drivers/missing.zip");
        ListedDevices devices(c.status);
        EXPECT_EQ(0, TryConnectAndroid(Job(&devices)));
        EXPECT_FALSE(DevconInstalled());
        auto posted = TakePosted(window);
        ASSERT_EQ((std::vector<UINT>{appmsg::kPhoneConnect, appmsg::kPrepareHelper}), Messages(posted));
        EXPECT_STREQ(L"小米 MI 4LTE", posted[0].report->record.name);
    }
}

TEST_F(PhoneWorkersFixture, AReplyWithoutADriverStillEndsInAReport) {
    for (const std::string reply : {"{\"mainName\":\"x.inf\"}", "{\"down\":\"error: none\"}", "not json"}) {
        web.SetJson(DriversPath("18D1", "4EE7"), reply);
        ListedDevices devices(DN_HAS_PROBLEM);
        EXPECT_EQ(0, TryConnectAndroid(Job(&devices)));
        EXPECT_TRUE(devices.asked.empty()) << reply;
        EXPECT_FALSE(WebSaw("drivers/18d1.zip"));
        auto posted = TakePosted(window);
        ASSERT_EQ((std::vector<UINT>{appmsg::kPhoneConnect, appmsg::kPrepareHelper}), Messages(posted)) << reply;
    }
}

TEST_F(PhoneWorkersFixture, AnOfflinePhoneIsSaidFirstAndStillIdentified) {
    adb.SetScenario("state=offline\nserial=WORKER0001\n");
    ListedDevices devices(DN_HAS_PROBLEM);
    OfferDriver("error");
    EXPECT_EQ(0, TryConnectAndroid(Job(&devices)));
    auto posted = TakePosted(window);
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ((std::vector<UINT>{appmsg::kPhoneOffline, appmsg::kPhoneConnect, appmsg::kPrepareHelper}),
              Messages(posted));

    // The driver check is over even so: the mutex is free again.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    ReleaseMutex(mutex);
}

TEST_F(PhoneWorkersFixture, ConnectingFromTheAndroidIdQueriesWithItsIdsAndAFailedScreenshotIsStillReported) {
    PhoneJob job = Job(nullptr);
    job.vid.clear();
    job.pid.clear();
    job.androidId = "VID_18D1&PID_4EE7";
    EXPECT_EQ(1, ConnectPhone(job));
    auto posted = TakePosted(window);
    ASSERT_FALSE(posted.empty());
    ASSERT_EQ(appmsg::kPhoneConnect, posted[0].message);
    EXPECT_STREQ(L"小米 MI 4LTE", posted[0].report->record.name);
    EXPECT_EQ(L"4EE7", posted[0].report->data.pid);

    // Without a usable service answer (none, an error page, a reply without
    // the phone's keys) the phone is named by its own model text and keeps
    // its ids, so that connecting again queries again.
    job.phoneSession = 7;
    for (const std::string& reply : {std::string(), std::string("<html>502 Bad Gateway</html>"),
                                    std::string(u8R"({"manufactory":"小米","model":"MI 4LTE","sid":"s31"})")}) {
        web.SetJson(ShuajiPath("18D1", "4EE7", model), reply);
        EXPECT_EQ(1, ConnectPhone(job));
        posted = TakePosted(window);
        ASSERT_FALSE(posted.empty());
        ASSERT_EQ(appmsg::kPhoneConnect, posted[0].message);
        const PhoneConnectReport& report = *posted[0].report;
        EXPECT_EQ(AnsiToWide(model), report.record.name) << reply;
        EXPECT_STREQ("", report.record.recoveryUrl) << reply;
        EXPECT_EQ("", report.data.sid) << reply;
        EXPECT_EQ(L"18D1", report.data.vid) << reply;
        EXPECT_EQ(L"4EE7", report.data.pid) << reply;
        EXPECT_EQ(7u, report.session) << reply;
    }

    adb.SetScenario("state=none\n");
    job.hemlar = nullptr;  // no device library: the capture fails
    EXPECT_EQ(0, TakeScreenshot(job));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, window, appmsg::kFreshViewScreen, appmsg::kFreshViewScreen, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
}

TEST_F(PhoneWorkersFixture, TheServiceCheckAsksForAuthorisationUnlessTheAppLeftItsFailureMarker) {
    PhoneJob job = Job(nullptr);
    job.serviceWaitMs = 0;
    const std::wstring marker = adb.PhoneFile(L"/sdcard/doruvadedi/log_error");
    const struct {
        bool failed;
        UINT expected;
    } cases[] = {{false, appmsg::kShowAuthorize}, {true, appmsg::kPhoneLogError}};
    for (const auto& c : cases) {
        if (c.failed) {
            std::filesystem::create_directories(adb.PhoneFile(L"/sdcard/doruvadedi"));
            testsupport::WriteFileBytes(marker, "");
        }
        EXPECT_EQ(1, CheckService(job));
        EXPECT_EQ((std::vector<UINT>{c.expected}), Messages(TakePosted(window))) << c.failed;
    }
    // The failed run's app was stopped on the phone.
    const auto requests = adb.Requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const std::string& r) {
        return r.find("am force-stop com.vandrell.mrtq") != std::string::npos;
    }));
}
