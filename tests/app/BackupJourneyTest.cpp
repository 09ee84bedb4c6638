// The real Torvanik.exe backing up and restoring a phone's contacts, messages
// and call records, with the phone (adb server), the companion app's phone
// service, aapt and the flashing plug-in all stood in for. The window is
// driven by mouse clicks at the places its skin gives its buttons.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "AdbTestPeers.h"
#include "FlashFixtures.h"
#include "PhoneServiceApp.h"
#include "PhoneServicePeer.h"
#include "PngWriter.h"
#include "TestPaths.h"
#include "ToolStandIns.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "WebServicePeer.h"
#include "device/DeviceBridge.h"
#include "net/ApiRequests.h"
#include "record/PackageRecord.h"
#include "win32/TextConvert.h"

namespace fs = std::filesystem;
using apptest::TorvanikProcess;
using testpeers::PhoneData;
using testpeers::PhoneServiceApp;
using testpeers::PhoneServicePeer;

namespace {

constexpr UINT kPrepareHelper = WM_USER + 501;
constexpr UINT kRomflashBackup = WM_USER + 502;
constexpr UINT kRomflashRestore = WM_USER + 503;
const char kCompanionApk[] = "/data/app/com.vandrell.mrtq/base.apk";

// Client points of the backup window's controls (its skin lays them out).
constexpr POINT kOptionPoints[] = {{92, 225}, {207, 225}, {322, 225}};
constexpr POINT kBackupRun = {309, 428};
constexpr POINT kRestoreRun = {309, 428};
constexpr POINT kFirstRestorePoint = {652, 140};
constexpr POINT kMainBackup = {260, 305};
constexpr RECT kCompleteLabel = {229, 182, 529, 212};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string Badging(int versionCode) {
    return "package: name='com.vandrell.mrtq' versionCode='" + std::to_string(versionCode) +
           "' versionName='1.0'\r\nlaunchable-activity: name='com.vandrell.mrtq.StartActivity_'  label='' icon=''\r\n";
}

void Click(HWND window, POINT at) {
    uiharness::PumpFor(200);
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, where);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(window, WM_LBUTTONUP, 0, where);
    uiharness::PumpFor(300);
}

// What the screen shows of a window, kept beside the tests for a look.
void Screenshot(HWND window, const wchar_t* name) {
    uiharness::PumpFor(800);
    const uiharness::Snapshot shot = uiharness::CaptureScreen(window);
    std::vector<uint32_t> argb(shot.pixels.size());
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = 0xFF000000u | shot.pixels[i];
    const std::wstring folder = testsupport::ProgramFolder() + L"screenshots\\";
    fs::create_directories(folder);
    testsupport::WritePng(folder + name, shot.width, shot.height, argb);
}

struct BackupFixture : ::testing::Test {
    AdbServerPeer adb;
    ToolStandIns tools;
    testpeers::WebServicePeer web;
    testsupport::ScratchDir dir;
    testsupport::ScratchDir backups;
    PhoneData data = testpeers::MakePhoneData(120, 300, 60);
    std::unique_ptr<PhoneServiceApp> app;
    std::unique_ptr<PhoneServicePeer> service;

