// The recovery package: next to the ROM or downloaded from the web service,
// unpacked into the script folder. Failed downloads, error statuses and
// replies that are not zips fail, and never leave an earlier phone's scripts;
// what the installation itself keeps in the folder stays.
#include "FlashFixtures.h"
#include "RecoveryPackage.h"
#include "TestPaths.h"
#include "WebServicePeer.h"

#include <gtest/gtest.h>

namespace {

using recoverypackage::Outcome;

TEST(RecoveryPackage, LocalPackageNameReplacesTheLastExtension) {
    EXPECT_EQ(L"C:\\roms\\mi4.recovery.zip", recoverypackage::LocalPackageFor(L"C:\\roms\\mi4.zip"));
    EXPECT_EQ(L"C:\\roms\\mi4.v2.recovery.zip", recoverypackage::LocalPackageFor(L"C:\\roms\\mi4.v2.zip"));
    EXPECT_EQ(L"C:\\roms\\mi4.recovery.zip", recoverypackage::LocalPackageFor(L"C:\\roms\\mi4"));
    EXPECT_EQ(L"C:\\ro.ms\\mi4.recovery.zip", recoverypackage::LocalPackageFor(L"C:\\ro.ms\\mi4"));
}

class RecoveryDownload : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = dir_.Path();
        // The previous phone's scripts are still there.
        flashfixtures::WriteScripts(folder_, {"echo old rec", "echo old push", "echo old wipe"});
        // The installation's own files in the folder.
        testsupport::WriteFileBytes(folder_ + L"shipped_helper.cmd", "echo shipped");
        testsupport::WriteFileBytes(folder_ + L"AdbWinApi.bat", "echo shipped");
        testsupport::WriteFileBytes(folder_ + L"RirorivUvi.exe", "server");
    }
    std::string Url(const std::string& path) const { return "http://" + peer_.HostAndPort() + "/" + path; }
    bool OldScriptsGone() const {
        return !testsupport::PathExists(folder_ + L"rec.bat") && !testsupport::PathExists(folder_ + L"push_brush.bat") &&
               !testsupport::PathExists(folder_ + L"wipe.bat");
    }
    bool ShippedFilesStay() const {
        return testsupport::ReadFileBytes(folder_ + L"shipped_helper.cmd") == "echo shipped" &&
               testsupport::ReadFileBytes(folder_ + L"AdbWinApi.bat") == "echo shipped" &&
               testsupport::ReadFileBytes(folder_ + L"RirorivUvi.exe") == "server";
    }

    testsupport::ScratchDir dir_;
    std::wstring folder_;
    testpeers::WebServicePeer peer_;
};

TEST_F(RecoveryDownload, PackageIsDownloadedAndUnpacked) {
    testpeers::WebServicePeer::Reply reply;
    reply.body = flashfixtures::RecoveryPackage(flashfixtures::InOrder());
    reply.contentType = "application/zip";
    peer_.SetReply("rec/cancro.zip", reply);
    EXPECT_EQ(Outcome::Unpacked, recoverypackage::DownloadAndUnpack(Url("rec/cancro.zip"), folder_));
    EXPECT_EQ(flashfixtures::InOrder().rec, testsupport::ReadFileBytes(folder_ + L"rec.bat"));
    EXPECT_TRUE(testsupport::PathExists(folder_ + L"recovery.img"));
    EXPECT_TRUE(ShippedFilesStay());
}

TEST_F(RecoveryDownload, NotFoundFailsAndLeavesNoScripts) {
    EXPECT_EQ(Outcome::DownloadFailed, recoverypackage::DownloadAndUnpack(Url("rec/missing.zip"), folder_));
    EXPECT_TRUE(OldScriptsGone());
    EXPECT_TRUE(ShippedFilesStay());
}

TEST_F(RecoveryDownload, ReplyThatIsNotAZipFails) {
    testpeers::WebServicePeer::Reply reply;
    reply.body = "<html>maintenance</html>";
    reply.contentType = "text/html";
    peer_.SetReply("rec/page.zip", reply);
    EXPECT_EQ(Outcome::NotAZip, recoverypackage::DownloadAndUnpack(Url("rec/page.zip"), folder_));
    EXPECT_TRUE(OldScriptsGone());
    EXPECT_TRUE(ShippedFilesStay());
}

TEST_F(RecoveryDownload, ExistingDownloadIsReplacedNotResumed) {
    testsupport::WriteFileBytes(folder_ + L"recovery.zip", std::string(100000, 'x'));
    testpeers::WebServicePeer::Reply reply;
    reply.body = flashfixtures::RecoveryPackage(flashfixtures::InOrder());
    peer_.SetReply("rec/cancro.zip", reply);
    EXPECT_EQ(Outcome::Unpacked, recoverypackage::DownloadAndUnpack(Url("rec/cancro.zip"), folder_));
    EXPECT_EQ(reply.body, testsupport::ReadFileBytes(folder_ + L"recovery.zip"));
}

TEST_F(RecoveryDownload, LocalPackageUnpacksOverTheOldScripts) {
    const std::wstring local = dir_.File(L"rom.recovery.zip");
    testsupport::WriteFileBytes(local, flashfixtures::RecoveryPackage(flashfixtures::ZipMissing()));
    EXPECT_EQ(Outcome::Unpacked, recoverypackage::Unpack(local, folder_));
    EXPECT_EQ(flashfixtures::ZipMissing().push, testsupport::ReadFileBytes(folder_ + L"push_brush.bat"));
    EXPECT_TRUE(ShippedFilesStay());
}

}  // namespace
