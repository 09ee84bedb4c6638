// The plug-in's zip reader: its three sources and targets, its result codes
// and texts, and the edge cases its callers rely on.
#include "ZipReader.h"

#include "TestPaths.h"
#include "ZipWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using testsupport::ScratchDir;
using testsupport::ZipWriter;

namespace {

struct Closer {
    void operator()(ZipReaderHandle* zip) const { ZipArchiveClose(zip); }
};
using ZipPtr = std::unique_ptr<ZipReaderHandle, Closer>;

std::string Sample(size_t size) {
    std::string out(size, '\0');
    unsigned state = 7;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        out[i] = static_cast<char>(i % 5 == 0 ? (state >> 16) : 'a' + (i % 11));
    }
    return out;
}

std::string Archive(const std::string& prefix = {}) {
    ZipWriter w;
    w.Add("META-INF/com/google/android/update-binary", Sample(90000));
    w.Add("boot.img", Sample(3000), false);
    w.AddDirectory("system");
    return w.Build(prefix);
}

std::string ReadAll(ZipReaderHandle* zip, int index, DWORD piece) {
    ZipItemInfo entry;
    if (ZipReadEntry(zip, index, &entry) != ZRC_OK) return "<no entry>";
    std::string out(entry.uncompressedSize, '\0');
    for (size_t at = 0;;) {
        const DWORD size = static_cast<DWORD>(std::min<size_t>(piece, out.size() - at));
        const DWORD rc = UnzipItem(zip, index, size ? &out[at] : nullptr, size, ZIPKIND_MEMORY);
        if (rc == ZRC_OK) return out;
        if (rc != ZRC_MORE) return "<error " + std::to_string(rc) + ">";
        at += size;
    }
}

class ZipReaderTest : public ::testing::Test {
protected:
    ScratchDir dir;
};

TEST_F(ZipReaderTest, HandleFileAndMemorySourcesGiveTheSameItems) {
    // A 3-byte prefix in front of the first local header (a stub) is skipped.
    const std::string bytes = Archive("MZ!");
    const std::wstring path = dir.File(L"rom.zip");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    struct Source {
        const char* name;
        std::function<ZipReaderHandle*()> open;
    } sources[] = {
        {"file", [&] { return ZipArchiveOpen(path.c_str(), 0, ZIPKIND_FILENAME); }},
        {"memory", [&] { return ZipArchiveOpen(bytes.data(), static_cast<DWORD>(bytes.size()), ZIPKIND_MEMORY); }},
        {"handle", [&] {
             HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
             ZipReaderHandle* zip = ZipArchiveOpen(file, 0, ZIPKIND_HANDLE);
             CloseHandle(file);  // the reader holds its own duplicate
             return zip;
         }},
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.name);
        ZipPtr zip(source.open());
        ASSERT_TRUE(zip);
        ZipItemInfo entry;
        ASSERT_EQ(ZipReadEntry(zip.get(), -1, &entry), ZRC_OK);
        EXPECT_EQ(entry.index, 3);
        EXPECT_EQ(entry.name[0], L'\0');
        int index = -1;
        ASSERT_EQ(FindZipItem(zip.get(), L"boot.img", false, &index, &entry), ZRC_OK);
        EXPECT_EQ(index, 1);
        EXPECT_EQ(entry.uncompressedSize, 3000u);
        EXPECT_EQ(ReadAll(zip.get(), 0, 1000), Sample(90000));  // in pieces
        EXPECT_EQ(ReadAll(zip.get(), 1, 1 << 20), Sample(3000));
        EXPECT_EQ(ZipReadEntry(zip.get(), 2, &entry), ZRC_OK);
        EXPECT_TRUE(entry.attributes & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(ZipReadEntry(zip.get(), 3, &entry), ZRC_ARGS);
        EXPECT_EQ(ZipReadEntry(zip.get(), -2, &entry), ZRC_ARGS);
    }
}

TEST_F(ZipReaderTest, FindIsCaseSensitiveUnlessAskedOtherwise) {
    ZipWriter w;
    w.Add("META-INF/COM/Google/Android/Update-Binary", "#!/sbin/sh");
    const std::string bytes = w.Build();
    ZipPtr zip(ZipArchiveOpen(bytes.data(), static_cast<DWORD>(bytes.size()), ZIPKIND_MEMORY));
    ASSERT_TRUE(zip);
    const wchar_t* name = L"META-INF/com/google/android/update-binary";
    int index = 5;
    ZipItemInfo entry;
    EXPECT_EQ(FindZipItem(zip.get(), name, false, &index, &entry), ZRC_NOTFOUND);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(entry.index, -1);
    EXPECT_EQ(entry.uncompressedSize, 0u);
    EXPECT_EQ(FindZipItem(zip.get(), name, true, &index, &entry), ZRC_OK);
    EXPECT_EQ(index, 0);
}

