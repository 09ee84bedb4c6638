// The bridge's zip reader against archives built by the test zip writer.
#include <gtest/gtest.h>

#include <cstring>

#include "TestPaths.h"
#include "archive/ZipArchive.h"
#include "ZipTestSupport.h"
#include "ZipWriter.h"

using testsupport::ScratchDir;
using testsupport::WriteFileBytes;
using testsupport::ZipWriter;
using testsupport::PathExists;
using testsupport::ScopedCurrentFolder;
using ziptest::ReadWholeFile;

namespace {

std::string PatternedData(size_t size, unsigned seed) {
    std::string data(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        // Half text-like runs, half noise: both inflate paths get exercised.
        data[i] = (i / 4096) % 2 ? static_cast<char>(x >> 24) : static_cast<char>('a' + (i % 26));
    }
    return data;
}

struct ZipFixture : ::testing::Test {
    ScratchDir dir;
    std::wstring archivePath = dir.File(L"test.zip");

    ZipArchivePtr Open(const ZipWriter& writer, const std::string& prefix = {}) {
        EXPECT_TRUE(WriteFileBytes(archivePath, writer.Build(prefix)));
        return ZipArchivePtr(OpenZipArchive(archivePath.c_str()));
    }
};

}  // namespace

TEST_F(ZipFixture, ExtractsStoredAndDeflatedEntriesOfManySizes) {
    const struct {
        const char* name;
        size_t size;
        bool deflate;
    } cases[] = {
        {"empty.txt", 0, true},        {"empty-stored.txt", 0, false}, {"one.txt", 1, true},
        {"small.bin", 4095, false},    {"40000.bin", 40000, true},     {"big-stored.bin", 700000, false},
        {"big-deflated.bin", 1500000, true},
    };
    ZipWriter writer;
    for (size_t i = 0; i < std::size(cases); ++i)
        writer.Add(cases[i].name, PatternedData(cases[i].size, static_cast<unsigned>(i)), cases[i].deflate);
    ZipArchivePtr zip = Open(writer);
    ASSERT_TRUE(zip);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        ZipEntryInfo info;
        ASSERT_EQ(kZipOk, GetZipItem(zip.get(), static_cast<int>(i), &info));
        EXPECT_EQ(cases[i].size, info.uncompressedSize);
        const std::wstring target = dir.File(L"out-" + std::to_wstring(i));
        ASSERT_EQ(kZipOk, UnzipItemToFile(zip.get(), static_cast<int>(i), target.c_str()));
        EXPECT_EQ(PatternedData(cases[i].size, static_cast<unsigned>(i)), ReadWholeFile(target));
    }
    EXPECT_EQ(kZipBadArgument, GetZipItem(zip.get(), static_cast<int>(std::size(cases)), nullptr));
    EXPECT_EQ(kZipBadArgument, GetZipItem(zip.get(), -1, nullptr));
}

TEST_F(ZipFixture, OpensArchiveWithBytesInFrontAndReadsItsEntries) {
    ZipWriter writer;
    writer.Add("system/build.prop", "ro.product.model=X1\n");
    ZipArchivePtr zip = Open(writer, std::string(100, 'M'));
    ASSERT_TRUE(zip);
    int index = -1;
    ASSERT_EQ(kZipOk, FindZipItem(zip.get(), L"system/build.prop", &index, nullptr));
    ASSERT_EQ(kZipOk, UnzipItemToFile(zip.get(), index, dir.File(L"p").c_str()));
    EXPECT_EQ("ro.product.model=X1\n", ReadWholeFile(dir.File(L"p")));
}

TEST_F(ZipFixture, FindIgnoresAsciiCaseButNotSlashDirection) {
    ZipWriter writer;
    writer.Add("first.txt", "1");
    writer.Add("META-INF/com/google/android/updater-script", "script");
    writer.Add("Skin/Main.xml", "xml");
    writer.Add("skin/main.xml", "second copy");
    ZipArchivePtr zip = Open(writer);
    ASSERT_TRUE(zip);

    const struct {
        const wchar_t* name;
        unsigned result;
        int index;
    } cases[] = {
        {L"META-INF/com/google/android/updater-script", kZipOk, 1},
        {L"meta-inf/COM/google/android/UPDATER-SCRIPT", kZipOk, 1},
        {L"skin/main.xml", kZipOk, 2},  // the first equal name wins
        {L"skin\\main.xml", kZipNotFound, -1},
        {L"META-INF\\com\\google\\android\\updater-script", kZipNotFound, -1},
        {L"missing", kZipNotFound, -1},
        {L"", kZipNotFound, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testsupport::ToAnsi(c.name));
        int index = 99;
        ZipEntryInfo info = {};
        EXPECT_EQ(c.result, FindZipItem(zip.get(), c.name, &index, &info));
        EXPECT_EQ(c.index, index);
        EXPECT_EQ(c.result, ZipLastResult());
        if (c.result == kZipOk) {
            EXPECT_EQ(c.index, info.index);
        }
    }
}

