// Applying a package to an installation: keep list, backups, settings, the
// version files, and that a failure or an interruption never leaves a mix.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestPaths.h"
#include "UpdaterFixture.h"
#include "ZipWriter.h"
#include "core/ApplyJournal.h"
#include "core/ApplyUpdate.h"
#include "core/Flavour.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"

namespace {

using updatertest::FileSet;
using updatertest::kMissing;

const FileSet kOldFiles = {{"Torvanik.exe", "old main"},       {"Hemlar.dll", "old bridge"},
                           {"skin/Torvanik/a.xml", "old skin"}, {"data/BrushConfig.dat", "[channel]\r\nvalue=\r\n"},
                           {"DownModule/Downloader.db", "user's queue"}};
const FileSet kPackageFiles = {{"Torvanik.exe", "new main"},
                               {"Hemlar.dll", "new bridge"},
                               {"skin/Torvanik/a.xml", "new skin"},
                               {"skin/Torvanik/b.xml", "added skin"},
                               {"data/BrushConfig.dat", "[channel]\r\nvalue=pkg\r\n[Webapi]\r\nindex=2\r\n"},
                               {"DownModule/Downloader.db", "empty queue"},
                               {"DownModule/downloads/Downloader.db", "empty queue"},
                               {"autoupdate/curjson", "{\"versionName\":\"9.9.9\"}"}};
// The package's files that replace or add files of the installation.
const FileSet kReplaced = {{"Torvanik.exe", ""}, {"Hemlar.dll", ""}, {"skin/Torvanik/a.xml", ""}, {"skin/Torvanik/b.xml", ""}};

class ApplyUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        request.paths = UpdatePaths::ForInstallation(updatertest::MakeInstallationFolder(scratch));
        request.version = "2.0.0";
        request.keepList = DescribeFlavour(1, 1).keepList;
        request.settingsFile = L"data\\BrushConfig.dat";
        updatertest::WriteFiles(request.paths.base, kOldFiles);
        testsupport::WriteFileBytes(request.paths.curjson, updatertest::VersionJson("1.0.0"));
        testsupport::WriteFileBytes(request.paths.newjson, updatertest::VersionJson("2.0.0"));
    }
    void WritePackage(const std::string& bytes) { testsupport::WriteFileBytes(request.paths.package, bytes); }
    FileSet Installed(const FileSet& names) const { return updatertest::ReadFiles(request.paths.base, names); }
    std::wstring Backup() const { return request.paths.BackupFolder(request.version); }
    // The journal this update writes, without its items.
    ApplyJournal Journal() const {
        ApplyJournal journal;
        journal.backupFolder = Backup();
        journal.settingsFile = request.settingsFile;
        journal.package = request.paths.package;
        return journal;
    }

    // The installation is exactly the old one: files, version files, no journal.
    void ExpectOldInstallation() {
        FileSet expected = kOldFiles;
        expected["skin/Torvanik/b.xml"] = kMissing;
        EXPECT_EQ(Installed(expected), expected);
        EXPECT_EQ(testsupport::ReadFileBytes(request.paths.curjson), updatertest::VersionJson("1.0.0"));
        EXPECT_TRUE(FileExists(request.paths.newjson));
        EXPECT_FALSE(FileExists(request.paths.applyJournal));
        EXPECT_FALSE(FileExists(request.paths.appliedMarker));
    }

    // Every file of the scratch folder outside the installation.
    FileSet Outside() const {
        FileSet files = updatertest::AllFiles(scratch.Path());
        for (auto it = files.begin(); it != files.end();)
            it = it->first.rfind(kInstallationPrefix, 0) == 0 ? files.erase(it) : std::next(it);
        return files;
    }

    testsupport::ScratchDir scratch;
    ApplyRequest request;
    const std::string kInstallationPrefix = "Program Files/\xE5\xAE\x89\xE8\xA3\x85 \xE7\x9B\xAE\xE5\xBD\x95/";
};

TEST_F(ApplyUpdateTest, ReplacesFilesKeepsTheUsersAndBacksUpEveryOriginal) {
    WritePackage(updatertest::PackageOf(kPackageFiles));
    ASSERT_EQ(ApplyUpdate(request), ApplyResult::Applied);

    EXPECT_EQ(Installed(kReplaced), (FileSet{{"Torvanik.exe", "new main"}, {"Hemlar.dll", "new bridge"},
                                             {"skin/Torvanik/a.xml", "new skin"}, {"skin/Torvanik/b.xml", "added skin"}}));
    // The keep list: the user's database and version file stay, a missing one is not written.
    EXPECT_EQ(Installed({{"DownModule/Downloader.db", ""}, {"DownModule/downloads/Downloader.db", ""}}),
              (FileSet{{"DownModule/Downloader.db", "user's queue"}, {"DownModule/downloads/Downloader.db", kMissing}}));
    // Every replaced original is in the backup, under its relative path; nothing else is.
    EXPECT_EQ(updatertest::AllFiles(Backup()),
              (FileSet{{"Torvanik.exe", "old main"}, {"Hemlar.dll", "old bridge"}, {"skin/Torvanik/a.xml", "old skin"}}));
    // The version files follow, the old one kept as oldjson.
    EXPECT_EQ(testsupport::ReadFileBytes(request.paths.curjson), updatertest::VersionJson("2.0.0"));
    EXPECT_EQ(testsupport::ReadFileBytes(request.paths.oldjson), updatertest::VersionJson("1.0.0"));
    EXPECT_FALSE(FileExists(request.paths.newjson));
    // The empty channel takes the package's, the missing index too; the settings file is otherwise the user's.
    const std::wstring settings = request.paths.base + L"data\\BrushConfig.dat";
    wchar_t value[64] = {};
    GetPrivateProfileStringW(L"channel", L"value", L"", value, 64, settings.c_str());
    EXPECT_STREQ(value, L"pkg");
    EXPECT_EQ(GetPrivateProfileIntW(L"Webapi", L"index", -1, settings.c_str()), 2u);
    EXPECT_FALSE(FileExists(request.paths.applyJournal));
    EXPECT_FALSE(FileExists(request.paths.appliedMarker));
}