    void SetUp() override {
        ASSERT_TRUE(apptest::CopyInstallation(dir.Path()));
        const std::wstring bin = testsupport::ProgramFolder();
        ASSERT_TRUE(CopyFileW((bin + L"plugin_standin.dll").c_str(), dir.File(L"Brevlin.dll").c_str(), FALSE));
        for (const char* name : {"TORVANIK_API_HOST", "TORVANIK_PAGE_HOST", "TORVANIK_PROBE_HOST"})
            SetEnvironmentVariableA(name, web.HostAndPort().c_str());
        SetEnvironmentVariableW(L"TORVANIK_PLUGIN_LOG", dir.File(L"plugin.log").c_str());
        adb.SetScenario("state=device\nserial=BACKUP01\nprop.ro.product.model=MI 4LTE\n");
        for (const char* devcon : {"devcon_x64", "devcon_x86"})
            tools.Reply(devcon, "Class_FF", "USB\\VID_18D1&PID_4EE7&MI_01\\BACKUP01\r\n    Name: ADB Interface\r\n");
        HMODULE hemlar = LoadLibraryW(L"Hemlar.dll");
        ASSERT_NE(nullptr, hemlar);
        web.SetJson(ShuajiPath("18D1", "4EE7", WideToAnsi(DeviceBridge(hemlar).PhoneVersion())),
                    u8R"({"manufactory":"小米","model":"MI 4LTE","recovery_url":"http://127.0.0.1/rec.img",)"
                    u8R"("largeIconPath":"","phoneType_id":"31","sid":"s31"})");
        testsupport::WriteFileBytes(dir.File(L"gov.apk"), "shipped companion v12");
        SetCompanionVersions(12, 12);
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TORVANIK_PLUGIN_CLICK_ON_DATA", nullptr);
        for (const char* name : {"TORVANIK_API_HOST", "TORVANIK_PAGE_HOST", "TORVANIK_PROBE_HOST", "TORVANIK_PLUGIN_LOG"})
            SetEnvironmentVariableA(name, nullptr);
    }
    // What aapt reads from the phone's exported copy and from the shipped one.
    void SetCompanionVersions(int phone, int shipped) {
        DeleteFileW(tools.Dir().File(L"aapt.scenario").c_str());
        tools.Reply("aapt", "govTemp.apk", Badging(phone));
        tools.Reply("aapt", "gov.apk", Badging(shipped));
    }
    // The phone folder the adb server and the phone service share.
    std::wstring PhoneRoot() const {
        std::wstring file = adb.PhoneFile(L"/x");
        return file.substr(0, file.size() - 2);
    }
    void StartService(bool legacy, PhoneServicePeer::Responder responder = nullptr) {
        service.reset();
        app = std::make_unique<PhoneServiceApp>(PhoneRoot(), data, legacy);
        service = std::make_unique<PhoneServicePeer>(responder ? responder : app->Responder(), 10086);
    }
    void SetBackupFolder(const std::wstring& folder) {
        CreateDirectoryW(folder.c_str(), nullptr);
        WritePrivateProfileStringW(L"BackupDir", L"BackupPath", folder.c_str(), dir.File(L"data\\BrushConfig.dat").c_str());
    }
    std::vector<std::string> PluginLines(const std::string& type) const {
        std::vector<std::string> found;
        for (const std::string& line : Lines(testsupport::ReadFileBytes(dir.File(L"plugin.log"))))
            if (line.compare(0, type.size() + 1, type + "\t") == 0) found.push_back(line);
        return found;
    }
    bool WaitForPlugin(const std::string& type, size_t count, DWORD timeoutMs = 40000) const {
        return uiharness::PumpUntil([&] { return PluginLines(type).size() >= count; }, timeoutMs);
    }
    // Starts the program with the phone identified and the companion app's
    // link made (the counts have reached the plug-in).
    HWND StartLinked(TorvanikProcess& torvanik) {
        HWND frame = torvanik.WaitForFrame();
        if (!frame) return nullptr;
        if (!WaitForPlugin("romflash_connect", 1)) return nullptr;
        PostMessageW(frame, kPrepareHelper, 0, 0);
        if (!WaitForPlugin("romflash_phonedata_status", 1)) return nullptr;
        return frame;
    }
    static HWND WaitForBackupWindow() {
        HWND window = nullptr;
        uiharness::PumpUntil([&] {
            window = FindWindowW(L"ConnectFailDialog", L"Databackup");
            return window && IsWindowVisible(window);
        }, 10000);
        uiharness::PumpFor(500);
        return window;
    }
    std::string ListFile() const { return testsupport::ReadFileBytes(dir.File(L"data\\DataBackRes.xml")); }
};

// The three backup-done replies of a phone that names files it never wrote.
std::string UnwrittenBackupReplies() {
    std::string replies;
    for (const char* item : {"1_/storage/emulated/0/doruvadedi/2015-01-02-03-04-05.vcf",
                             "2_/storage/emulated/0/doruvadedi/2015-01-02-03-04-05.xml",
                             "4_/storage/emulated/0/doruvadedi/2015-01-02-03-04-05.vcl"})
        replies += std::string("backup_") + item;
    return replies;
}

bool SendToFrame(HWND frame, UINT message, WPARAM wParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(frame, message, wParam, 0, SMTO_NORMAL, 60000, &result) != 0;
}

}  // namespace

