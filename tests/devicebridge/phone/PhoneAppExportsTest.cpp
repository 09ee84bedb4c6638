// File transfer, app and companion-app exports through Hemlar.dll, against
// the stand-in adb server over its socket.
#include "PhoneExportsFixture.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {

using NoArgs = int(__cdecl*)();
using WideLine = int(__cdecl*)(const wchar_t*);
using NarrowText = int(__cdecl*)(const char*);
using TwoWide = int(__cdecl*)(const wchar_t*, const wchar_t*);

const char kCompanion[] = "com.vandrell.mrtq";

class PhoneAppTest : public PhoneExportsTest {
protected:
    void InstallOnPhone(const std::string& package, const std::string& bytes = "apk bytes") {
        PutOnPhone(L"/data/app/" + std::wstring(package.begin(), package.end()) + L"/base.apk", bytes);
    }
    struct LineCase {
        std::string scenario;
        std::wstring line;
        int result;
    };
    // For each case: the phone follows the scenario and the export, given the
    // command line, returns the result.
    void ExpectForEachLine(const std::vector<LineCase>& cases, WideLine run) {
        for (const LineCase& c : cases) {
            SCOPED_TRACE(c.scenario + testsupport::ToAnsi(c.line));
            Phone(c.scenario);
            EXPECT_EQ(run(c.line.c_str()), c.result);
        }
    }
    bool InstalledOnPhone(const std::string& package) {
        return testsupport::PathExists(peer_.PhoneFile(L"/data/app/" + std::wstring(package.begin(), package.end()) + L"/base.apk"));
    }
    testsupport::ScratchDir pc_;
};

TEST_F(PhoneAppTest, AdbPullFileReportsWhetherTheFileArrived) {
    PutOnPhone(L"/sdcard/doruvadedi/contacts.vcf", "BEGIN:VCARD");
    const std::wstring local = pc_.File(L"backup folder\\contacts.vcf");
    ExpectForEachLine({
        {"state=device\n", L"pull /sdcard/doruvadedi/contacts.vcf \"" + local + L"\"", 1},
        {"state=device\n", L"pull /sdcard/doruvadedi/missing.vcf \"" + local + L"\"", 0},
        {"state=offline\n", L"pull /sdcard/doruvadedi/contacts.vcf \"" + local + L"\"", 0},
        {"state=device\n", L"push \"" + local + L"\" /sdcard/restore//contacts.vcf", 1},
    }, Export<WideLine>("AdbPullFile"));
    EXPECT_EQ(ReadFileBytes(local), "BEGIN:VCARD");
    EXPECT_EQ(ReadFileBytes(peer_.PhoneFile(L"/sdcard/restore/contacts.vcf")), "BEGIN:VCARD");
}

TEST_F(PhoneAppTest, AdbPushFileProbesWithDevicesAndReportsPushes) {
    const std::wstring local = pc_.File(L"rom.zip");
    testsupport::WriteFileBytes(local, "zip");
    ExpectForEachLine({
        {"state=device\n", L"devices", 1},
        {"state=recovery\n", L"devices", 1},
        {"state=none\n", L"devices", 0},
        {"state=device\n", L"push \"" + local + L"\" /sdcard/rom.zip", 1},
        {"state=device\nsend.fail=couldn't create file: Read-only file system\n", L"push \"" + local + L"\" /sdcard/x.zip", 0},
        {"state=none\n", L"push \"" + local + L"\" /sdcard/y.zip", 0},
    }, Export<WideLine>("AdbPushFile"));
    EXPECT_EQ(ReadFileBytes(peer_.PhoneFile(L"/sdcard/rom.zip")), "zip");
    EXPECT_FALSE(testsupport::PathExists(peer_.PhoneFile(L"/sdcard/x.zip")));
}

TEST_F(PhoneAppTest, AdbRunCommandRunsTheLineAndReturnsOne) {
    auto runCommand = Export<WideLine>("AdbRunCommand");
    const std::wstring apk = pc_.File(L"gov app.apk");
    testsupport::WriteFileBytes(apk, "new companion");
    EXPECT_EQ(runCommand((L"install -r \"" + apk + L"\"").c_str()), 1);
    EXPECT_EQ(ReadFileBytes(peer_.PhoneFile(L"/data/app/com.vandrell.mrtq/base.apk")), "new companion");
    Phone("state=none\n");
    EXPECT_EQ(runCommand(L"shell ls"), 1);
    EXPECT_EQ(runCommand(L"one two three four five six seven eight nine ten eleven"), 1);
}

TEST_F(PhoneAppTest, AdbRunningAppSearchesTheProcessList) {
    auto runningApp = Export<NarrowText>("AdbRunningApp");
    auto startEx = Export<TwoWide>("AdbServerStartEx");
    InstallOnPhone(kCompanion);
    EXPECT_EQ(runningApp(kCompanion), 0);
    EXPECT_EQ(startEx(L"com.vandrell.mrtq", L"com.vandrell.mrtq.StartActivity_"), 1);
    const struct {
        const char* name;
        int result;
    } cases[] = {{kCompanion, 1}, {"com.vandrell", 1}, {"system_server", 1}, {"com.other.app", 0}, {"", 0}};
    for (const auto& c : cases) EXPECT_EQ(runningApp(c.name), c.result) << c.name;
    Phone("state=offline\n");
    EXPECT_EQ(runningApp(kCompanion), 0);
}

