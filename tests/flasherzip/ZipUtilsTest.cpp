// Unzip and UnzipWithBackup: hostile archives, the keep list, backups with
// their relative paths, read-only targets and failed items.
#include "ItemNames.h"
#include "ZipTextHelpers.h"
#include "ZipUtils.h"

#include "TestPaths.h"
#include "ZipWriter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using testsupport::ReadFileBytes;
using testsupport::ScratchDir;
using testsupport::WriteFileBytes;
using testsupport::ZipWriter;

namespace fs = std::filesystem;

namespace {

// Every hostile name carries this mark, so a stray file is found wherever it lands.
constexpr char kMark[] = "mutx";

void SetUInt16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

size_t EndRecord(const std::string& zip) { return zip.rfind("PK\x05\x06"); }

std::vector<fs::path> MarkedFiles(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().find(kMark) != std::string::npos) found.push_back(it->path());
    }
    return found;
}

class ZipUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        target = dir.File(L"install\\");
        backup = dir.File(L"backup\\");
        CreateDirectoryW(target.c_str(), nullptr);
    }
    std::wstring Write(const std::string& bytes) {
        const std::wstring path = dir.File(L"package.zip");
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }
    ScratchDir dir;
    std::wstring target, backup;
};

struct HostileCase {
    const char* name;
    std::function<std::string()> archive;
};

TEST_F(ZipUtilsTest, HostileArchivesAreReportedAndStayInTheirFolder) {
    const HostileCase cases[] = {
        {"parent", [] { ZipWriter w; w.Add("../mutx-up.txt", "x"); return w.Build(); }},
        {"parent with backslashes", [] { ZipWriter w; w.Add("..\\mutx-back.txt", "x"); return w.Build(); }},
        {"climb after a folder", [] { ZipWriter w; w.Add("a/../../mutx-climb.txt", "x", false); return w.Build(); }},
        {"dots and blanks", [] { ZipWriter w; w.Add(".. /mutx-blank.txt", "x"); w.Add(".../mutx-dots.txt", "x"); return w.Build(); }},
        {"absolute", [] { ZipWriter w; w.Add("/mutx-abs.txt", "x"); w.Add("\\mutx-abs2.txt", "x"); return w.Build(); }},
        {"drive", [] { ZipWriter w; w.Add("C:\\mutx-drive.txt", "x"); w.Add("C:mutx-rel.txt", "x"); return w.Build(); }},
        {"data stream", [] { ZipWriter w; w.Add("ok-mutx.txt:mutx-stream", "x"); return w.Build(); }},
        {"folder leading out", [] { ZipWriter w; w.AddDirectory("../mutx-dir"); return w.Build(); }},
        {"duplicate names", [] { ZipWriter w; w.Add("dup.txt", "first"); w.Add("DUP.txt", "second"); return w.Build(); }},
        {"file and folder of one name", [] { ZipWriter w; w.Add("same", "file"); w.AddDirectory("same"); return w.Build(); }},
        {"folder then file of one name", [] { ZipWriter w; w.AddDirectory("twice"); w.Add("twice", "file"); return w.Build(); }},
        {"bad crc", [] { ZipWriter w; w.Add("mutx-crc.txt", std::string(4000, 'c')).declaredCrc = 7; return w.Build(); }},
        {"zip bomb", [] {
             // 200 MiB of zeros deflate to about 200 KiB; the entry claims 1000 bytes.
             ZipWriter w;
             w.Add("mutx-bomb.bin", std::string(200u << 20, '\0')).declaredSize = 1000;
             return w.Build();
         }},
        {"end record lies about the count", [] {
             ZipWriter w;
             w.Add("counted.txt", "x");
             std::string zip = w.Build();
             SetUInt16(zip, EndRecord(zip) + 8, 2);
             SetUInt16(zip, EndRecord(zip) + 10, 2);
             return zip;
         }},
        {"end record lies about the directory", [] {
             ZipWriter w;
             w.Add("mutx-moved.txt", "x");
             std::string zip = w.Build();
             zip[EndRecord(zip) + 16] = static_cast<char>(zip[EndRecord(zip) + 16] + 9);
             return zip;
         }},
        {"truncated", [] {
             ZipWriter w;
             w.Add("mutx-cut.txt", std::string(20000, 't'));
             std::string zip = w.Build();
             return zip.substr(0, zip.size() / 2);
         }},
        {"truncated in the directory", [] {
             ZipWriter w;
             w.Add("mutx-cut2.txt", "x");
             w.Add("mutx-cut3.txt", "y");
             std::string zip = w.Build();
             return zip.substr(0, zip.size() - 30) + zip.substr(EndRecord(zip));
         }},
    };
    for (bool withBackup : {false, true}) {
        for (const HostileCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (withBackup ? " with backup" : ""));
            const std::wstring path = Write(c.archive());
            EXPECT_FALSE(UnzipWithBackup(path.c_str(), target.c_str(), withBackup ? backup.c_str() : nullptr, {}));
            for (const fs::path& stray : MarkedFiles(fs::path(dir.Path()))) ADD_FAILURE() << "written: " << stray;
            for (const wchar_t* root : {L"C:\\mutx-drive.txt", L"C:\\mutx-abs.txt", L"C:\\mutx-abs2.txt"})
                EXPECT_EQ(GetFileAttributesW(root), INVALID_FILE_ATTRIBUTES) << root;
            // No temporary file is left behind either.
            for (const auto& entry : fs::recursive_directory_iterator(fs::path(target)))
                EXPECT_EQ(entry.path().wstring().find(L".unzipping"), std::wstring::npos) << entry.path();
        }
    }
    EXPECT_EQ(ReadFileBytes(target + L"dup.txt"), "first");  // the first of two items keeps its place
}