TEST_F(ZipFixture, LongNamesAreNotFoundAndDescribedShortened) {
    const std::string longName = std::string(300, 'n') + ".txt";
    ZipWriter writer;
    writer.Add(longName, "long");
    ZipArchivePtr zip = Open(writer);
    ASSERT_TRUE(zip);
    int index = 0;
    std::wstring wideName(longName.begin(), longName.end());
    EXPECT_EQ(kZipNotFound, FindZipItem(zip.get(), wideName.c_str(), &index, nullptr));
    ZipEntryInfo info;
    ASSERT_EQ(kZipOk, GetZipItem(zip.get(), 0, &info));
    EXPECT_EQ(static_cast<size_t>(MAX_PATH - 1), wcslen(info.name));
}

TEST(ZipEntryNames, ClimbingAbsoluteAndDrivePartsAreRemoved) {
    const struct {
        const wchar_t* stored;
        const wchar_t* safe;
    } cases[] = {
        {L"dir/file.txt", L"dir/file.txt"},
        {L"../evil.txt", L"evil.txt"},
        {L"..\\..\\evil.txt", L"evil.txt"},
        {L"a/../../b/c.txt", L"b/c.txt"},
        {L"a/..\\b/../c.txt", L"c.txt"},
        {L"/etc/passwd", L"etc/passwd"},
        {L"\\\\server\\share\\x", L"server\\share\\x"},
        {L"C:\\Windows\\x.dll", L"Windows\\x.dll"},
        {L"C:../x", L"x"},
        {L"C:/../D:/y", L"y"},
        {L"a/..", L""},
        {L"..", L""},
        {L"..name/ok..", L"..name/ok.."},
        {L"./a", L"./a"},
    };
    for (const auto& c : cases) EXPECT_EQ(std::wstring(c.safe), SafeZipEntryName(c.stored)) << testsupport::ToAnsi(c.stored);
}

TEST_F(ZipFixture, HostileNamesExtractInsideTheRootFolder) {
    const char* names[] = {"../../escape1.txt", "/escape2.txt", "C:\\escape3.txt", "a/../../escape4.txt",
                           "C:../escape5.txt"};
    ZipWriter writer;
    for (const char* name : names) writer.Add(name, name);
    const std::wstring root = dir.File(L"root\\");
    CreateDirectoryW(root.c_str(), nullptr);
    ScopedCurrentFolder inRoot(root);
    ZipArchivePtr zip = Open(writer);
    ASSERT_TRUE(zip);
    for (int i = 0; i < static_cast<int>(std::size(names)); ++i) {
        ZipEntryInfo info;
        ASSERT_EQ(kZipOk, GetZipItem(zip.get(), i, &info));
        ASSERT_EQ(kZipOk, UnzipItemToFile(zip.get(), i, info.name)) << names[i];
        const std::wstring expected = root + L"escape" + std::to_wstring(i + 1) + L".txt";
        EXPECT_EQ(names[i], ReadWholeFile(expected));
    }
    // A caller that builds its own relative target cannot climb out either.
    EXPECT_EQ(kZipCannotOpen, UnzipItemToFile(zip.get(), 0, L"sub\\..\\..\\out.txt"));
    EXPECT_FALSE(PathExists(dir.File(L"out.txt")));
}