TEST_F(PhoneAppTest, ExportAndroidApkPullsTheNamedFile) {
    auto exportApk = Export<TwoWide>("ExportAndroidApk");
    InstallOnPhone("com.game", "game apk");
    const std::wstring target = pc_.File(L"my apps\\game.apk");
    EXPECT_EQ(exportApk(L"/data/app/com.game/base.apk", target.c_str()), 1);
    EXPECT_EQ(ReadFileBytes(target), "game apk");
    EXPECT_EQ(exportApk(L"/data/app/com.none/base.apk", pc_.File(L"none.apk").c_str()), 0);
    EXPECT_FALSE(testsupport::PathExists(pc_.File(L"none.apk")));
    EXPECT_EQ(exportApk(std::wstring(300, L'a').c_str(), target.c_str()), 0);  // line too long: not run
}

TEST_F(PhoneAppTest, ExportAndroidApkByPackageNameFindsAndPullsThePackage) {
    auto exportByName = Export<TwoWide>("ExportAndroidApkByPackageName");
    InstallOnPhone(kCompanion, "installed companion");
    for (const char* lineEnd : {"", "lineend=crlf\n"}) {
        SCOPED_TRACE(lineEnd);
        Phone(lineEnd);
        const std::wstring target = pc_.File(L"data\\govTemp.apk");
        DeleteFileW(target.c_str());
        EXPECT_EQ(exportByName(L"com.vandrell.mrtq", target.c_str()), 1);
        EXPECT_EQ(ReadFileBytes(target), "installed companion");
    }
    peer_.ClearRequests();
    EXPECT_EQ(exportByName(L"com.not.installed", pc_.File(L"x.apk").c_str()), 0);
    EXPECT_EQ(RequestsStartingWith("shell:"), std::vector<std::string>{"shell:pm path com.not.installed"});
    EXPECT_TRUE(RequestsStartingWith("sync RECV").empty());
    Phone("state=offline\n");
    EXPECT_EQ(exportByName(L"com.vandrell.mrtq", pc_.File(L"y.apk").c_str()), 0);
}

TEST_F(PhoneAppTest, InstallAndroidAppInstallsAQuotedPath) {
    auto install = Export<NarrowText>("InstallAndroidApp");
    const std::wstring apk = pc_.File(L"app with blanks.apk");
    testsupport::WriteFileBytes(apk, "an app");
    const std::string path = testsupport::ToAnsi(apk);
    EXPECT_EQ(install(path.c_str()), 1);
    EXPECT_EQ(Last(RequestsStartingWith("shell:pm install")),
              "shell:pm install -r /data/local/tmp/app\\ with\\ blanks.apk");
    EXPECT_EQ(ReadFileBytes(peer_.PhoneFile(L"/data/app/com.vandrell.mrtq/base.apk")), "an app");

    Phone("pm.install=Failure [INSTALL_FAILED_OLDER_SDK]\n");
    EXPECT_EQ(install(path.c_str()), 0);
    Phone("");
    EXPECT_EQ(install(testsupport::ToAnsi(pc_.File(L"missing.apk")).c_str()), 0);
}

TEST_F(PhoneAppTest, AdbServerStartInstallsTheShippedAppWhenItIsMissing) {
    auto serverStart = Export<NoArgs>("AdbServerStart");
    testsupport::WriteFileBytes(ProgramFile(L"gov.apk"), "shipped companion");
    EXPECT_EQ(serverStart(), 0);
    EXPECT_EQ(ReadFileBytes(peer_.PhoneFile(L"/data/app/com.vandrell.mrtq/base.apk")), "shipped companion");
    EXPECT_EQ(RequestsStartingWith("shell:am start").size(), 2u);
    EXPECT_EQ(serverStart(), 1);
    EXPECT_EQ(RequestsStartingWith("shell:pm install").size(), 1u);
    DeleteFileW(ProgramFile(L"gov.apk").c_str());
}

TEST_F(PhoneAppTest, AdbServerStartExStartsOrBringsTheAppToTheFront) {
    auto startEx = Export<TwoWide>("AdbServerStartEx");
    testsupport::WriteFileBytes(ProgramFile(L"gov.apk"), "shipped companion");
    const wchar_t* package = L"com.vandrell.mrtq";
    const wchar_t* activity = L"com.vandrell.mrtq.StartActivity_";
    EXPECT_EQ(startEx(package, activity), 0);  // missing: installed and started, reported next time
    EXPECT_TRUE(InstalledOnPhone(kCompanion));
    peer_.ClearRequests();
    EXPECT_EQ(startEx(package, activity), 2);
    EXPECT_TRUE(RequestsStartingWith("shell:pm install").empty());

    InstallOnPhone("com.other");
    EXPECT_EQ(startEx(L"com.other", L"com.other.Main"), 1);
    EXPECT_EQ(Last(RequestsStartingWith("shell:am start")), "shell:am start --user 0 -n com.other/com.other.Main");
    EXPECT_EQ(startEx(std::wstring(250, L'p').c_str(), activity), 0);  // line too long: not run
    DeleteFileW(ProgramFile(L"gov.apk").c_str());
}

