// Skin archives from a file, a handle and memory: finding, describing and
// extracting items, and refusing damaged data and escaping paths.
#include "core/markup/SkinZip.h"

#include "TestPaths.h"
#include "ZipWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

using namespace UiLib;
using testsupport::BuildZip;
using testsupport::ZipItem;

namespace {

std::string Pattern(size_t size, unsigned seed = 1) {
    std::string out(size, '\0');
    unsigned state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        out[i] = static_cast<char>(i % 7 == 0 ? (state >> 16) : 'a' + (i % 13));
    }
    return out;
}

struct ZipCloser {
    void operator()(ZipArchiveHandle* zip) const { CloseZipArchive(zip); }
};
typedef std::unique_ptr<ZipArchiveHandle, ZipCloser> ZipPtr;

std::string ExtractAll(HZIP zip, int index, DWORD pieceSize = 0) {
    ZIPENTRY entry;
    if (GetZipEntry(zip, index, &entry) != ZR_OK) return "<no entry>";
    std::string out(entry.unc_size, '\0');
    DWORD piece = pieceSize ? pieceSize : entry.unc_size;
    size_t at = 0;
    for (;;) {
        DWORD size = static_cast<DWORD>(std::min<size_t>(piece, out.size() - at));
        DWORD rc = ExtractZipEntry(zip, index, size ? &out[at] : nullptr, size, ZIP_MEMORY);
        if (rc == ZR_OK) return out;
        if (rc != ZR_MORE) return "<error " + std::to_string(rc) + ">";
        at += size;
    }
}

std::string ReadFileText(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<ZipItem> SkinItems() {
    ZipItem xml{"Skin/Main.xml", "<Window size=\"400,300\"><Button name=\"ok\"/></Window>"};
    ZipItem image{"Skin/img/bg.png", Pattern(70000), true};
    ZipItem raw{"readme.txt", "stored as it is", false};
    ZipItem folder{"Skin/img/", "", false};
    folder.externalAttributes = 0x41ED0010;
    return {xml, image, raw, folder};
}

// Opens the same archive from each kind of source.
struct SourceCase {
    const char* name;
    std::function<HZIP(const std::string& bytes, const std::wstring& path)> open;
};

class ZipSources : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
};

TEST_F(ZipSources, FindDescribeAndExtractFromFileHandleAndMemory) {
    std::string bytes = BuildZip(SkinItems());
    std::wstring path = dir.File(L"skin.zip");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);

    SourceCase cases[] = {
        {"file", [](const std::string&, const std::wstring& p) { return OpenZipArchive(ZIP_FILENAME, p.c_str(), 0); }},
        {"handle", [&](const std::string&, const std::wstring&) { return OpenZipArchive(ZIP_HANDLE, handle, 0); }},
        {"memory", [](const std::string& b, const std::wstring&) {
             return OpenZipArchive(ZIP_MEMORY, b.data(), static_cast<DWORD>(b.size()));
         }},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.name);
        ZipPtr zip(c.open(bytes, path));
        ASSERT_TRUE(zip) << GetZipLastResult();
        ZIPENTRY entry;
        ASSERT_EQ(GetZipEntry(zip.get(), -1, &entry), ZR_OK);
        EXPECT_EQ(entry.index, 4);
        EXPECT_EQ(entry.name[0], L'\0');

        int index = -2;
        ASSERT_EQ(FindZipEntry(zip.get(), L"skin\\main.xml", &index, &entry), ZR_OK);
        EXPECT_EQ(index, 0);
        EXPECT_STREQ(entry.name, L"Skin/Main.xml");
        EXPECT_EQ(entry.unc_size, SkinItems()[0].data.size());
        EXPECT_EQ(ExtractAll(zip.get(), index), SkinItems()[0].data);
        EXPECT_EQ(ExtractAll(zip.get(), 1), SkinItems()[1].data);
        EXPECT_EQ(ExtractAll(zip.get(), 2), "stored as it is");
        EXPECT_EQ(ExtractAll(zip.get(), 1, 1000), SkinItems()[1].data);

        EXPECT_EQ(FindZipEntry(zip.get(), L"Skin/missing.xml", &index, &entry), ZR_NOTFOUND);
        EXPECT_EQ(GetZipLastResult(), ZR_NOTFOUND);
        EXPECT_EQ(index, -1);
        EXPECT_EQ(entry.index, -1);
        EXPECT_EQ(entry.unc_size, 0u);
        std::wstring tooLong(256, L'a');
        EXPECT_EQ(FindZipEntry(zip.get(), tooLong.c_str(), &index, &entry), ZR_NOTFOUND);

        EXPECT_EQ(GetZipEntry(zip.get(), 4, &entry), ZR_ARGS);
        EXPECT_EQ(GetZipEntry(zip.get(), -2, &entry), ZR_ARGS);
        EXPECT_EQ(ExtractZipEntry(zip.get(), 9, &entry, 10, ZIP_MEMORY), ZR_ARGS);
    }
    CloseHandle(handle);
}

