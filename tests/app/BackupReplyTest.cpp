// The companion app's backup replies as the backup window and the frame
// read them, the counting of entries in backup files, and the companion
// app's start giving up.
#include <gtest/gtest.h>

#include <windows.h>

#include "PhoneData.h"
#include "TestPaths.h"
#include "backup/BackupPulls.h"
#include "backup/BackupReply.h"
#include "messages/AppMessages.h"
#include "phonelink/PhoneLinkWorkers.h"

#include <filesystem>
#include <fstream>
#include <vector>

TEST(BackupReply, FileNameStampAndBitAreReadFromTheReply) {
    struct Case {
        const char* text;
        bool parsed;
        int bit;
        const char* phonePath;
        const char* stamp;
    } cases[] = {
        {"backup_1_/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcf", true, 1,
         "/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcf", "2015-12-08-10-00-00"},
        {"backup_4_/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcl", true, 4,
         "/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcl", "2015-12-08-10-00-00"},
        // Dots in folder names: the stamp ends at the file name's last dot.
        {"backup_2_/mnt/sd.card/my.files/doruvadedi/2015-12-08-10-00-00.xml", true, 2,
         "/mnt/sd.card/my.files/doruvadedi/2015-12-08-10-00-00.xml", "2015-12-08-10-00-00"},
        {"backup_1_/storage/emulated/0/doruvadedi/noextension", false, 0, "", ""},
        {"backup__/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcf", false, 0, "", ""},
        {"backup_1/storage/emulated/0/doruvadedi/2015-12-08-10-00-00.vcf", false, 0, "", ""},
        {"restore_1_/ok", false, 0, "", ""},
        {"", false, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        BackupReply reply;
        EXPECT_EQ(c.parsed, ParseBackupReply(c.text, reply));
        if (!c.parsed) continue;
        EXPECT_EQ(c.bit, reply.bit);
        EXPECT_EQ(c.phonePath, reply.phonePath);
        EXPECT_EQ(c.stamp, reply.stamp);
        EXPECT_EQ(std::string(c.stamp) + reply.phonePath.substr(reply.phonePath.size() - 4), reply.fileName);
    }
}

TEST(BackupReply, RestoreRepliesAndTheRestoreFolder) {
    EXPECT_EQ(1, ParseRestoreReplyBit("restore_1_/ok"));
    EXPECT_EQ(4, ParseRestoreReplyBit("restore_4_/differs"));
    EXPECT_EQ(0, ParseRestoreReplyBit("restore__/ok"));
    EXPECT_EQ(0, ParseRestoreReplyBit("restoreDir_/storage/emulated/0/doruvadedi/restore//"));
    EXPECT_EQ(0, ParseRestoreReplyBit("backup_1_/a.vcf"));
    std::string folder;
    EXPECT_TRUE(ParseRestoreDirReply("restoreDir_/storage/emulated/0/doruvadedi/restore//", folder));
    EXPECT_EQ("/storage/emulated/0/doruvadedi/restore/", folder);
    EXPECT_FALSE(ParseRestoreDirReply("restoreDir_", folder));
    EXPECT_FALSE(ParseRestoreDirReply("restore_1_/ok", folder));
}

TEST(BackupReply, EntriesAreCountedInWholeLines) {
    testsupport::ScratchDir dir;
    // Long message bodies make lines far longer than any fixed line buffer.
    const testpeers::PhoneData data = testpeers::MakePhoneData(345, 1234, 567);
    struct Case {
        int bit;
        const std::string* bytes;
        int expected;
    } cases[] = {{1, &data.vcf, 345}, {2, &data.xml, 1234}, {4, &data.vcl, 567}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bit);
        const std::wstring file = dir.File(L"backup" + std::to_wstring(c.bit));
        ASSERT_TRUE(testsupport::WriteFileBytes(file, *c.bytes));
        EXPECT_EQ(c.expected, CountBackupItems(file, c.bit));
    }
    EXPECT_EQ(0, CountBackupItems(dir.File(L"missing.vcf"), 1));
    EXPECT_EQ(L".vcf", std::wstring(BackupExtension(1)));
    EXPECT_EQ(L".xml", std::wstring(BackupExtension(2)));
    EXPECT_EQ(L".vcl", std::wstring(BackupExtension(4)));
    EXPECT_EQ(L"", std::wstring(BackupExtension(8)));
}

