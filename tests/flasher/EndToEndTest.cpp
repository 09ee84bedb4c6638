// The real Brevlin.dll in a host window against the peers: a phone on the
// stand-in adb server that reboots to recovery, the web service peer that
// matches ROMs and serves recovery packages, and the scripts' adb stand-in
// that records its push. A ROM is chosen from the downloader, matched,
// backed up, its recovery package fetched, the scripts run with their
// markers and the ROM pushed, to the success page; then a ROM for another
// phone, a recovery package the service does not have, and a script that
// stops half-way. Screenshots of the page at its steps go to
// bin\screenshots\.
#include "AdbTestPeers.h"
#include "FlashFixtures.h"
#include "HostWindow.h"
#include "PngWriter.h"
#include "TestPaths.h"
#include "WebServicePeer.h"
#include "record/PackageRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace {

constexpr UINT kPrepareHelper = WM_USER + 501, kBackup = WM_USER + 502;
constexpr DWORD kFlashLimitMs = 240000;

// What the screen shows of the host window, the web view's own window
// included (after the page's slide-in has finished).
void Screenshot(BrevlinHost& host, const wchar_t* name) {
    uiharness::PumpFor(1200);
    const uiharness::Snapshot shot = uiharness::CaptureScreen(host.Window().Hwnd());
    std::vector<uint32_t> argb(shot.pixels.size());
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = 0xFF000000u | shot.pixels[i];
    const std::wstring folder = testsupport::ProgramFolder() + L"screenshots\\";
    std::filesystem::create_directories(folder);
    testsupport::WritePng(folder + name, shot.width, shot.height, argb);
}

class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        web_ = new testpeers::WebServicePeer();
        SetEnvironmentVariableA("TORVANIK_API_HOST", web_->HostAndPort().c_str());
        SetEnvironmentVariableA("TORVANIK_PAGE_HOST", web_->HostAndPort().c_str());
        web_->SetJson("index.php?c=feedback&a=getTypeList&id=7", R"({"num":1,"typeName0":"MI 4LTE"})");
        web_->SetHtml("svexe/recommend/typeId/7",
                      "<html><head><title>小米4 推荐ROM</title></head><body>MIUI 8 稳定版 6.0.1</body></html>");
        testpeers::WebServicePeer::Reply recovery;
        recovery.body = flashfixtures::RecoveryPackage(flashfixtures::InOrder());
        recovery.contentType = "application/zip";
        web_->SetReply("rec/cancro.zip", recovery);
        recovery.body = flashfixtures::RecoveryPackage(flashfixtures::StoppingHalfWay());
        web_->SetReply("rec/halfway.zip", recovery);
        adb_ = new AdbServerPeer();
        adb_->SetScenario("state=device\nserial=E2E0001\nreboots=yes\nprop.ro.product.model=MI 4LTE\n");
        std::filesystem::create_directories(testsupport::ProgramFolder() + L"data");
    }
    static void TearDownTestSuite() {
        delete adb_;
        delete web_;
        adb_ = nullptr;
        web_ = nullptr;
    }

    void SetUp() override {
        SetEnvironmentVariableW(L"TORVANIK_STANDIN_DIR", tools_.Path().c_str());
        const std::string push = "%%\r\nPushing   42.50%\r\nPushing  100.00%\r\n";
        testsupport::WriteFileBytes(tools_.File(L"Kovi_adb.scenario"),
                                    "push\n" + std::to_string(push.size()) + "\n" + push);
        ASSERT_TRUE(host_.Ready());
    }
    void TearDown() override { SetEnvironmentVariableW(L"TORVANIK_STANDIN_DIR", nullptr); }

    std::string RecoveryUrl(const char* path) const { return "http://" + web_->HostAndPort() + "/" + path; }
    std::string Calls() const { return testsupport::ReadFileBytes(tools_.File(L"calls.log")); }
    std::wstring Scripts() const { return testsupport::ProgramFolder() + L"Rirorivuvi\\"; }

    void ConnectPhone(const std::string& recoveryUrl) {
        url_ = recoveryUrl;
        host_.Send(L"romflash_connect", reinterpret_cast<WPARAM>(url_.c_str()), reinterpret_cast<LPARAM>("7,3"));
        host_.Send(L"romflash_phonedata_status", reinterpret_cast<WPARAM>("contact(3)_msg(2)_calllog(1)"));
    }
    // The downloader's install request for a finished ROM.
    void ChooseRom(const std::wstring& rom) {
        record_ = PackageRecord();
        strncpy(record_.Type, "0", 4);
        record_.Type[4] = kPackageInstallMarker;
        strncpy(record_.ObjectUrl, testsupport::ToAnsi(rom).c_str(), 259);
        host_.Send(L"romflash_update_downloader", reinterpret_cast<WPARAM>(&record_));
    }
    // What the main program does when asked for a backup: each piece arrives.
    void CompleteBackup() {
        ASSERT_TRUE(uiharness::PumpUntil([&] { return host_.Main().Count(kBackup) == 1; }, 120000));
        EXPECT_EQ(7u, host_.Main().Messages().back().wParam);
        for (WPARAM bit : {1, 2, 4}) host_.Send(L"romflash_backup_recevie", bit, 1);
    }
    // A matching ROM with the recovery package at `recoveryPath`, to the result page.
    void FlashToTheEnd(const char* recoveryPath) {
        ConnectPhone(RecoveryUrl(recoveryPath));
        ChooseRom(WriteRom(L"mi4.zip", "cancro", "MI 4LTE"));
        CompleteBackup();
        ASSERT_TRUE(host_.WaitForPage(4, kFlashLimitMs));
    }
    std::wstring WriteRom(const wchar_t* name, const std::string& device, const std::string& model) {
        const std::wstring rom = roms_.File(name);
        testsupport::WriteFileBytes(rom, flashfixtures::RomPackage(device, model));
        return rom;
    }

    static testpeers::WebServicePeer* web_;
    static AdbServerPeer* adb_;
    testsupport::ScratchDir tools_, roms_;
    DialogCloser closer_{1};
    BrevlinHost host_;
    std::string url_;
    PackageRecord record_ = {};
};

