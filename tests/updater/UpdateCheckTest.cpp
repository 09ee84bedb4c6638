// The update check and the package download against the web-service peer.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestPaths.h"
#include "UpdaterFixture.h"
#include "WebServicePeer.h"
#include "core/InstallReport.h"
#include "core/UpdateCheck.h"
#include "win32/FileUtil.h"

namespace {

using updatertest::FileSet;

const char kCheckPath[] = "index.php?c=feedback&a=getSoftwareUpdate";

testpeers::WebServicePeer::Reply Status(int status) {
    testpeers::WebServicePeer::Reply reply;
    reply.status = status;
    reply.body = "{}";
    return reply;
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        paths = UpdatePaths::ForInstallation(updatertest::MakeInstallationFolder(scratch));
        base = "http://" + peer.HostAndPort() + "/";
    }
    int Check(std::string& offered) { return CheckForUpdate(paths, {base + kCheckPath}, "downloadUrl", offered); }
    int GetsOf(const std::string& path) const {
        int count = 0;
        for (const auto& request : peer.Requests())
            if (request.path == path && request.method == "GET") ++count;
        return count;
    }

    testsupport::ScratchDir scratch;
    testpeers::WebServicePeer peer;
    UpdatePaths paths;
    std::string base;
};

TEST_F(UpdateCheckTest, ClassOfTheServersReply) {
    struct Case {
        const char* installed;  // null: no curjson
        std::string reply;
        int expected;
        bool newjsonKept;
    };
    const Case cases[] = {
        {"1.2.3", updatertest::VersionJson("2.0.0"), 1, true},
        {"1.2.3", updatertest::VersionJson("1.3.0"), 2, true},
        {"1.2.3", updatertest::VersionJson("1.2.5"), 3, true},
        {"1.2.3", updatertest::VersionJson("1.2.3"), -1, false},
        {"1.2.3", updatertest::VersionJson("1.1.0"), -1, false},
        {nullptr, updatertest::VersionJson("0.0.1"), 2, true},
        // Names with fewer or more numbers: the missing count as 0.
        {"2.0.0", updatertest::VersionJson("3.0"), 1, true},
        {"2.0.0", updatertest::VersionJson("2.1"), 2, true},
        {"2.0", updatertest::VersionJson("2.0.0.1"), -1, false},
        // Unusable replies: no answer from the only URL; the reply stays on disk as it came.
        {"1.2.3", "{\"versionName\":\"2.0.0\"}", -1, true},  // no package URL
        {"1.2.3", "not json", -1, true},
        {"1.2.3", updatertest::VersionJson("..\\..\\..\\Windows"), -1, true},  // hostile version names
        {"1.2.3", updatertest::VersionJson("2.0.0 & calc"), -1, true},
    };
    for (const Case& c : cases) {
        RemoveFileEvenIfReadOnly(paths.curjson);
        RemoveFileEvenIfReadOnly(paths.newjson);
        if (c.installed) testsupport::WriteFileBytes(paths.curjson, updatertest::VersionJson(c.installed));
        peer.SetJson(kCheckPath, c.reply);
        std::string offered;
        EXPECT_EQ(Check(offered), c.expected) << c.reply;
        EXPECT_EQ(FileExists(paths.newjson), c.newjsonKept) << c.reply;
    }
}

TEST_F(UpdateCheckTest, NextUrlAfterAFailure) {
    testsupport::WriteFileBytes(paths.curjson, updatertest::VersionJson("1.0.0"));
    peer.SetReply("down", Status(500));
    peer.SetJson(kCheckPath, updatertest::VersionJson("1.1.0"));
    std::string offered;
    EXPECT_EQ(CheckForUpdate(paths, {base + "missing", base + "down", base + kCheckPath}, "downloadUrl", offered), 2);
    EXPECT_EQ(offered, "1.1.0");
    EXPECT_EQ(CheckForUpdate(paths, {base + "missing", base + "down"}, "downloadUrl", offered), -1);
}