// Without a device library nothing starts the companion app: after five
// tries the frame is told, and no link is asked for.
TEST(HelperApp, FiveFailedStartsTellTheFrame) {
    HWND frame = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, frame);
    HelperAppJob job;
    job.frame = frame;
    job.programFolder = testsupport::ProgramFolder();
    job.retryPauseMs = 1;
    EXPECT_EQ(1, RunHelperApk(job));
    MSG msg;
    std::vector<UINT> posted;
    while (PeekMessageW(&msg, frame, 0, 0, PM_REMOVE)) posted.push_back(msg.message);
    EXPECT_EQ(std::vector<UINT>{appmsg::kHelperAppFailed}, posted);
    DestroyWindow(frame);
}

// Stands in for the device library's pull, looked up in this program: the
// contacts file is slow to come, the messages file comes at once and the
// call records never come.
extern "C" __declspec(dllexport) int __cdecl AdbPullFile(const wchar_t* commandLine) {
    const std::wstring line = commandLine;
    const size_t quote = line.rfind(L'"', line.size() - 2);
    const std::wstring local = line.substr(quote + 1, line.size() - quote - 2);
    if (line.find(L".vcl") != std::wstring::npos) return 0;
    if (line.find(L".vcf") != std::wstring::npos) Sleep(400);
    std::ofstream(std::filesystem::path(local), std::ios::binary) << "data";
    return 1;
}

// The copies of one backup run side by side, and the window takes them in
// the order they were asked for however they end; with no backup folder set
// every copy fails.
TEST(BackupPulls, EndedCopiesAreTakenInTheOrderAsked) {
    struct Case {
        const char* name;
        bool folderSet;
        bool expected[3];
    } cases[] = {
        {"the slow first copy holds back the later ones", true, {true, true, false}},
        {"no backup folder", false, {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScratchDir program;
        CreateDirectoryW(program.File(L"data").c_str(), nullptr);
        const std::wstring folder = program.File(L"backups");
        if (c.folderSet) {
            CreateDirectoryW(folder.c_str(), nullptr);
            WritePrivateProfileStringW(L"BackupDir", L"BackupPath", folder.c_str(),
                                       program.File(L"data\\BrushConfig.dat").c_str());
        }
        HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window);
        std::vector<BackupPulls::Ended> taken;
        {
            BackupPulls pulls;
            pulls.Prepare(window, GetModuleHandleW(nullptr));
            const std::wstring programFolder = program.Path().substr(0, program.Path().size() - 1);
            for (const char* text : {"backup_1_/storage/emulated/0/doruvadedi/2015-03-07-09-05-02.vcf",
                                     "backup_2_/storage/emulated/0/doruvadedi/2015-03-07-09-05-02.xml",
                                     "backup_4_/storage/emulated/0/doruvadedi/2015-03-07-09-05-02.vcl"}) {
                BackupReply reply;
                ASSERT_TRUE(ParseBackupReply(text, reply));
                pulls.Start(window, GetModuleHandleW(nullptr), programFolder, reply);
            }
            const DWORD start = GetTickCount();
            MSG msg;
            while (taken.size() < 3 && GetTickCount() - start < 10000) {
                if (!PeekMessageW(&msg, window, appmsg::kBackupFileCopied, appmsg::kBackupFileCopied, PM_REMOVE)) {
                    Sleep(5);
                    continue;
                }
                for (BackupPulls::Ended& ended : pulls.TakeEnded()) taken.push_back(std::move(ended));
            }
        }
        DestroyWindow(window);
        ASSERT_EQ(3u, taken.size());
        const int bits[] = {1, 2, 4};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(bits[i], taken[i].reply.bit) << i;
            EXPECT_EQ(c.expected[i], taken[i].pulled) << i;
            if (c.expected[i]) {
                EXPECT_TRUE(testsupport::PathExists(taken[i].localFile)) << i;
            }
        }
    }
}