TEST_F(ZipSources, OpenFailuresAndHandleChecks) {
    ZIPENTRY entry;
    EXPECT_EQ(OpenZipArchive(ZIP_FILENAME, dir.File(L"absent.zip").c_str(), 0), nullptr);
    EXPECT_EQ(GetZipLastResult(), ZR_NOFILE);
    EXPECT_EQ(OpenZipArchive(7, "x", 1), nullptr);
    EXPECT_EQ(GetZipLastResult(), ZR_ARGS);
    std::string junk(5000, 'x');
    EXPECT_EQ(OpenZipArchive(ZIP_MEMORY, junk.data(), static_cast<DWORD>(junk.size())), nullptr);
    EXPECT_NE(GetZipLastResult(), ZR_OK);
    EXPECT_EQ(GetZipEntry(nullptr, 0, &entry), ZR_ARGS);
    EXPECT_EQ(CloseZipArchive(nullptr), ZR_ARGS);

    // A pipe is not a disk file.
    HANDLE readEnd, writeEnd;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    EXPECT_EQ(OpenZipArchive(ZIP_HANDLE, readEnd, 0), nullptr);
    EXPECT_EQ(GetZipLastResult(), ZR_SEEK);
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
}

TEST(SkinZip, BytesInFrontOfTheArchiveAreSkipped) {
    std::string bytes = BuildZip(SkinItems(), std::string(100, 'M'));
    ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
    ASSERT_TRUE(zip);
    EXPECT_EQ(ExtractAll(zip.get(), 0), SkinItems()[0].data);
    EXPECT_EQ(ExtractAll(zip.get(), 1), SkinItems()[1].data);
}

TEST(SkinZip, MemoryExtractionContinuesAcrossCalls) {
    std::string data = Pattern(40000, 7);
    for (bool deflate : {true, false}) {
        std::string bytes = BuildZip({ZipItem{"big.bin", data, deflate}});
        ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
        ASSERT_TRUE(zip);
        std::string buffer(16384, '\0'), got;
        EXPECT_EQ(ExtractZipEntry(zip.get(), 0, &buffer[0], 16384, ZIP_MEMORY), ZR_MORE);
        got += buffer;
        EXPECT_EQ(ExtractZipEntry(zip.get(), 0, &buffer[0], 16384, ZIP_MEMORY), ZR_MORE);
        got += buffer;
        EXPECT_EQ(ExtractZipEntry(zip.get(), 0, &buffer[0], 16384, ZIP_MEMORY), ZR_OK);
        got += buffer.substr(0, 7232);
        EXPECT_EQ(got, data) << deflate;
        // A fresh call starts the item over.
        EXPECT_EQ(ExtractZipEntry(zip.get(), 0, &buffer[0], 16384, ZIP_MEMORY), ZR_MORE);
        EXPECT_EQ(buffer, data.substr(0, 16384));
    }
}