// Back up all three items through the window, then restore that backup;
// with the phone's current and legacy storage and a backup folder whose name
// holds a dot and Chinese characters.
TEST_F(BackupFixture, BackUpThroughTheWindowThenRestoreBitForBit) {
    struct Case {
        const char* name;
        bool legacy;
        const wchar_t* folder;
    } cases[] = {
        {"current storage", false, L"plain"},
        {"legacy storage", true, L"plain"},
        {"a dot and Chinese in the folder", false, L"我的.备份"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring folder = backups.File(c.folder);
        fs::remove_all(folder);
        DeleteFileW(dir.File(L"data\\DataBackRes.xml").c_str());
        DeleteFileW(dir.File(L"plugin.log").c_str());
        SetBackupFolder(folder);
        StartService(c.legacy);
        SetEnvironmentVariableW(L"TORVANIK_PLUGIN_CLICK_ON_DATA", L"BtnBackupNow");
        TorvanikProcess torvanik(dir.Path());
        HWND frame = StartLinked(torvanik);
        SetEnvironmentVariableW(L"TORVANIK_PLUGIN_CLICK_ON_DATA", nullptr);
        ASSERT_NE(nullptr, frame);
        EXPECT_EQ(0u, PluginLines("romflash_phonedata_status")[0].find("romflash_phonedata_status\tcontact(120)_msg(300)_calllog(60)\t"));

        // The user opens the backup window once the counts are known...
        HWND window = WaitForBackupWindow();
        ASSERT_NE(nullptr, window);
        Screenshot(window, L"databackup-start.png");
        Click(window, kMainBackup);
        for (POINT option : kOptionPoints) Click(window, option);  // enabled only for counts above 0
        Screenshot(window, L"databackup-chosen.png");
        Click(window, kBackupRun);
        ASSERT_TRUE(uiharness::PumpUntil([&] {
            return !app->LastStamp().empty() && ListFile().find(app->LastStamp()) != std::string::npos;
        }, 60000));
        const std::string stamp = app->LastStamp();
        EXPECT_EQ("backup_7", service->Requests().back());
        const std::wstring base = folder + L"\\" + AnsiToWide(stamp) + L"\\" + AnsiToWide(stamp);
        for (int bit : {1, 2, 4})
            EXPECT_EQ(data.FileOf(bit), testsupport::ReadFileBytes(base + L"." + AnsiToWide(PhoneData::ExtensionOf(bit))))
                << bit;
        Screenshot(window, L"databackup-done.png");
        const std::string list = ListFile();
        EXPECT_EQ(list.find("<Element"), list.rfind("<Element")) << list;  // one entry
        EXPECT_NE(std::string::npos, list.find("<Element time=\"" + stamp + "\" phoneName=\"")) << list;
        EXPECT_NE(std::string::npos, list.find("pathDir=\"" + WideToAnsi(base) + "\"")) << list;
        PostMessageW(window, WM_CLOSE, 1, 0);
        ASSERT_TRUE(uiharness::PumpUntil([] { return !FindWindowW(L"ConnectFailDialog", L"Databackup"); }, 5000));

        // ...and restores the backup from the window the plug-in's request opens.
        // The request also starts the companion app again, which renews the link.
        const int links = service->Connections();
        ASSERT_TRUE(SendToFrame(frame, kRomflashRestore, 0));
        window = WaitForBackupWindow();
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(uiharness::PumpUntil([&] { return service->Connections() > links; }, 40000));
        uiharness::PumpFor(1500);
        Click(window, kFirstRestorePoint);
        Screenshot(window, L"databackup-restore-list.png");
        Click(window, kRestoreRun);
        ASSERT_TRUE(uiharness::PumpUntil([&] { return app->RestoreResults().size() >= 3; }, 60000));
        EXPECT_EQ((std::vector<std::string>{"1:ok", "2:ok", "4:ok"}), app->RestoreResults());
        const auto requests = service->Requests();
        EXPECT_NE(requests.end(), std::find(requests.begin(), requests.end(), "getDir"));
        EXPECT_EQ("restore_7_" + stamp + "_" + stamp, requests.back());
        // "恭喜，还原成功！" in green.
        EXPECT_TRUE(uiharness::PumpUntil([&] {
            return uiharness::CountTinted(uiharness::CaptureScreen(window), kCompleteLabel, 8) > 20;
        }, 10000));
        Screenshot(window, L"databackup-restored.png");
        PostMessageW(window, WM_CLOSE, 1, 0);
        uiharness::PumpUntil([] { return !FindWindowW(L"ConnectFailDialog", L"Databackup"); }, 5000);
    }
}

// The link drops after the first of three files: that file is copied, the
// backup never completes and the list of backups gains nothing.
TEST_F(BackupFixture, ADroppedLinkLeavesNothingHalfRecorded) {
    const std::wstring folder = backups.File(L"dropped");
    SetBackupFolder(folder);
    SetEnvironmentVariableW(L"TORVANIK_PLUGIN_CLICK_ON_DATA", L"BtnBackupNow");
    PhoneServicePeer* peer = nullptr;
    StartService(false, [&](const std::string& request) -> std::vector<std::string> {
        auto replies = app->Responder()(request);
        if (request.compare(0, 7, "backup_") != 0 || replies.empty()) return replies;
        const std::string all = replies[0];
        const size_t second = all.find("backup_", 1);
        std::thread([&peer] {
            Sleep(300);
            if (peer) peer->CloseClients();
        }).detach();
        return {all.substr(0, second)};
    });
    peer = service.get();
    TorvanikProcess torvanik(dir.Path());
    HWND frame = StartLinked(torvanik);
    ASSERT_NE(nullptr, frame);
    HWND window = WaitForBackupWindow();
    ASSERT_NE(nullptr, window);
    Click(window, kMainBackup);
    for (POINT option : kOptionPoints) Click(window, option);
    Click(window, kBackupRun);
    ASSERT_TRUE(uiharness::PumpUntil([&] { return service->Disconnections() > 0; }, 30000));
    const std::string stamp = app->LastStamp();
    const std::wstring contacts = folder + L"\\" + AnsiToWide(stamp) + L"\\" + AnsiToWide(stamp) + L".vcf";
    EXPECT_TRUE(uiharness::PumpUntil([&] { return testsupport::PathExists(contacts); }, 10000));
    uiharness::PumpFor(3000);
    EXPECT_EQ(std::string::npos, ListFile().find("<Element")) << ListFile();
    SetEnvironmentVariableW(L"TORVANIK_PLUGIN_CLICK_ON_DATA", nullptr);
    service.reset();
}

// The plug-in's backup before flashing (items 1, 2 and 4): the frame copies
// each file and reports each item only once its copy is on this PC; a file
// that never arrives is reported as failed.
TEST_F(BackupFixture, ThePluginsBackupReportsEachItemAfterItsCopy) {
    struct Case {
        const char* name;
        bool legacy;
        bool missing;
        const char* expected[3];
    } cases[] = {
        {"files arrive", false, false, {"1\t1", "2\t1", "4\t1"}},
        {"files under legacy storage", true, false, {"1\t1", "2\t1", "4\t1"}},
        {"the phone names a file it never wrote", false, true, {"1\t0", "2\t0", "4\t0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring folder = backups.File(L"plugin");
        fs::remove_all(folder);
        DeleteFileW(dir.File(L"plugin.log").c_str());
        SetBackupFolder(folder);
        PhoneServicePeer::Responder responder;
        if (c.missing)
            responder = [](const std::string& request) -> std::vector<std::string> {
                if (request.compare(0, 7, "backup_") != 0) return {};
                return {UnwrittenBackupReplies()};
            };
        StartService(c.legacy, responder);
        TorvanikProcess torvanik(dir.Path());
        HWND frame = torvanik.WaitForFrame();
        ASSERT_NE(nullptr, frame);
        ASSERT_TRUE(WaitForPlugin("romflash_connect", 1));
        ASSERT_TRUE(SendToFrame(frame, kRomflashBackup, 7));
        ASSERT_TRUE(WaitForPlugin("romflash_backup_recevie", 3));
        const auto lines = PluginLines("romflash_backup_recevie");
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(0u, lines[i].find(std::string("romflash_backup_recevie\t") + c.expected[i] + "\t")) << lines[i];
        ASSERT_TRUE(service->WaitForRequests(1));
        EXPECT_EQ("backup_7", service->Requests()[0]);
        if (c.missing) continue;
        const std::string stamp = app->LastStamp();
        for (int bit : {1, 2, 4}) {
            const std::wstring file =
                folder + L"\\" + AnsiToWide(stamp) + L"\\" + AnsiToWide(stamp + "." + PhoneData::ExtensionOf(bit));
            EXPECT_EQ(data.FileOf(bit), testsupport::ReadFileBytes(file)) << bit;
        }
    }
}

// With the real flashing plug-in: a ROM from the downloader is matched and
// flashing begins with the backup of all three items, but the phone names
// files it never wrote, so no copy arrives. The plug-in hears each failure
// (lParam 0), does not count the item done, and asks the user before
// flashing without the data: the unfinished-backup warning shows and, once
// refused, the phone is never rebooted into recovery.
TEST_F(BackupFixture, AFailedCopyStopsTheRealPluginFromFlashingWithoutAsking) {
    SetBackupFolder(backups.File(L"real-plugin"));
    ASSERT_TRUE(CopyFileW(apptest::InstallationFolder().append(L"Brevlin.dll").c_str(), dir.File(L"Brevlin.dll").c_str(),
                          FALSE));
    web.SetJson("index.php?c=feedback&a=getTypeList&id=31", R"({"num":1,"typeName0":"MI 4LTE"})");
    const std::wstring rom = backups.File(L"mi4.zip");
    ASSERT_TRUE(testsupport::WriteFileBytes(rom, flashfixtures::RomPackage("cancro", "MI 4LTE")));
    StartService(false, [this](const std::string& request) -> std::vector<std::string> {
        if (request.compare(0, 7, "backup_") != 0) return app->Responder()(request);
        return {UnwrittenBackupReplies()};
    });
    TorvanikProcess torvanik(dir.Path());
    HWND frame = torvanik.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    // The phone is identified, its companion app started and its counts
    // reach the plug-in, which checks the three items.
    // (The frame opens the phone's pages once it has told the plug-in.)
    ASSERT_TRUE(uiharness::PumpUntil([&] {
        for (const auto& request : web.Requests())
            if (request.path.find("svexe/index/typeId/31") != std::string::npos) return true;
        return false;
    }, 60000));
    uiharness::PumpFor(3000);
    PostMessageW(frame, kPrepareHelper, 0, 0);
    ASSERT_TRUE(service->WaitForRequests(1));
    uiharness::PumpFor(2000);
    adb.ClearRequests();

    PackageRecord record = {};
    std::strncpy(record.Type, "0", 4);
    record.Type[4] = kPackageInstallMarker;
    std::strncpy(record.ObjectUrl, WideToAnsi(rom).c_str(), sizeof record.ObjectUrl - 1);
    COPYDATASTRUCT copy = {0, sizeof record, &record};
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutW(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, 30000, &result));

    HWND warning = nullptr;
    ASSERT_TRUE(uiharness::PumpUntil([&] { return (warning = FindWindowW(L"CMsgBox", nullptr)) != nullptr; }, 90000));
    const auto requests = service->Requests();
    EXPECT_NE(requests.end(), std::find(requests.begin(), requests.end(), "backup_7"));
    Screenshot(frame, L"brevlin-backup-failed.png");
    PostMessageW(warning, WM_CLOSE, 2, 0);  // refused
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !IsWindow(warning); }, 10000));
    uiharness::PumpFor(3000);
    for (const std::string& request : adb.Requests())
        EXPECT_EQ(std::string::npos, request.find("reboot")) << request;
}