TEST_F(ZipFixture, RelativeTargetsHangOnTheFolderCurrentAtOpenAbsoluteOnesDoNot) {
    ZipWriter writer;
    writer.Add("a.txt", "alpha");
    writer.AddDirectory("d1/d2");
    const std::wstring root = dir.File(L"root\\");
    CreateDirectoryW(root.c_str(), nullptr);
    ZipArchivePtr zip;
    {
        ScopedCurrentFolder inRoot(root);
        zip = Open(writer);
    }
    ASSERT_TRUE(zip);
    ASSERT_EQ(kZipOk, UnzipItemToFile(zip.get(), 0, L"x/y/a.txt"));
    EXPECT_EQ("alpha", ReadWholeFile(root + L"x\\y\\a.txt"));
    ASSERT_EQ(kZipOk, UnzipItemToFile(zip.get(), 1, L"made/here"));
    EXPECT_TRUE(GetFileAttributesW((root + L"made\\here").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    const std::wstring absolute = dir.File(L"abs\\deeper\\a.txt");
    ASSERT_EQ(kZipOk, UnzipItemToFile(zip.get(), 0, absolute.c_str()));
    EXPECT_EQ("alpha", ReadWholeFile(absolute));
}

TEST_F(ZipFixture, DescribesAttributesAndTimesByHost) {
    ZipWriter writer;
    writer.Add("dos-readonly.txt", "r").externalAttributes = 0x21;
    writer.Add("dos-hidden.txt", "h").externalAttributes = 0x22;
    auto& unixReadOnly = writer.Add("unix-ro.txt", "u");
    unixReadOnly.versionMadeBy = 0x031e;
    unixReadOnly.externalAttributes = 0100444u << 16;
    auto& unixWritable = writer.Add("unix-rw.txt", "w");
    unixWritable.versionMadeBy = 0x031e;
    unixWritable.externalAttributes = 0100644u << 16;
    auto& unixDir = writer.Add("unix-dir/", "", false);
    unixDir.versionMadeBy = 0x031e;
    unixDir.externalAttributes = 040755u << 16;
    auto& stamped = writer.Add("stamped.txt", "t");
    stamped.unixModificationTime = true;
    stamped.unixTime = 1700000000;
    ZipArchivePtr zip = Open(writer);
    ASSERT_TRUE(zip);

    const DWORD expected[] = {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY,
                              FILE_ATTRIBUTE_ARCHIVE,
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY,
                              FILE_ATTRIBUTE_ARCHIVE};
    for (int i = 0; i < 6; ++i) {
        ZipEntryInfo info;
        ASSERT_EQ(kZipOk, GetZipItem(zip.get(), i, &info));
        EXPECT_EQ(expected[i], info.attributes) << i;
    }

    // DOS stamps are local time; the "UT" block replaces the modification time.
    ZipEntryInfo info;
    ASSERT_EQ(kZipOk, GetZipItem(zip.get(), 0, &info));
    SYSTEMTIME st = {2024, 3, 0, 14, 12, 30, 0, 0};
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    EXPECT_EQ(0, CompareFileTime(&utc, &info.modificationTime));
    EXPECT_EQ(0, CompareFileTime(&utc, &info.creationTime));
    ASSERT_EQ(kZipOk, GetZipItem(zip.get(), 5, &info));
    ULARGE_INTEGER stamp;
    stamp.LowPart = info.modificationTime.dwLowDateTime;
    stamp.HighPart = info.modificationTime.dwHighDateTime;
    EXPECT_EQ(1700000000ULL * 10000000ULL + 116444736000000000ULL, stamp.QuadPart);
    EXPECT_EQ(0, CompareFileTime(&utc, &info.accessTime));

    // The extracted file carries the times and the read-only mark.
    const std::wstring target = dir.File(L"ro.txt");
    ASSERT_EQ(kZipOk, UnzipItemToFile(zip.get(), 0, target.c_str()));
    EXPECT_TRUE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(0, CompareFileTime(&utc, &data.ftLastWriteTime));
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ZipFixture, DamagedEntriesFailCleanlyAndLeaveNoFile) {
    const std::string content = PatternedData(50000, 7);
    struct Case {
        const char* what;
        bool deflate;
        void (*damage)(std::string& zip, size_t dataStart, size_t directory);
        unsigned result;
    };
    const Case cases[] = {
        {"flipped stored byte (CRC)", false, [](std::string& z, size_t d, size_t) { z[d + 100] ^= 1; }, kZipDataError},
        {"flipped deflated byte", true, [](std::string& z, size_t d, size_t) { z[d + 10] ^= 0x55; }, kZipDataError},
        {"declared size too small", true,
         [](std::string& z, size_t, size_t c) { z[c + 24] = 1, z[c + 25] = 0, z[c + 26] = 0, z[c + 27] = 0; },
         kZipDataError},
        {"declared size huge", true, [](std::string& z, size_t, size_t c) { z[c + 27] = '\x7f'; }, kZipDataError},
        {"compressed size beyond directory", true, [](std::string& z, size_t, size_t c) { z[c + 23] = '\x10'; },
         kZipDataError},
        {"local header signature", true, [](std::string& z, size_t, size_t) { z[0] = 'X'; }, kZipDataError},
        {"local offset out of file", true, [](std::string& z, size_t, size_t c) { z[c + 45] = '\x40'; },
         kZipDataError},
        {"encrypted flag", true, [](std::string& z, size_t, size_t c) { z[c + 8] |= 1; }, kZipPasswordNeeded},
        {"unknown method", true, [](std::string& z, size_t, size_t c) { z[c + 10] = 12; }, kZipDataError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZipWriter writer;
        writer.Add("entry.bin", content, c.deflate);
        std::string bytes = writer.Build();
        const size_t directory = bytes.rfind(std::string("PK\x01\x02", 4));
        const size_t dataStart = 30 + std::strlen("entry.bin");
        c.damage(bytes, dataStart, directory);
        ASSERT_TRUE(WriteFileBytes(archivePath, bytes));
        ZipArchivePtr zip(OpenZipArchive(archivePath.c_str()));
        ASSERT_TRUE(zip);
        const std::wstring target = dir.File(L"entry.bin");
        EXPECT_EQ(c.result, UnzipItemToFile(zip.get(), 0, target.c_str()));
        EXPECT_FALSE(PathExists(target));
    }
}

TEST_F(ZipFixture, ArchivesWithoutAValidDirectoryDoNotOpen) {
    ZipWriter writer;
    writer.Add("a.txt", "alpha");
    writer.Add("b.txt", "beta");
    const std::string good = writer.Build();
    const size_t end = good.size() - 22;
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"not a zip", std::string(5000, 'x')},
        {"cut before end record", good.substr(0, end + 10)},
        {"cut inside directory", good.substr(0, good.rfind(std::string("PK\x01\x02", 4)) + 20)},
        {"entry counts differ", [&] { std::string b = good; b[end + 8] = 1; return b; }()},
        {"disk number set", [&] { std::string b = good; b[end + 4] = 1; return b; }()},
        {"directory beyond record", [&] { std::string b = good; b[end + 16] = '\x7f'; return b; }()},
        {"count larger than directory", [&] { std::string b = good; b[end + 8] = b[end + 10] = 3; return b; }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileBytes(archivePath, c.bytes));
        ZipArchive* zip = OpenZipArchive(archivePath.c_str());
        EXPECT_EQ(nullptr, zip);
        EXPECT_EQ(kZipCannotOpen, ZipLastResult());
        CloseZipArchive(zip);
    }
    EXPECT_EQ(nullptr, OpenZipArchive(dir.File(L"missing.zip").c_str()));
    EXPECT_EQ(kZipBadArgument, UnzipItemToFile(nullptr, 0, L"x"));
    EXPECT_EQ(kZipBadArgument, FindZipItem(nullptr, L"x", nullptr, nullptr));
}

TEST_F(ZipFixture, UnixEntriesBehindAnArchiveCommentAreRead) {
    ZipWriter writer;
    auto& e = writer.Add("dir/file.txt", "hello from unix");
    e.versionMadeBy = 0x031e;
    e.externalAttributes = 0100644u << 16;
    e.unixModificationTime = true;
    e.unixTime = 1600000000;
    std::string bytes = writer.Build();
    const std::string comment(3000, 'c');
    bytes[bytes.size() - 2] = static_cast<char>(comment.size() & 0xff);
    bytes[bytes.size() - 1] = static_cast<char>(comment.size() >> 8);
    bytes += comment;
    ASSERT_TRUE(WriteFileBytes(archivePath, bytes));
    ZipArchivePtr zip(OpenZipArchive(archivePath.c_str()));
    ASSERT_TRUE(zip);
    int index = -1;
    ASSERT_EQ(kZipOk, FindZipItem(zip.get(), L"DIR/FILE.TXT", &index, nullptr));
    ASSERT_EQ(kZipOk, UnzipItemToFile(zip.get(), index, dir.File(L"f.txt").c_str()));
    EXPECT_EQ("hello from unix", ReadWholeFile(dir.File(L"f.txt")));
}
