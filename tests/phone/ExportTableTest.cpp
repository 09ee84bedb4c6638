// Hemlar.dll exports every name its callers bind with GetProcAddress.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "HemlarLibrary.h"

namespace {

struct ExportName {
    const char* name;
    bool present;  // false while its implementation has not landed yet
};

// The bridge's whole export table: 34 names.
const ExportName kExports[] = {
    {"IsConnectPhone", true},
    {"IsPhoneRoot", true},
    {"GetAndroidID", true},
    {"GetPhoneVersion", true},
    {"GetPhoneBrand", true},
    {"GetDevpBrandModel", true},
    {"GetCellphoneScreenPng", true},
    {"AndroidPortToPC", true},
    {"AdbPullFile", true},
    {"AdbPushFile", true},
    {"AdbRunCommand", true},
    {"AdbRunningApp", true},
    {"ExportAndroidApk", true},
    {"ExportAndroidApkByPackageName", true},
    {"InstallAndroidApp", true},
    {"AdbServerStart", true},
    {"AdbServerStartEx", true},
    {"AdbServerConnectStart", true},
    {"AdbServerBackupStart", true},
    {"AdbServerRestoreStart", true},
    {"CheckFileAndKillActivity", true},
    {"LaunchApp", true},
    {"ReScanDev", true},
    {"IsDriverRun", true},
    {"UpdateDriver", true},
    {"InstallDriver", true},
    {"CheckAndKillKoviAdb", true},
    {"GetHDiskMac", true},
    {"GetWindowsVersion", true},
    {"IsWindows64", true},
    {"GetDumpApkInfo", false},
    {"GetFileMD5", true},
    {"GetStringMD5", true},
    {"IsRomMatchPhone", true},
};

TEST(HemlarExportTable, EveryNameResolves) {
    std::set<std::string> names;
    for (const ExportName& e : kExports) names.insert(e.name);
    EXPECT_EQ(names.size(), 34u);

    HemlarLibrary hemlar;
    ASSERT_TRUE(hemlar.Loaded());
    for (const ExportName& e : kExports) {
        if (!e.present) continue;
        EXPECT_NE(hemlar.Get<void (*)()>(e.name), nullptr) << e.name;
    }
}

}  // namespace