TEST_F(ZipUtilsTest, KeepListIsExactAndCaseSensitive) {
    WriteFileBytes(target + L"data\\BrushConfig.dat", "user settings");
    CreateDirectoryW((target + L"data").c_str(), nullptr);
    WriteFileBytes(target + L"data\\BrushConfig.dat", "user settings");
    WriteFileBytes(target + L"data\\readme.txt", "old readme");
    WriteFileBytes(target + L"data\\notes.txt", "old notes");
    ZipWriter w;
    w.Add("data/BrushConfig.dat", "shipped settings");
    w.Add("data/readme.txt", "new readme");
    w.Add("data/notes.txt", "new notes");
    const std::wstring path = Write(w.Build());
    const std::vector<std::wstring> keep = {L"data/BrushConfig.dat", L"data/README.txt", L"data\\notes.txt"};
    ASSERT_TRUE(UnzipWithBackup(path.c_str(), target.c_str(), nullptr, keep));
    EXPECT_EQ(ReadFileBytes(target + L"data\\BrushConfig.dat"), "user settings");
    EXPECT_EQ(ReadFileBytes(target + L"data\\readme.txt"), "new readme");
    EXPECT_EQ(ReadFileBytes(target + L"data\\notes.txt"), "new notes");
}

TEST_F(ZipUtilsTest, ReplacedFilesMoveToTheBackupWithTheirRelativePaths) {
    CreateDirectoryW((target + L"bin").c_str(), nullptr);
    WriteFileBytes(target + L"bin\\tool.exe", "old tool");
    WriteFileBytes(target + L"top.txt", "old top");
    SetFileAttributesW((target + L"top.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // A backup of an older run is replaced by the file being replaced now.
    CreateDirectoryW(backup.c_str(), nullptr);
    WriteFileBytes(backup + L"top.txt", "ancient top");
    ZipWriter w;
    w.AddDirectory("bin");
    w.Add("bin/tool.exe", "new tool");
    w.Add("top.txt", "new top").externalAttributes = 0x21;  // read-only in the archive
    w.Add("fresh/new.txt", "new file");
    const std::wstring path = Write(w.Build());
    ASSERT_TRUE(UnzipWithBackup(path.c_str(), target.c_str(), backup.c_str(), {}));
    EXPECT_EQ(ReadFileBytes(target + L"bin\\tool.exe"), "new tool");
    EXPECT_EQ(ReadFileBytes(target + L"top.txt"), "new top");
    EXPECT_EQ(ReadFileBytes(target + L"fresh\\new.txt"), "new file");
    EXPECT_EQ(ReadFileBytes(backup + L"bin\\tool.exe"), "old tool");
    EXPECT_EQ(ReadFileBytes(backup + L"top.txt"), "old top");
    EXPECT_EQ(GetFileAttributesW((backup + L"fresh").c_str()), INVALID_FILE_ATTRIBUTES);
    // Installed files stay writable, whatever the archive or the old file said.
    EXPECT_FALSE(GetFileAttributesW((target + L"top.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(ZipUtilsTest, WithoutBackupFoldersAreMadeAndReadOnlyFilesReplaced) {
    WriteFileBytes(target + L"locked.txt", "old");
    SetFileAttributesW((target + L"locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ZipWriter w;
    w.AddDirectory("empty/inner");
    w.Add("locked.txt", "new");
    w.Add("deep/er/file.txt", "deep");
    const std::wstring path = Write(w.Build());
    ASSERT_TRUE(UnzipWithBackup(path.c_str(), target.c_str(), nullptr, {}));
    EXPECT_TRUE(GetFileAttributesW((target + L"empty\\inner").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(ReadFileBytes(target + L"locked.txt"), "new");
    EXPECT_FALSE(GetFileAttributesW((target + L"locked.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ReadFileBytes(target + L"deep\\er\\file.txt"), "deep");
}

TEST_F(ZipUtilsTest, AFailedItemLeavesItsOldFileInPlace) {
    WriteFileBytes(target + L"app.dll", "working version");
    ZipWriter w;
    w.Add("app.dll", std::string(3000, 'n')).declaredCrc = 99;
    w.Add("other.txt", "fine");
    const std::wstring path = Write(w.Build());
    for (const wchar_t* backupFolder : {static_cast<const wchar_t*>(nullptr), backup.c_str()}) {
        EXPECT_FALSE(UnzipWithBackup(path.c_str(), target.c_str(), backupFolder, {}));
        EXPECT_EQ(ReadFileBytes(target + L"app.dll"), "working version");
        EXPECT_EQ(ReadFileBytes(target + L"other.txt"), "fine");
        EXPECT_EQ(GetFileAttributesW((backup + L"app.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

std::vector<std::wstring> g_lines;
void KeepLine(const wchar_t* line) { g_lines.push_back(line); }

// Items are written on several threads; what each one did, the log lines and
// the result must still be those of writing them in the archive's order.
TEST_F(ZipUtilsTest, ManyItemsWithFailuresAmongThemLogInArchiveOrder) {
    CreateDirectoryW((target + L"old").c_str(), nullptr);
    ZipWriter w;
    std::vector<std::wstring> expected;
    for (int i = 0; i < 120; ++i) {
        const std::string name = (i % 3 ? "new" : "old") + std::string("/f") + std::to_string(i) + ".txt";
        if (i % 3 == 0) WriteFileBytes(target + WithBackslashes(std::wstring(name.begin(), name.end())), "old " + name);
        auto& entry = w.Add(name, std::string(1000 + i, static_cast<char>('a' + i % 26)));
        if (i % 17 == 5) {
            entry.declaredCrc = 1;  // fails its check
            expected.push_back(L" UnzipItem != ZR_OK, ze.name = " + std::wstring(name.begin(), name.end()) +
                               L" errcode= ");
        }
        if (i == 60) {
            w.Add("NEW/F1.TXT", "second of a name");
            expected.push_back(L" refused a second item of the same name, ze.name = NEW/F1.TXT");
        }
        if (i == 90) {
            w.Add("../mutx-out.txt", "x");
            expected.push_back(L" refused item outside the folder, ze.name = ../mutx-out.txt");
        }
    }
    const std::wstring path = Write(w.Build());
    for (bool withBackup : {false, true}) {
        SCOPED_TRACE(withBackup ? "with backup" : "without backup");
        g_lines.clear();
        SetZipUtilsLogger(&KeepLine);
        EXPECT_FALSE(UnzipWithBackup(path.c_str(), target.c_str(), withBackup ? backup.c_str() : nullptr, {}));
        SetZipUtilsLogger(nullptr);
        ASSERT_EQ(g_lines.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(g_lines[i].compare(0, expected[i].size(), expected[i]), 0) << g_lines[i];
        for (int i = 0; i < 120; ++i) {
            const std::string name = (i % 3 ? "new" : "old") + std::string("/f") + std::to_string(i) + ".txt";
            const std::wstring file = WithBackslashes(std::wstring(name.begin(), name.end()));
            const std::string fresh(1000 + i, static_cast<char>('a' + i % 26));
            if (i % 17 != 5) {
                EXPECT_EQ(ReadFileBytes(target + file), fresh) << name;
            } else if (i % 3 == 0) {
                EXPECT_EQ(ReadFileBytes(target + file), "old " + name);
            } else if (!withBackup) {
                EXPECT_EQ(GetFileAttributesW((target + file).c_str()), INVALID_FILE_ATTRIBUTES) << name;
            }
            // The second run backs up what the first wrote.
            if (withBackup && i % 17 != 5) {
                EXPECT_EQ(ReadFileBytes(backup + file), fresh) << name;
            }
        }
        EXPECT_TRUE(MarkedFiles(fs::path(dir.Path())).empty());
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(target)))
            EXPECT_EQ(entry.path().wstring().find(L".unzipping"), std::wstring::npos) << entry.path();
    }
}

// Items that could end up as one file on disk, or a file where another item
// needs a folder, are not written at once.
TEST(ItemNames, WritableInAnyOrder) {
    struct Case {
        const char* what;
        std::vector<ItemPath> items;
        const wchar_t* backup;
        bool independent;
    };
    const Case cases[] = {
        {"files in folders", {{L"a\\1.txt", false}, {L"a\\2.txt", false}, {L"b\\1.txt", false}}, L"", true},
        {"folder items and their files", {{L"a\\", true}, {L"a\\1.txt", false}, {L"a\\b", true}}, L"", true},
        {"a file where a folder goes", {{L"a", false}, {L"a\\1.txt", false}}, L"", false},
        {"the folder first", {{L"a\\1.txt", false}, {L"A", false}}, L"", false},
        {"a folder item of a file's name", {{L"x.txt", false}, {L"X.TXT", true}}, L"", false},
        {"trailing dot and blank", {{L"a.txt", false}, {L"A.txt. ", false}}, L"", false},
        {"a dot part", {{L"a\\.\\1.txt", false}, {L"a\\1.txt", false}}, L"", false},
        {"a short name", {{L"PROGRA~1\\x", false}, {L"y", false}}, L"", false},
        {"backups beside the target", {{L"a\\1.txt", false}, {L"b.txt", false}}, L"C:\\bk\\", true},
        {"a backup over an item", {{L"1.txt", false}, {L"bk\\1.txt", false}}, L"C:\\t\\bk\\", false},
        {"an item where a backup folder goes", {{L"bk\\a", false}, {L"a\\x", false}}, L"C:\\t\\bk\\", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WritableInAnyOrder(c.items, L"C:\\t\\", c.backup), c.independent) << c.what;
}

TEST_F(ZipUtilsTest, UnzipOneItem) {
    ZipWriter w;
    w.Add("Rirorivuvi/recovery.img", "image bytes");
    const std::wstring path = Write(w.Build());
    const std::wstring out = dir.File(L"out\\sub\\recovery.img");
    EXPECT_TRUE(Unzip(path.c_str(), L"Rirorivuvi/recovery.img", out.c_str()));
    EXPECT_EQ(ReadFileBytes(out), "image bytes");

    WriteFileBytes(out, "untouched");
    EXPECT_FALSE(Unzip(path.c_str(), L"Rirorivuvi/RECOVERY.img", out.c_str()));
    EXPECT_FALSE(Unzip(dir.File(L"missing.zip").c_str(), L"Rirorivuvi/recovery.img", out.c_str()));
    EXPECT_EQ(ReadFileBytes(out), "untouched");

    // The narrow form takes ANSI text, Chinese included.
    const std::wstring chinese = dir.File(L"\u4e2d\u6587\\r.img");
    EXPECT_TRUE(Unzip(testsupport::ToAnsi(path).c_str(), "Rirorivuvi/recovery.img",
                      testsupport::ToAnsi(chinese).c_str()));
    EXPECT_EQ(ReadFileBytes(chinese), "image bytes");
}

TEST(ZipTextHelpers, FixedBuffersAndFolderChains) {
    wchar_t wide[kZipTextBuffer];
    EXPECT_TRUE(AnsiToWide("\xd6\xd0\xce\xc4", wide));  // "中文" in code page 936
    EXPECT_STREQ(wide, L"\u4e2d\u6587");
    char narrow[kZipTextBuffer];
    EXPECT_TRUE(WideToAnsi(L"\u4e2d\u6587", narrow));
    EXPECT_STREQ(narrow, "\xd6\xd0\xce\xc4");
    EXPECT_FALSE(AnsiToWide(std::string(300, 'a').c_str(), wide));  // refused, not cut
    EXPECT_STREQ(wide, L"");

    ScratchDir dir;
    const std::string base = testsupport::ToAnsi(dir.Path());
    CreateDirectoriesForFile((base + "one\\two/three\\file.txt").c_str());
    EXPECT_TRUE(GetFileAttributesA((base + "one\\two\\three").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    CreateDirectoryChain((base + "a/b/c").c_str());
    EXPECT_TRUE(GetFileAttributesA((base + "a\\b\\c").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    CreateDirectoryChain((base + std::string(300, 'x')).c_str());  // too long: nothing made
    EXPECT_EQ(GetFileAttributesA((base + "xxxxxxxx").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
