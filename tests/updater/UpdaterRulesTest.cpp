// The updater's rules that need no server: update classes, version names,
// modes, flavours, the report URL and the declined day.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestPaths.h"
#include "UpdaterFixture.h"
#include "core/Flavour.h"
#include "core/InstallReport.h"
#include "core/PackageCheck.h"
#include "core/RefusedOffer.h"
#include "core/RefusalDay.h"
#include "core/RunMode.h"
#include "core/VersionFiles.h"
#include "core/VersionName.h"
#include "win32/FileUtil.h"

namespace {

TEST(UpdateClass, OfferedAgainstInstalled) {
    struct Case {
        const char* offered;
        int expected;
    };
    const Case cases[] = {{"3.0.0", 1}, {"2.4.0", 2}, {"2.3.5", 3}, {"2.3.6", 2}, {"2.3.4", -1},
                          {"2.2.9", -1}, {"1.9.9", -1}, {"2.3", -1},  {"2.4", 2},    {"10.0.0", 1},
                          {"3", 1},      {"2.3.5.0", 3}, {"2.3.4.9", -1}, {"3.0", 1}};
    const VersionNumber installed = ParseVersionName("2.3.4");
    for (const Case& c : cases) EXPECT_EQ(UpdateClass(installed, ParseVersionName(c.offered)), c.expected) << c.offered;
}

// Missing parts count as 0, parts after the third are not read: "3.0" and
// "2.1" are updates of 2.0.x, whatever the installed name's length.
TEST(UpdateClass, NamesWithFewerOrMoreNumbers) {
    struct Case {
        const char* installed;
        const char* offered;
        int expected;
    };
    const Case cases[] = {{"2.0.0", "3.0", 1},   {"2.0.0", "2.1", 2},   {"2.0", "2.0.1", 3},   {"2", "2.0.2", 2},
                          {"2.0.0.7", "2.1", 2}, {"2.0.1", "2.0", -1},  {"2.1", "2.1.0.5", -1}, {"2.0.0", "3", 1}};
    testsupport::ScratchDir scratch;
    const std::wstring curjson = scratch.File(L"curjson");
    for (const Case& c : cases) {
        testsupport::WriteFileBytes(curjson, updatertest::VersionJson(c.installed));
        EXPECT_EQ(UpdateClassAgainstInstalled(curjson, c.offered), c.expected) << c.installed << " -> " << c.offered;
    }
}

TEST(UpdateClass, NothingInstalledIsClassTwo) {
    testsupport::ScratchDir scratch;
    EXPECT_EQ(UpdateClassAgainstInstalled(scratch.File(L"curjson"), "0.0.1"), 2);
    EXPECT_EQ(UpdateClassAgainstInstalled(scratch.File(L"curjson"), "99.0.0"), 2);
    EXPECT_EQ(InstalledVersionName(scratch.File(L"curjson")), "0.0.0");
}

TEST(VersionName, OnlyDottedNumbersMayBecomeFolders) {
    const char* accepted[] = {"2.0.0", "10.20.30", "0.0.1", "123456789.1.1", "2.0", "3", "2.0.0.0", "1.2.3.4.5.6.7.8"};
    const char* refused[] = {"",      "..\\..\\x", "2.0.0\\..", "2.0.0 ", " 2.0.0", "2..0",           "a.b.c",
                             "2.0.0/", "C:\\2.0.0",  "2.0.-1",   "1234567890.0.0", "2.0.0\"x", "2.", ".2",
                             "1.2.3.4.5.6.7.8.9", "."};
    for (const char* name : accepted) EXPECT_TRUE(IsVersionName(name)) << name;
    for (const char* name : refused) EXPECT_FALSE(IsVersionName(name)) << name;
}

TEST(VersionFiles, MembersOfMalformedFilesAreNothing) {
    testsupport::ScratchDir scratch;
    const std::wstring file = scratch.File(L"newjson");
    struct Case {
        std::string content;
        bool readable;
    };
    const Case cases[] = {{"{\"versionName\":\"2.0.0\"}", true},
                          {"{\"versionName\":2}", false},
                          {"[\"versionName\"]", false},
                          {"{\"versionName\":\"2.0.0\"", false},
                          {"", false},
                          {std::string("{\"versionName\":\"") + std::string(300, '9') + "\"}", false}};
    for (const Case& c : cases) {
        testsupport::WriteFileBytes(file, c.content);
        EXPECT_EQ(ReadVersionMember(file, "versionName").has_value(), c.readable) << c.content;
    }
}

TEST(RunMode, OnlyTheArgumentLengthDecides) {
    EXPECT_EQ(ModeOfArguments(L""), RunMode::Check);
    EXPECT_EQ(ModeOfArguments(L" koviupdate"), RunMode::Check);
    EXPECT_EQ(ModeOfArguments(L"-updater framemode tempmode reserve"), RunMode::Apply);
    EXPECT_EQ(ModeOfArguments(L"abcdefghijkl"), RunMode::Apply);
}

TEST(RunMode, ApplyModeNeedsTheStagingFolderOfAnInstallation) {
    testsupport::ScratchDir scratch;
    const std::wstring installation = updatertest::MakeInstallationFolder(scratch);
    EXPECT_EQ(InstallationOfStagingFolder(installation + L"autoupdate\\temp\\2.0.0\\"), installation);
    EXPECT_EQ(InstallationOfStagingFolder(installation + L"autoupdate\\TEMP\\2.0.0\\"), installation);
    EXPECT_EQ(InstallationOfStagingFolder(installation), L"");
    EXPECT_EQ(InstallationOfStagingFolder(installation + L"autoupdate\\temp\\x\\"), L"");
    EXPECT_EQ(InstallationOfStagingFolder(installation + L"other\\temp\\2.0.0\\"), L"");
    EXPECT_EQ(InstallationOfStagingFolder(scratch.Path() + L"autoupdate\\temp\\2.0.0\\"), L"");  // no such installation
}

TEST(Flavour, OwnFileNameDecides) {
    EXPECT_EQ(FlavourOfFileName(L"Quellart.exe"), 1);
    EXPECT_EQ(FlavourOfFileName(L"quellart.exe"), 0);
    EXPECT_EQ(FlavourOfFileName(L"Sarvel_up.exe"), 0);
    const ProductFlavour suite = DescribeFlavour(1, 2);
    EXPECT_EQ(suite.packageUrlKey, "downloadUrl");
    EXPECT_EQ(suite.skinResourceId, 114);
    ASSERT_EQ(suite.checkUrls.size(), 1u);
    EXPECT_NE(suite.checkUrls[0].find("/index.php?c=feedback&a=getSoftwareUpdate"), std::string::npos);
    EXPECT_EQ(DescribeFlavour(0, 1).packageUrlKey, "downloadurl");
}

TEST(Flavour, WebapiIndexRotatesTheOtherProductsHosts) {
    const ProductFlavour first = DescribeFlavour(0, 1);
    const ProductFlavour second = DescribeFlavour(0, 2);
    ASSERT_EQ(first.checkUrls.size(), 2u);
    EXPECT_EQ(second.checkUrls[0], first.checkUrls[1]);
    EXPECT_EQ(second.checkUrls[1], first.checkUrls[0]);
    EXPECT_EQ(second.reportUrls[0], first.reportUrls[1]);
    EXPECT_EQ(DescribeFlavour(0, 7).checkUrls, first.checkUrls);
}

TEST(Flavour, KeepListCoversTheDownloadersDatabaseWhereItLives) {
    const auto keep = DescribeFlavour(1, 1).keepList;
    for (const wchar_t* item : {L"DownModule/Downloader.db", L"DownModule/downloads/Downloader.db",
                                L"data/BrushConfig.dat", L"autoupdate/curjson"})
        EXPECT_NE(std::find(keep.begin(), keep.end(), item), keep.end()) << item;
}

TEST(InstallReport, UrlEncoding) {
    EXPECT_EQ(UrlEncode("Windows 7 64-bit"), "Windows%207%2064-bit");
    EXPECT_EQ(UrlEncode("a_b.c~d"), "a_b.c~d");
    EXPECT_EQ(UrlEncode("x&y=z/\xB0\xA1"), "x%26y%3Dz%2F%B0%A1");
}

TEST(InstallReport, ExactUrl) {
    const std::string templ = "http://127.0.0.1:9/index.php?c=feedback&a=pcActionLog"
                              "&mac=%s&os=%s&type=4&state=1&version=%s&msg=%s&channel=%s";
    InstallReportValues values{"00-11-22-33-44-55", "Windows 7 64-bit", "1.0.0", "2.0.0", "web&x"};
    EXPECT_EQ(FillReportUrl(templ, values),
              "http://127.0.0.1:9/index.php?c=feedback&a=pcActionLog&mac=00-11-22-33-44-55"
              "&os=Windows%207%2064-bit&type=4&state=1&version=1.0.0&msg=UpTo2.0.0&channel=web%26x");
}

// wYear, wMonth, wDayOfWeek, wDay.
constexpr SYSTEMTIME kDecember10 = {2026, 12, 0, 10};
constexpr SYSTEMTIME kDecember11 = {2026, 12, 0, 11};
constexpr SYSTEMTIME kJanuary10 = {2027, 1, 0, 10};

TEST(RefusalDay, DeclinedDatesTable) {
    testsupport::ScratchDir scratch;
    const std::wstring file = scratch.File(L"config.ini");
    const SYSTEMTIME today = kDecember10;
    struct Case {
        const wchar_t* stored;  // null: no file
        bool declined;
    };
    const Case cases[] = {{nullptr, false},      {L"20261210", true}, {L"20261209", false},
                          {L"20261110", false},  {L"10", false},      {L"0", false},
                          {L"20251210", false}};
    for (const Case& c : cases) {
        RemoveFileEvenIfReadOnly(file);
        if (c.stored) WritePrivateProfileStringW(L"nextDay", L"day", c.stored, file.c_str());
        EXPECT_EQ(DeclinedOn(file, today), c.declined) << (c.stored ? c.stored : L"(none)");
    }
}

TEST(RefusalDay, ADeclineHoldsForThatDateOnly) {
    testsupport::ScratchDir scratch;
    const std::wstring file = scratch.File(L"config.ini");
    RecordDecline(file, kDecember10);
    EXPECT_TRUE(DeclinedOn(file, kDecember10));
    EXPECT_FALSE(DeclinedOn(file, kDecember11));
    EXPECT_FALSE(DeclinedOn(file, kJanuary10));  // the same day of another month
}

TEST(RefusedOffer, OnlyTheSameVersionAndPackageCountAsRefused) {
    testsupport::ScratchDir scratch;
    const UpdatePaths paths = UpdatePaths::ForInstallation(updatertest::MakeInstallationFolder(scratch));
    const PackageOffer refused{"2.1", "http://host/\xD6\xD0/Update.zip"};
    EXPECT_FALSE(IsRefusedOffer(paths, refused));
    RememberRefusedOffer(paths, refused);
    EXPECT_TRUE(IsRefusedOffer(paths, refused));
    EXPECT_FALSE(IsRefusedOffer(paths, {"2.1.1", refused.packageUrl}));
    EXPECT_FALSE(IsRefusedOffer(paths, {"2.1", "http://host/other.zip"}));
    // newjson holds UTF-8; the offer is read in the ANSI code page (GBK here).
    testsupport::WriteFileBytes(paths.newjson, updatertest::VersionJson("2.1", "http://host/\xE4\xB8\xAD/Update.zip"));
    EXPECT_TRUE(IsRefusedOffer(paths, CurrentOffer(paths, "downloadUrl")));
}

TEST(PackageCheck, RefusesWhatDoesNotOpenOrNamesPlacesOutside) {
    testsupport::ScratchDir scratch;
    const std::wstring package = scratch.File(L"Update.zip");
    struct Case {
        std::string bytes;
        bool acceptable;
    };
    const Case cases[] = {{updatertest::PackageOf({{"a/b.txt", "x"}, {"Quellart.exe", "y"}}), true},
                          {updatertest::PackageOf({{"a/../../b.txt", "x"}}), false},
                          {updatertest::PackageOf({{"C:/b.txt", "x"}}), false},
                          {"not a zip", false},
                          {"", false}};
    for (const Case& c : cases) {
        testsupport::WriteFileBytes(package, c.bytes);
        EXPECT_EQ(PackageAcceptable(package), c.acceptable) << c.bytes.substr(0, 40);
    }
    EXPECT_FALSE(PackageAcceptable(scratch.File(L"missing.zip")));
}

}  // namespace
