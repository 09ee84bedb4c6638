// The list of backups on this PC: what a new list and an appended entry look
// like on disk, texts in the ANSI code page and older UTF-8 files, the existence mask by item
// bit, deletion by time, and damaged or missing lists left untouched.
#include "TestPaths.h"
#include "backup/BackupListFile.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Field(const char* field) { return field; }

const std::string kStamp = "2026-12-10-20-31-07";
// "小米手机" in the ANSI code page the program's fields use.
const std::string kPhoneAnsi = WideToAnsi(L"小米手机", 936);

TEST(BackupListFile, ANewListWithOneEntryHoldsItsThreeAttributesInOrderInTheAnsiCodePage) {
    testsupport::ScratchDir dir;
    std::wstring list = dir.File(L"DataBackRes.xml");
    ASSERT_TRUE(CreateBackupList(list));
    std::string content = testsupport::ReadFileBytes(list);
    EXPECT_EQ(content.rfind("<?xml version='1.0' encoding='utf-8'?>", 0), 0u) << content;
    EXPECT_NE(content.find("<config/>"), std::string::npos);
    ASSERT_TRUE(AppendBackupRecord(list, MakeBackupRecord(kStamp, kPhoneAnsi, "C:\\backup\\" + kStamp)));
    // Rewritten after reading: the parsed <config> alone, the texts as the
    // program holds them.
    content = testsupport::ReadFileBytes(list);
    EXPECT_EQ(content.rfind("<config>", 0), 0u) << content;
    std::string expected = "<Element time=\"" + kStamp + "\" phoneName=\"" + kPhoneAnsi + "\" pathDir=\"C:\\backup\\" +
                           kStamp + "\"/>";
    EXPECT_NE(content.find(expected), std::string::npos) << content;

    std::vector<BackupRecord> records;
    ASSERT_TRUE(LoadBackupList(list, records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(Field(records[0].time), kStamp);
    EXPECT_EQ(Field(records[0].phoneName), kPhoneAnsi);
}

// Earlier builds stored UTF-8: such a list reads as the same texts and is
// written back in the ANSI code page. A list whose texts are ANSI stays so.
TEST(BackupListFile, AListWrittenInUtf8ByEarlierBuildsIsStillRead) {
    const std::string pathAnsi = WideToAnsi(L"D:\\备份\\" + AnsiToWide(kStamp), 936);
    const std::string phoneUtf8 = WideToUtf8(L"小米手机");
    const std::string pathUtf8 = WideToUtf8(L"D:\\备份\\" + AnsiToWide(kStamp));
    const struct {
        const char* name;
        std::string phone, path;
    } cases[] = {
        {"UTF-8 with its declaration", phoneUtf8, pathUtf8},
        {"ANSI", kPhoneAnsi, pathAnsi},
        {"ASCII phone, UTF-8 path", "MI 4LTE", pathUtf8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScratchDir dir;
        std::wstring list = dir.File(L"DataBackRes.xml");
        ASSERT_TRUE(testsupport::WriteFileBytes(
            list, "<?xml version='1.0' encoding='utf-8'?>\n<config>\n\t<Element time=\"" + kStamp +
                      "\" phoneName=\"" + c.phone + "\" pathDir=\"" + c.path + "\"/>\n</config>\n\n"));
        std::vector<BackupRecord> records;
        ASSERT_TRUE(LoadBackupList(list, records));
        ASSERT_EQ(records.size(), 1u);
        const std::string phone = c.phone == "MI 4LTE" ? c.phone : kPhoneAnsi;
        EXPECT_EQ(Field(records[0].phoneName), phone);
        EXPECT_EQ(Field(records[0].path), pathAnsi);
        const std::string written = testsupport::ReadFileBytes(list);
        EXPECT_NE(written.find("pathDir=\"" + pathAnsi + "\""), std::string::npos) << written;
        ASSERT_TRUE(LoadBackupList(list, records));
        EXPECT_EQ(Field(records[0].path), pathAnsi);
        EXPECT_EQ(Field(records[0].phoneName), phone);
    }
}

TEST(BackupListFile, TheMaskNamesTheItemsWhoseFilesAreThere) {
    testsupport::ScratchDir dir;
    const struct {
        std::vector<const wchar_t*> files;
        int mask;
    } cases[] = {
        {{L".vcf"}, 1}, {{L".xml"}, 2}, {{L".vcl"}, 4}, {{L".vcf", L".xml", L".vcl"}, 7}, {{}, 0},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::wstring base = dir.File(L"b" + std::to_wstring(n++));
        for (const wchar_t* extension : c.files) ASSERT_TRUE(testsupport::WriteFileBytes(base + extension, "x"));
        EXPECT_EQ(BackupFileMask(MakeBackupRecord(kStamp, "", WideToAnsi(base))), c.mask);
    }
}

TEST(BackupListFile, DeleteRemovesEveryEntryOfThatTime) {
    testsupport::ScratchDir dir;
    std::wstring list = dir.File(L"DataBackRes.xml");
    ASSERT_TRUE(CreateBackupList(list));
    const std::string other = "2026-12-11-08-00-00";
    for (const std::string& time : {kStamp, other, kStamp}) ASSERT_TRUE(AppendBackupRecord(list, MakeBackupRecord(time, "p", "c")));
    ASSERT_TRUE(DeleteBackupRecords(list, kStamp));
    std::vector<BackupRecord> records;
    ASSERT_TRUE(LoadBackupList(list, records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(Field(records[0].time), other);
    ASSERT_TRUE(DeleteBackupRecords(list, other));
    EXPECT_NE(testsupport::ReadFileBytes(list).find("<config/>"), std::string::npos);
}

TEST(BackupListFile, MissingEmptyOrDamagedListsAreNeitherReadNorOverwritten) {
    testsupport::ScratchDir dir;
    const struct {
        const char* label;
        const char* content;  // null: no file
    } cases[] = {
        {"missing", nullptr},
        {"empty", ""},
        {"cut short", "<config><Element time=\"2026"},
        {"another document", "<settings/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::wstring list = dir.File(AnsiToWide(c.label) + L".xml");
        if (c.content) ASSERT_TRUE(testsupport::WriteFileBytes(list, c.content));
        std::vector<BackupRecord> records(1);
        EXPECT_FALSE(LoadBackupList(list, records));
        EXPECT_TRUE(records.empty());
        EXPECT_FALSE(AppendBackupRecord(list, MakeBackupRecord(kStamp, "p", "c")));
        EXPECT_FALSE(DeleteBackupRecords(list, kStamp));
        if (c.content) EXPECT_EQ(testsupport::ReadFileBytes(list), c.content);
        EXPECT_FALSE(testsupport::PathExists(list + L".tmp"));
    }
}

TEST(BackupListFile, LongTextsAreCutAtAWholeCharacter) {
    std::wstring name(40, L'机');  // 80 bytes in the code page, 50 fit
    BackupRecord record = MakeBackupRecord(kStamp, WideToAnsi(name, 936), "c");
    EXPECT_EQ(AnsiToWide(record.phoneName, 936), std::wstring(24, L'机'));
}

}  // namespace