TEST_F(ApplyUpdateTest, NothingIsWrittenOutsideTheInstallation) {
    testsupport::WriteFileBytes(scratch.File(L"escaped.txt"), "a neighbour's file");
    testsupport::ScopedCurrentFolder current(scratch.Path());  // no settings copy lands here
    const FileSet before = Outside();
    WritePackage(updatertest::PackageOf(kPackageFiles));
    EXPECT_EQ(ApplyUpdate(request), ApplyResult::Applied);
    EXPECT_EQ(Outside(), before);
}

TEST_F(ApplyUpdateTest, APackageNamingPlacesOutsideIsRefusedWhole) {
    testsupport::WriteFileBytes(scratch.File(L"Program Files\\escaped.txt"), "a neighbour's file");
    const FileSet before = Outside();
    for (const char* hostile : {"../escaped.txt", "..\\escaped.txt", "skin/../../escaped.txt", "C:/escaped.txt"}) {
        WritePackage(testsupport::BuildZip({{"Torvanik.exe", "new main"}, {hostile, "out"}}));
        EXPECT_EQ(ApplyUpdate(request), ApplyResult::Failed) << hostile;
        EXPECT_EQ(Outside(), before) << hostile;
        ExpectOldInstallation();
    }
}

TEST_F(ApplyUpdateTest, ABrokenPackageLeavesEverythingUnchanged) {
    const std::string whole = updatertest::PackageOf(kPackageFiles);
    std::vector<testsupport::ZipItem> damaged = {{"Torvanik.exe", "new main"}, {"skin/Torvanik/b.xml", "added"},
                                                 {"Hemlar.dll", "new bridge"}};
    damaged.back().declaredCrc = 0x12345678;  // the last item fails its check after two were written
    const std::string cases[] = {whole.substr(0, whole.size() / 2), whole.substr(0, whole.size() - 10),
                                 "not a zip at all", testsupport::BuildZip(damaged)};
    for (const std::string& package : cases) {
        WritePackage(package);
        EXPECT_EQ(ApplyUpdate(request), ApplyResult::Failed);
        ExpectOldInstallation();
        EXPECT_TRUE(updatertest::AllFiles(Backup()).empty());
    }
}

TEST_F(ApplyUpdateTest, TestRunChangesNothing) {
    WritePackage(updatertest::PackageOf(kPackageFiles));
    testsupport::WriteFileBytes(request.paths.testRunMarker, "");
    EXPECT_EQ(ApplyUpdate(request), ApplyResult::TestRun);
    ExpectOldInstallation();
}

// A start after an apply was cut off while files were being replaced: the
// journal lists them; backups return, added files go.
TEST_F(ApplyUpdateTest, RecoveryUndoesAnApplyCutOffWhileReplacingFiles) {
    WritePackage(updatertest::PackageOf(kPackageFiles));
    ApplyJournal journal = Journal();
    journal.items = {{L"Torvanik.exe", true}, {L"Hemlar.dll", true}, {L"skin\\Torvanik\\a.xml", true},
                     {L"skin\\Torvanik\\b.xml", false}};
    ASSERT_TRUE(WriteApplyJournal(request.paths.applyJournal, journal));
    // Torvanik.exe replaced, Hemlar.dll moved away with its new copy still staged, b.xml added.
    updatertest::WriteFiles(Backup(), {{"Torvanik.exe", "old main"}, {"Hemlar.dll", "old bridge"}});
    updatertest::WriteFiles(request.paths.base,
                            {{"Torvanik.exe", "new main"}, {"Hemlar.dll.new-77", "new bri"}, {"skin/Torvanik/b.xml", "added"}});
    RemoveFileEvenIfReadOnly(request.paths.base + L"Hemlar.dll");

    EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::RolledBack);
    ExpectOldInstallation();
    EXPECT_FALSE(FileExists(request.paths.base + L"Hemlar.dll.new-77"));
    EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::Nothing);
}