testpeers::WebServicePeer* EndToEnd::web_ = nullptr;
AdbServerPeer* EndToEnd::adb_ = nullptr;

TEST_F(EndToEnd, RomForAnotherPhoneShowsTheMismatch) {
    ConnectPhone(RecoveryUrl("rec/cancro.zip"));
    ASSERT_EQ(1, host_.CurrentPage());
    Screenshot(host_, L"brevlin-1-choose-rom.png");
    ChooseRom(WriteRom(L"hermes.zip", "hermes", "Redmi Note 2"));
    EXPECT_TRUE(uiharness::PumpUntil([&] { return closer_.Count(L"CBasicDialog") == 1; }, 30000));
    uiharness::PumpFor(300);
    EXPECT_EQ(1, host_.CurrentPage());
    EXPECT_EQ(0, host_.Main().Count(kBackup));
}

TEST_F(EndToEnd, RomIsFlashedThroughRecovery) {
    ConnectPhone(RecoveryUrl("rec/cancro.zip"));
    const std::wstring rom = WriteRom(L"小米4 MIUI 8&100%.zip", "cancro", "MI 4LTE");
    ChooseRom(rom);
    CompleteBackup();
    EXPECT_EQ(1, host_.Main().Count(kPrepareHelper));
    EXPECT_EQ(3, host_.CurrentPage());
    Screenshot(host_, L"brevlin-2-backing-up.png");
    ASSERT_TRUE(uiharness::PumpUntil([&] { return host_.TextOf(L"FlashingProgressTitle") == L"正在刷机"; },
                                     kFlashLimitMs));
    Screenshot(host_, L"brevlin-3-pushing.png");
    ASSERT_TRUE(host_.WaitForPage(4, kFlashLimitMs));
    EXPECT_EQ(L"恭喜，设备已完成刷机！", host_.TextOf(L"DonePageInfo"));
    Screenshot(host_, L"brevlin-4-success.png");
    // The phone went to recovery through the scripts, and the ROM was pushed with the exact line.
    EXPECT_NE(std::string::npos, Calls().find("Kovi_adb reboot recovery\n"));
    EXPECT_NE(std::string::npos,
              Calls().find("Kovi_adb push \"" + std::filesystem::path(rom).u8string() + "\" /sdcard/update.zip\n"));
    std::string argument = testsupport::ReadFileBytes(Scripts() + L"rom_arg.txt");
    argument.erase(argument.find_last_not_of("\r\n ") + 1);
    EXPECT_EQ("\"" + testsupport::ToAnsi(rom) + "\"", argument);
}

TEST_F(EndToEnd, MissingRecoveryPackageEndsInTheErrorPage) {
    FlashToTheEnd("rec/missing.zip");
    EXPECT_EQ(L"刷机方案下载失败，请稍后重试！", host_.TextOf(L"DonePageInfo"));
    Screenshot(host_, L"brevlin-5-error.png");
    EXPECT_EQ("", Calls());  // no script ran: none reached the scripts' adb
    EXPECT_FALSE(testsupport::PathExists(Scripts() + L"rec.bat"));
    // The failed download is in the plug-in's log beside the host program.
    const std::string log = testsupport::ReadFileBytes(testsupport::ProgramFolder() + L"logs\\myeasylog.log");
    EXPECT_NE(std::string::npos, log.find("DEBUG [default] Cloud_downloaderr: " + RecoveryUrl("rec/missing.zip")))
        << log.substr(log.size() > 2000 ? log.size() - 2000 : 0);
}

TEST_F(EndToEnd, ScriptStoppingHalfWayEndsInTheErrorPage) {
    FlashToTheEnd("rec/halfway.zip");
    EXPECT_EQ(L"刷机脚本意外结束，刷机未完成，请重试！", host_.TextOf(L"DonePageInfo"));
    EXPECT_TRUE(testsupport::PathExists(Scripts() + L"wiped.txt"));
}

}  // namespace