TEST_F(ZipReaderTest, FileTargetsAndTheirFolders) {
    ZipWriter w;
    w.Add("a/b/c.txt", "inside");
    w.Add("../up.txt", "climbing name");
    const std::string bytes = w.Build();
    testsupport::ScopedCurrentFolder here(dir.Path());
    ZipPtr zip(ZipArchiveOpen(bytes.data(), static_cast<DWORD>(bytes.size()), ZIPKIND_MEMORY));
    ASSERT_TRUE(zip);
    // A relative target's folders are made under the folder current at open.
    EXPECT_EQ(UnzipItem(zip.get(), 0, const_cast<wchar_t*>(L"out\\a\\c.txt"), 0, ZIPKIND_FILENAME), ZRC_OK);
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File(L"out\\a\\c.txt")), "inside");
    // A target holding "../" is written exactly there, and no folder is made for it.
    CreateDirectoryW(dir.File(L"sub").c_str(), nullptr);
    EXPECT_EQ(UnzipItem(zip.get(), 1, const_cast<wchar_t*>(L"sub\\..\\up.txt"), 0, ZIPKIND_FILENAME), ZRC_OK);
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File(L"up.txt")), "climbing name");
    EXPECT_EQ(UnzipItem(zip.get(), 1, const_cast<wchar_t*>(L"new\\..\\x.txt"), 0, ZIPKIND_FILENAME), ZRC_OK);
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File(L"x.txt")), "climbing name");
    EXPECT_EQ(GetFileAttributesW(dir.File(L"new").c_str()), INVALID_FILE_ATTRIBUTES);

    // To a handle: the data lands at the handle's position.
    HANDLE file = CreateFileW(dir.File(L"h.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(UnzipItem(zip.get(), 0, file, 0, ZIPKIND_HANDLE), ZRC_OK);
    CloseHandle(file);
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File(L"h.bin")), "inside");
}

TEST_F(ZipReaderTest, DamagedItemsFailAndLeaveNoFile) {
    ZipWriter w;
    w.Add("crc.txt", Sample(5000)).declaredCrc = 1234;
    w.Add("short.txt", Sample(5000)).declaredSize = 100;  // inflates to more than it declares
    w.Add(std::string(300, 'n'), "a name longer than the record holds");
    const std::string bytes = w.Build();
    testsupport::ScopedCurrentFolder here(dir.Path());
    ZipPtr zip(ZipArchiveOpen(bytes.data(), static_cast<DWORD>(bytes.size()), ZIPKIND_MEMORY));
    ASSERT_TRUE(zip);
    for (int index : {0, 1}) {
        SCOPED_TRACE(index);
        const std::wstring target = dir.File(L"damaged.txt");
        ASSERT_TRUE(testsupport::WriteFileBytes(target, "previous"));
        EXPECT_EQ(UnzipItem(zip.get(), index, const_cast<wchar_t*>(target.c_str()), 0, ZIPKIND_FILENAME), ZRC_FLATE);
        EXPECT_EQ(testsupport::ReadFileBytes(target), "previous");
        char buffer[64];
        DWORD rc;
        while ((rc = UnzipItem(zip.get(), index, buffer, sizeof buffer, ZIPKIND_MEMORY)) == ZRC_MORE) {
        }
        EXPECT_EQ(rc, ZRC_FLATE);
    }
    ZipItemInfo entry;
    EXPECT_EQ(ZipReadEntry(zip.get(), 2, &entry), ZRC_CORRUPT);  // refused, not cut
    // Nothing but the one file the test wrote remains: no temporary files.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(dir.File(L"*").c_str(), &found);
    int files = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 1);
}

TEST_F(ZipReaderTest, OpenFailuresAndResultTexts) {
    const std::string notZip = "just some bytes, no end record";
    struct Case {
        const char* name;
        std::function<ZipReaderHandle*()> open;
        DWORD code;
    } cases[] = {
        {"no source", [] { return ZipArchiveOpen(nullptr, 0, ZIPKIND_MEMORY); }, ZRC_ARGS},
        {"unknown kind", [&] { return ZipArchiveOpen(notZip.data(), 4, 7); }, ZRC_ARGS},
        {"missing file", [&] { return ZipArchiveOpen(dir.File(L"none.zip").c_str(), 0, ZIPKIND_FILENAME); },
         ZRC_NOFILE},
        {"not a zip", [&] { return ZipArchiveOpen(notZip.data(), static_cast<DWORD>(notZip.size()), ZIPKIND_MEMORY); },
         ZRC_CORRUPT},
        {"pipe handle", [] {
             HANDLE read, write;
             CreatePipe(&read, &write, nullptr, 0);
             ZipReaderHandle* zip = ZipArchiveOpen(read, 0, ZIPKIND_HANDLE);
             CloseHandle(read);
             CloseHandle(write);
             return zip;
         }, ZRC_SEEK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.open(), nullptr);
        wchar_t text[80];
        ZipResultMessage(ZRC_RECENT, text, 80);
        wchar_t expected[80];
        ZipResultMessage(c.code, expected, 80);
        EXPECT_STREQ(text, expected);
    }
    EXPECT_EQ(ZipArchiveClose(nullptr), ZRC_ARGS);
    struct {
        DWORD kind;
        void* reader;
    } other{5, nullptr};  // a handle of another kind
    EXPECT_EQ(ZipReadEntry(reinterpret_cast<ZipReaderHandle*>(&other), 0, nullptr), ZRC_ZMODE);

    wchar_t cut[8];
    EXPECT_EQ(ZipResultMessage(ZRC_NOTFOUND, cut, 8), 29u);
    EXPECT_STREQ(cut, L"File no");
    EXPECT_EQ(ZipResultMessage(0x12345, nullptr, 0), 23u);
    wchar_t unknown[40];
    ZipResultMessage(0x12345, unknown, 40);
    EXPECT_STREQ(unknown, L"unknown zip result code");
}

}  // namespace