TEST(SkinZip, AttributesFromDosAndUnixBits) {
    struct Case { const char* name; uint16_t madeBy; uint32_t external; DWORD want; } cases[] = {
        {"unix rw file", 0x031E, 0x81A40000, FILE_ATTRIBUTE_NORMAL},
        {"unix r-- file", 0x031E, 0x81240000, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_READONLY},
        {"unix folder", 0x031E, 0x41ED0000, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY},
        {"dos plain", 0x0014, 0x00000000, FILE_ATTRIBUTE_NORMAL},
        {"dos read-only", 0x0014, 0x00000001, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_READONLY},
        {"dos folder", 0x0014, 0x00000010, FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY},
        {"dos archive hidden system", 0x0014, 0x00000026,
         FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
    };
    for (const Case& c : cases) {
        ZipItem item{"x", "data"};
        item.versionMadeBy = c.madeBy;
        item.externalAttributes = c.external;
        std::string bytes = BuildZip({item});
        ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
        ZIPENTRY entry;
        ASSERT_EQ(GetZipEntry(zip.get(), 0, &entry), ZR_OK);
        EXPECT_EQ(entry.attr, c.want) << c.name;
    }
}

uint64_t Ticks(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

TEST(SkinZip, TimesFromDosStampAndExtendedTimestamp) {
    ZipItem plain{"a", "1"};
    ZipItem stamped{"b", "2"};
    stamped.localExtra = std::string("\x99\x99\x02\x00zz", 6) + testsupport::UnixTimeExtra(0x5, {1000, 2000});
    ZipItem cut{"c", "3"};
    cut.localExtra = testsupport::UnixTimeExtra(0x7, {1000}).substr(0, 7);  // block claims more than is there
    std::string bytes = BuildZip({plain, stamped, cut});
    ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
    ASSERT_TRUE(zip);

    FILETIME dos;
    ASSERT_TRUE(DosDateTimeToFileTime(plain.dosDate, plain.dosTime, &dos));
    ZIPENTRY e;
    ASSERT_EQ(GetZipEntry(zip.get(), 0, &e), ZR_OK);
    EXPECT_EQ(Ticks(e.mtime), Ticks(dos));
    EXPECT_EQ(Ticks(e.atime), Ticks(dos));
    EXPECT_EQ(Ticks(e.ctime), Ticks(dos));

    ASSERT_EQ(GetZipEntry(zip.get(), 1, &e), ZR_OK);
    EXPECT_EQ(Ticks(e.mtime), 1000ull * 10000000 + 116444736000000000ull);
    EXPECT_EQ(Ticks(e.atime), Ticks(dos));  // bit 1 not set
    EXPECT_EQ(Ticks(e.ctime), 2000ull * 10000000 + 116444736000000000ull);

    ASSERT_EQ(GetZipEntry(zip.get(), 2, &e), ZR_OK);
    EXPECT_EQ(Ticks(e.mtime), Ticks(dos));
}

TEST(SkinZip, DamagedDataIsAFailureNotSuccess) {
    std::string data = Pattern(50000, 3);
    struct Case { const char* name; ZipItem item; } cases[] = {
        {"wrong crc deflated", ZipItem{"a", data}},
        {"wrong crc stored", ZipItem{"a", data, false}},
        {"declared longer", ZipItem{"a", data}},
        {"declared shorter", ZipItem{"a", data}},
    };
    cases[0].item.declaredCrc = 0x12345678;
    cases[1].item.declaredCrc = 0x12345678;
    cases[2].item.declaredSize = 50001;
    cases[3].item.declaredSize = 49999;
    testsupport::ScratchDir dir;
    for (const Case& c : cases) {
        std::string bytes = BuildZip({c.item});
        ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
        ASSERT_TRUE(zip) << c.name;
        std::string buffer(60000, '\0');
        EXPECT_EQ(ExtractZipEntry(zip.get(), 0, &buffer[0], 60000, ZIP_MEMORY), ZR_FLATE) << c.name;
        std::wstring target = dir.File(L"out.bin");
        EXPECT_EQ(ExtractZipEntry(zip.get(), 0, const_cast<wchar_t*>(target.c_str()), 0, ZIP_FILENAME), ZR_WRITE)
            << c.name;
    }
    // Compressed data cut short inside the archive.
    std::string bytes = BuildZip({ZipItem{"a", data}});
    size_t localData = 30 + 1;
    bytes[localData + 10] ^= 0x55;
    ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
    ASSERT_TRUE(zip);
    EXPECT_NE(ExtractAll(zip.get(), 0), data);
}

// Extraction into files happens under the folder that was current at open.
class ZipToFiles : public ::testing::Test {
protected:

    // Every file and folder below the scratch folder, relative to it.
    std::vector<std::wstring> Tree() const {
        std::vector<std::wstring> out;
        for (auto& p : std::filesystem::recursive_directory_iterator(dir_.Path()))
            out.push_back(std::filesystem::relative(p.path(), dir_.Path()).wstring());
        std::sort(out.begin(), out.end());
        return out;
    }

    testsupport::ScratchDir dir_;
    std::wstring base_ = dir_.File(L"base\\");
    testsupport::ScopedCurrentFolder current_{base_};
};

TEST_F(ZipToFiles, CreatesFoldersUnderTheBaseFolderAndSetsTimes) {
    std::vector<ZipItem> items = SkinItems();
    items[1].localExtra = testsupport::UnixTimeExtra(0x1, {1700000000});
    std::string bytes = BuildZip(items);
    ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
    ASSERT_TRUE(zip);
    for (int i = 0; i < 4; ++i) {
        ZIPENTRY e;
        ASSERT_EQ(GetZipEntry(zip.get(), i, &e), ZR_OK);
        EXPECT_EQ(ExtractZipEntry(zip.get(), i, e.name, 0, ZIP_FILENAME), ZR_OK) << i;
    }
    EXPECT_EQ(ReadFileText(base_ + L"Skin\\Main.xml"), items[0].data);
    EXPECT_EQ(ReadFileText(base_ + L"Skin\\img\\bg.png"), items[1].data);
    EXPECT_EQ(ReadFileText(base_ + L"readme.txt"), items[2].data);
    EXPECT_TRUE(std::filesystem::is_directory(base_ + L"Skin\\img"));

    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExW((base_ + L"Skin\\img\\bg.png").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(Ticks(info.ftLastWriteTime), 1700000000ull * 10000000 + 116444736000000000ull);

    // A given handle is written and stays open.
    std::wstring byHandle = dir_.File(L"handle.bin");
    HANDLE h = CreateFileW(byHandle.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ExtractZipEntry(zip.get(), 0, h, 0, ZIP_HANDLE), ZR_OK);
    DWORD put = 0;
    EXPECT_TRUE(WriteFile(h, "!", 1, &put, nullptr));
    CloseHandle(h);
    EXPECT_EQ(ReadFileText(byHandle), items[0].data + "!");
}

TEST_F(ZipToFiles, EntryNamesNeverReachOutsideTheBaseFolder) {
    const char* names[] = {"../evil.txt", "..\\evil.txt", "a/../../evil.txt", "a\\..\\..\\evil.txt", "/evil.txt",
                           "\\evil.txt", "C:evil.txt", "a/C:evil.txt", "..", "../evil/"};
    std::vector<ZipItem> items;
    for (const char* name : names) items.push_back(ZipItem{name, "x"});
    std::string bytes = BuildZip(items);
    ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
    ASSERT_TRUE(zip);
    std::vector<std::wstring> before = Tree();
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        ZIPENTRY e;
        ASSERT_EQ(GetZipEntry(zip.get(), i, &e), ZR_OK);
        EXPECT_EQ(ExtractZipEntry(zip.get(), i, e.name, 0, ZIP_FILENAME), ZR_NOFILE) << names[i];
    }
    EXPECT_EQ(Tree(), before);
}

TEST(SkinZip, FindComparesAsciiLettersWithoutCase) {
    std::string bytes = BuildZip({ZipItem{"Skin/Main.xml", "1"}, ZipItem{"skin/main.xml", "2"}});
    ZipPtr zip(OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size())));
    int index;
    ZIPENTRY e;
    ASSERT_EQ(FindZipEntry(zip.get(), L"SKIN/MAIN.XML", &index, &e), ZR_OK);
    EXPECT_EQ(index, 0);  // the first match wins
}

}  // namespace