TEST_F(ApplyUpdateTest, RecoveryCompletesAnApplyWhoseFilesWereAllReplaced) {
    WritePackage(updatertest::PackageOf(kPackageFiles));
    ASSERT_TRUE(WriteApplyJournal(request.paths.appliedMarker, Journal()));
    EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::Completed);
    EXPECT_EQ(testsupport::ReadFileBytes(request.paths.curjson), updatertest::VersionJson("2.0.0"));
    EXPECT_EQ(testsupport::ReadFileBytes(request.paths.oldjson), updatertest::VersionJson("1.0.0"));
    EXPECT_FALSE(FileExists(request.paths.appliedMarker));
}

// A start that recovers while the new version of a library is loaded (in use,
// as the running programs hold theirs): it cannot be replaced or deleted, so
// it moves aside and the original returns; the new folder, its file and the
// unpacking's temporary file go. What was moved aside goes at a later start.
TEST_F(ApplyUpdateTest, RecoveryMovesALoadedLibraryAsideAndRemovesWhatTheUnpackCreated) {
    const std::string library = testsupport::ReadFileBytes(testsupport::ProgramFolder() + L"wke.dll");
    updatertest::WriteFiles(request.paths.base, {{"wke.dll", library + "new"}});
    updatertest::WriteFiles(Backup(), {{"wke.dll", library}});
    updatertest::WriteFiles(request.paths.base, {{"plugins/new/a.dat", "added"}, {"plugins/new/b.dat.1f-3.unzipping", "ad"}});
    ApplyJournal journal = Journal();
    journal.items = {{L"wke.dll", true}, {L"plugins\\new\\a.dat", false}, {L"plugins\\new\\b.dat", false}};
    journal.folders = {L"plugins", L"plugins\\new"};
    ASSERT_TRUE(WriteApplyJournal(request.paths.applyJournal, journal));

    HMODULE loaded = LoadLibraryW((request.paths.base + L"wke.dll").c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::RolledBack);
    EXPECT_EQ(testsupport::ReadFileBytes(request.paths.base + L"wke.dll"), library);
    EXPECT_FALSE(FileExists(Backup() + L"wke.dll"));
    EXPECT_FALSE(testsupport::PathExists(request.paths.base + L"plugins"));
    EXPECT_FALSE(FileExists(request.paths.applyJournal));
    const FileSet aside = updatertest::AllFiles(request.paths.asideFolder);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside.begin()->second, library + "new");
    FreeLibrary(loaded);
    EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::Nothing);
    EXPECT_FALSE(testsupport::PathExists(request.paths.asideFolder));
}

// Cut off after the backup became a second name of the original and before
// the new file took its place, with the original loaded at the recovery (the
// updater's own program is): the original stays and the journal goes, though
// the second name cannot go while the library is loaded.
TEST_F(ApplyUpdateTest, RecoveryEndsWhenTheBackupIsASecondNameOfALoadedOriginal) {
    const std::string library = testsupport::ReadFileBytes(testsupport::ProgramFolder() + L"wke.dll");
    updatertest::WriteFiles(request.paths.base, {{"wke.dll", library}});
    ASSERT_TRUE(CreateFolderTree(Backup()));
    ASSERT_TRUE(CreateHardLinkW((Backup() + L"wke.dll").c_str(), (request.paths.base + L"wke.dll").c_str(), nullptr));
    ApplyJournal journal = Journal();
    journal.items = {{L"wke.dll", true}};
    ASSERT_TRUE(WriteApplyJournal(request.paths.applyJournal, journal));

    HMODULE loaded = LoadLibraryW((request.paths.base + L"wke.dll").c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::RolledBack);
    EXPECT_EQ(testsupport::ReadFileBytes(request.paths.base + L"wke.dll"), library);
    EXPECT_FALSE(FileExists(request.paths.applyJournal));
    FreeLibrary(loaded);
    EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::Nothing);
}

// A file that cannot be put back yet keeps the journal: the next start
// finishes the rollback instead of leaving a mix behind.
TEST_F(ApplyUpdateTest, RecoveryKeepsItsJournalUntilEveryFileIsBack) {
    updatertest::WriteFiles(Backup(), {{"Torvanik.exe", "old main"}, {"Hemlar.dll", "old bridge"}});
    updatertest::WriteFiles(request.paths.base, {{"Torvanik.exe", "new main"}, {"Hemlar.dll", "new bridge"}});
    ApplyJournal journal = Journal();
    journal.items = {{L"Torvanik.exe", true}, {L"Hemlar.dll", true}};
    ASSERT_TRUE(WriteApplyJournal(request.paths.applyJournal, journal));
    {
        // Held without delete sharing: neither replaced nor renamed.
        ScopedHandle held(CreateFileW((request.paths.base + L"Hemlar.dll").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::Incomplete);
        EXPECT_TRUE(FileExists(request.paths.applyJournal));
        EXPECT_EQ(testsupport::ReadFileBytes(request.paths.base + L"Torvanik.exe"), "old main");
    }
    EXPECT_EQ(RecoverInterruptedApply(request.paths), Recovery::RolledBack);
    ExpectOldInstallation();
}

}  // namespace
