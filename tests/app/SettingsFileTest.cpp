// The settings file: first run creates the default folders and keys, a
// deleted folder is replaced, typed folders are created one level deep, and
// over-long paths are refused whole.
#include <gtest/gtest.h>

#include <windows.h>

#include "TestPaths.h"
#include "settings/SettingsFile.h"
#include "win32/FileUtil.h"

namespace {

std::wstring Key(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[512] = {};
    GetPrivateProfileStringW(section, key, L"", value, 512, file.c_str());
    return value;
}

}  // namespace

TEST(SettingsFile, FirstRunCreatesTheDefaultFoldersAndKeysAndKeepsExistingOnes) {
    testsupport::ScratchDir dir;
    std::wstring program = dir.Path();
    program.pop_back();
    SettingsFile settings(program);
    EXPECT_EQ(program + L"\\data\\BrushConfig.dat", settings.Path());
    const std::wstring root = SettingsFile::DefaultRoot();
    EXPECT_EQ(L":\\Torvanik", root.substr(1));

    ASSERT_TRUE(settings.EnsureFolders());
    EXPECT_TRUE(FolderExists(root + L"\\DownLoad"));
    EXPECT_TRUE(FolderExists(root + L"\\Backup"));
    EXPECT_EQ(root + L"\\DownLoad", Key(settings.Path(), L"DownLoadDir", L"DownLoadPath"));
    EXPECT_EQ(root + L"\\Backup", Key(settings.Path(), L"BackupDir", L"BackupPath"));

    // A stored download folder deleted meanwhile is replaced; an existing backup folder stays.
    const std::wstring mine = dir.File(L"mine");
    ASSERT_TRUE(CreateDirectoryW(mine.c_str(), nullptr));
    WritePrivateProfileStringW(L"DownLoadDir", L"DownLoadPath", dir.File(L"deleted").c_str(), settings.Path().c_str());
    WritePrivateProfileStringW(L"BackupDir", L"BackupPath", mine.c_str(), settings.Path().c_str());
    ASSERT_TRUE(settings.EnsureFolders());
    EXPECT_EQ(root + L"\\DownLoad", settings.DownloadFolder());
    EXPECT_EQ(mine, settings.BackupFolder());
}

TEST(SettingsFile, SavingCreatesOneLevelAndRefusesWhatCannotBeMade) {
    testsupport::ScratchDir dir;
    std::wstring program = dir.Path();
    program.pop_back();
    SettingsFile settings(program);

    EXPECT_TRUE(settings.SaveDownloadFolder(dir.File(L"new")));
    EXPECT_TRUE(FolderExists(dir.File(L"new")));
    EXPECT_EQ(dir.File(L"new"), settings.DownloadFolder());

    EXPECT_FALSE(settings.SaveBackupFolder(dir.File(L"a\\b")));  // two levels missing
    EXPECT_FALSE(FolderExists(dir.File(L"a")));
    EXPECT_EQ(L"", settings.BackupFolder());

    // An over-long path is refused, never cut and created truncated.
    std::wstring longPath = dir.Path();
    while (longPath.size() <= kMaxSettingsPath) longPath += L"x";
    EXPECT_FALSE(settings.SaveBackupFolder(longPath));
    EXPECT_FALSE(FolderExists(longPath.substr(0, 99)));
    EXPECT_EQ(L"", settings.BackupFolder());
    EXPECT_EQ(dir.File(L"new"), settings.DownloadFolder());
}

TEST(SettingsFile, ReadersGetTheirDefaultsWhenKeysAreMissing) {
    testsupport::ScratchDir dir;
    std::wstring program = dir.Path();
    program.pop_back();
    SettingsFile settings(program);
    EXPECT_EQ("none", settings.Channel("none"));
    EXPECT_EQ("error", settings.Channel("error"));
    EXPECT_EQ("none", settings.RecommendedPackageId());
    EXPECT_EQ(1, settings.WebApiIndex());
    CreateDirectoryW(dir.File(L"data").c_str(), nullptr);
    WritePrivateProfileStringW(L"channel", L"value", L"store7", settings.Path().c_str());
    WritePrivateProfileStringW(L"Webapi", L"index", L"2", settings.Path().c_str());
    EXPECT_EQ("store7", settings.Channel("none"));
    EXPECT_EQ(2, settings.WebApiIndex());
}
