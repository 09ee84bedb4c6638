// Hemlar.dll exports every name its callers bind with GetProcAddress.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "HemlarLibrary.h"

namespace {

// The bridge's whole export table: 34 names.
const char* const kExports[] = {
    "IsConnectPhone",
    "IsPhoneRoot",
    "GetAndroidID",
    "GetPhoneVersion",
    "GetPhoneBrand",
    "GetDevpBrandModel",
    "GetCellphoneScreenPng",
    "AndroidPortToPC",
    "AdbPullFile",
    "AdbPushFile",
    "AdbRunCommand",
    "AdbRunningApp",
    "ExportAndroidApk",
    "ExportAndroidApkByPackageName",
    "InstallAndroidApp",
    "AdbServerStart",
    "AdbServerStartEx",
    "AdbServerConnectStart",
    "AdbServerBackupStart",
    "AdbServerRestoreStart",
    "CheckFileAndKillActivity",
    "LaunchApp",
    "ReScanDev",
    "IsDriverRun",
    "UpdateDriver",
    "InstallDriver",
    "CheckAndKillKoviAdb",
    "GetHDiskMac",
    "GetWindowsVersion",
    "IsWindows64",
    "GetDumpApkInfo",
    "GetFileMD5",
    "GetStringMD5",
    "IsRomMatchPhone",
};

TEST(HemlarExportTable, EveryNameResolves) {
    std::set<std::string> names;
    for (const char* name : kExports) names.insert(name);
    EXPECT_EQ(names.size(), 34u);

    HemlarLibrary hemlar;
    ASSERT_TRUE(hemlar.Loaded());
    for (const char* name : kExports) EXPECT_NE(hemlar.Get<void (*)()>(name), nullptr) << name;
}

}  // namespace