TEST_F(UpdateCheckTest, LocalNewjsonMarkerAsksNoServer) {
    testsupport::WriteFileBytes(paths.curjson, updatertest::VersionJson("1.0.0"));
    testsupport::WriteFileBytes(paths.localNewjsonMarker, "");
    std::string offered;
    EXPECT_EQ(Check(offered), -1);  // no newjson on disk: no answer from any URL
    testsupport::WriteFileBytes(paths.newjson, updatertest::VersionJson("3.0.0"));
    EXPECT_EQ(Check(offered), 1);
    EXPECT_EQ(GetsOf(kCheckPath), 0);
}

TEST_F(UpdateCheckTest, PackageIsDownloadedAndMustOpen) {
    const std::string package = updatertest::PackageOf({{"a.txt", "new"}});
    testsupport::WriteFileBytes(scratch.File(L"served.zip"), package);
    peer.ServeFile("Update.zip", scratch.File(L"served.zip"));
    testsupport::WriteFileBytes(paths.newjson, updatertest::VersionJson("2.0.0", base + "Update.zip"));
    EXPECT_EQ(DownloadPackage(paths, "downloadUrl"), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(paths.package), package);
    EXPECT_EQ(GetsOf("Update.zip"), 1);

    // Whole and of the served length: kept without a second GET.
    EXPECT_EQ(DownloadPackage(paths, "downloadUrl"), 0);
    EXPECT_EQ(GetsOf("Update.zip"), 1);

    // Any other length: fetched again from its first byte.
    testsupport::WriteFileBytes(paths.package, package.substr(0, 10));
    EXPECT_EQ(DownloadPackage(paths, "downloadUrl"), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(paths.package), package);
    EXPECT_EQ(GetsOf("Update.zip"), 2);
}

TEST_F(UpdateCheckTest, RefusedOrCutPackagesAreNotKept) {
    const std::string package = updatertest::PackageOf({{"a.txt", std::string(200000, 'x')}});
    testsupport::WriteFileBytes(scratch.File(L"served.zip"), package);
    testpeers::WebServicePeer::Reply cut;
    cut.file = scratch.File(L"served.zip");
    cut.misbehaviour = testpeers::WebServicePeer::Misbehaviour::CutBody;
    cut.contentType = "application/zip";
    peer.SetReply("cut.zip", cut);
    peer.SetReply("refused.zip", Status(404));
    testsupport::WriteFileBytes(scratch.File(L"junk.zip"), "this is no zip");
    peer.ServeFile("junk.zip", scratch.File(L"junk.zip"));
    for (const char* path : {"cut.zip", "refused.zip", "junk.zip"}) {
        testsupport::WriteFileBytes(paths.newjson, updatertest::VersionJson("2.0.0", base + path));
        EXPECT_EQ(DownloadPackage(paths, "downloadUrl"), -1) << path;
        EXPECT_FALSE(FileExists(paths.package)) << path;
    }
}

TEST_F(UpdateCheckTest, SkipMarkerUsesThePackageOnDisk) {
    testsupport::WriteFileBytes(paths.package, updatertest::PackageOf({{"a.txt", "local"}}));
    testsupport::WriteFileBytes(paths.packageSkipMarker, "");
    testsupport::WriteFileBytes(paths.newjson, updatertest::VersionJson("2.0.0", base + "Update.zip"));
    EXPECT_EQ(DownloadPackage(paths, "downloadUrl"), 0);
    EXPECT_TRUE(peer.Requests().empty());
}

// A report whose server sends its head and then nothing ends at the time
// limit; the next URL of the list is still tried.
TEST_F(UpdateCheckTest, AHangingInstallReportEndsAtItsTimeLimit) {
    testpeers::WebServicePeer::Reply hanging;
    hanging.body = std::string(1000, 'x');
    hanging.stallAfterHeadersMs = 60000;
    peer.SetReply("hang?v=1", hanging);
    peer.SetJson("answer?v=1", "{}");
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(SendInstallReport({base + "hang?v=%s"}, {"1", "", "", "", ""}, 1500));
    EXPECT_LT(GetTickCount64() - start, 8000u);
    EXPECT_TRUE(SendInstallReport({base + "hang?v=%s", base + "answer?v=%s"}, {"1", "", "", "", ""}, 1500));
    EXPECT_GT(kReportTimeLimitMs, 0);
    EXPECT_LE(kReportTimeLimitMs, 30000);
}

}  // namespace