TEST_F(PhoneAppTest, CompanionServicesStartWhenThePhoneKnowsThem) {
    const struct {
        const char* name;
        const char* service;
    } services[] = {
        {"AdbServerConnectStart", "shell:am startservice --user 0 -n com.vandrell.mrtq/com.vandrell.mrtq.app.ConnectService"},
        {"AdbServerBackupStart", "shell:am startservice --user 0 -n com.vandrell.mrtq/com.vandrell.mrtq.service.BackupService"},
        {"AdbServerRestoreStart", "shell:am startservice --user 0 -n com.vandrell.mrtq/com.vandrell.mrtq.service.RecoverService"},
    };
    for (const auto& s : services) {
        SCOPED_TRACE(s.name);
        auto start = Export<NoArgs>(s.name);
        peer_.ClearRequests();
        EXPECT_EQ(start(), 0);  // app missing: "Not found"
        EXPECT_EQ(Last(RequestsStartingWith("shell:am")), s.service);
    }
    InstallOnPhone(kCompanion);
    for (const auto& s : services) EXPECT_EQ(Export<NoArgs>(s.name)(), 1) << s.name;
}

TEST_F(PhoneAppTest, CheckFileAndKillActivityStopsTheAppAfterAFailedRun) {
    auto check = Export<NoArgs>("CheckFileAndKillActivity");
    auto runningApp = Export<NarrowText>("AdbRunningApp");
    InstallOnPhone(kCompanion);
    ASSERT_EQ(Export<NoArgs>("AdbServerStart")(), 1);
    EXPECT_EQ(check(), 0);  // no working folder
    PutOnPhone(L"/sdcard/doruvadedi/contacts.vcf", "x");
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(runningApp(kCompanion), 1);
    PutOnPhone(L"/sdcard/doruvadedi/log_error", "");
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(RequestsStartingWith("shell:am force-stop"), std::vector<std::string>{"shell:am force-stop com.vandrell.mrtq"});
    EXPECT_EQ(runningApp(kCompanion), 0);
}

// Every export that waits for a listed phone gives up after ten rounds of
// 300 ms; they run side by side, so this also shows overlapping calls end.
TEST_F(PhoneAppTest, WaitingExportsWithoutPhoneReturnZeroSideBySide) {
    Phone("state=none\n");
    testsupport::WriteFileBytes(pc_.File(L"a.apk"), "apk");
    const std::string apk = testsupport::ToAnsi(pc_.File(L"a.apk"));
    std::vector<std::pair<const char*, std::function<int()>>> calls = {
        {"InstallAndroidApp", [&] { return Export<NarrowText>("InstallAndroidApp")(apk.c_str()); }},
        {"AdbServerStart", [&] { return Export<NoArgs>("AdbServerStart")(); }},
        {"AdbServerStartEx", [&] { return Export<TwoWide>("AdbServerStartEx")(L"com.vandrell.mrtq", L"A"); }},
        {"AdbServerConnectStart", [&] { return Export<NoArgs>("AdbServerConnectStart")(); }},
        {"AdbServerBackupStart", [&] { return Export<NoArgs>("AdbServerBackupStart")(); }},
        {"AdbServerRestoreStart", [&] { return Export<NoArgs>("AdbServerRestoreStart")(); }},
    };
    std::vector<int> results(calls.size(), -7);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < calls.size(); ++i) threads.emplace_back([&, i] { results[i] = calls[i].second(); });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(results[i], 0) << calls[i].first;
    EXPECT_EQ(RequestsStartingWith("host:devices").size(), 10u * calls.size());
    EXPECT_TRUE(RequestsStartingWith("shell:").empty());
}

TEST_F(PhoneAppTest, OverlappingCallsFromTwoThreadsBothComplete) {
    InstallOnPhone(kCompanion, "installed companion");
    Phone("prop.ro.product.real_model=MI 3\n");
    auto version = Export<int(__cdecl*)(wchar_t*)>("GetPhoneVersion");
    auto exportByName = Export<TwoWide>("ExportAndroidApkByPackageName");
    int versions = 0, exports = 0;
    std::thread first([&] {
        for (int i = 0; i < 10; ++i) {
            wchar_t model[260] = {};
            versions += version(model) == 1 && std::wstring(model) == L"MI 3\n";
        }
    });
    std::thread second([&] {
        for (int i = 0; i < 10; ++i) {
            std::wstring target = pc_.File(L"copy" + std::to_wstring(i) + L".apk");
            exports += exportByName(L"com.vandrell.mrtq", target.c_str()) == 1 &&
                       ReadFileBytes(target) == "installed companion";
        }
    });
    first.join();
    second.join();
    EXPECT_EQ(versions, 10);
    EXPECT_EQ(exports, 10);
}

}  // namespace