// The companion app on the phone is replaced only by a newer shipped copy;
// either way it is started and the link made.
TEST_F(BackupFixture, AnOlderCompanionAppIsReinstalledAnEqualOrNewerOneKept) {
    struct Case {
        int phoneVersion;
        bool reinstalled;
    } cases[] = {{10, true}, {12, false}, {13, false}};
    StartService(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phoneVersion);
        testsupport::WriteFileBytes(adb.PhoneFile(AnsiToWide(kCompanionApk)), "phone companion");
        SetCompanionVersions(c.phoneVersion, 12);
        DeleteFileW(dir.File(L"plugin.log").c_str());
        TorvanikProcess torvanik(dir.Path());
        HWND frame = torvanik.WaitForFrame();
        ASSERT_NE(nullptr, frame);
        ASSERT_TRUE(WaitForPlugin("romflash_connect", 1));
        adb.ClearRequests();
        const int links = service->Connections();
        PostMessageW(frame, kPrepareHelper, 0, 0);
        ASSERT_TRUE(uiharness::PumpUntil([&] { return service->Connections() > links; }, 40000));
        EXPECT_EQ(c.reinstalled ? "shipped companion v12" : "phone companion",
                  testsupport::ReadFileBytes(adb.PhoneFile(AnsiToWide(kCompanionApk))));
        const auto requests = adb.Requests();
        const auto installs = std::count_if(requests.begin(), requests.end(), [](const std::string& r) {
            return r.find("shell:pm install") != std::string::npos;
        });
        EXPECT_EQ(c.reinstalled, installs > 0) << ::testing::PrintToString(requests);
        EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const std::string& r) {
            return r.find("shell:am start") != std::string::npos;
        }));
    }
}
