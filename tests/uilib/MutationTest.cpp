// Thousands of damaged skin archives and XML texts: every one must be refused
// or read without a crash or hang, and extraction must never write outside
// the folder that was current when the archive was opened.
#include "core/markup/Markup.h"
#include "core/markup/SkinZip.h"

#include "TestPaths.h"
#include "ZipWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace UiLib;
using testsupport::ZipItem;

namespace {

const int kZipMutants = 3000;
const int kXmlMutants = 4000;

// Damages a copy of `seed`: flipped, replaced, removed or repeated bytes, or a
// cut end. `specials` are the values most likely to reach interesting paths.
template <typename Text>
Text Mutate(const Text& seed, std::mt19937& rng, const Text& specials) {
    Text out = seed;
    int edits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < edits && !out.empty(); ++i) {
        size_t at = rng() % out.size();
        switch (rng() % 6) {
        case 0: out[at] = static_cast<typename Text::value_type>(out[at] ^ (1u << (rng() % 8))); break;
        case 1: out[at] = specials[rng() % specials.size()]; break;
        case 2: out.erase(at, 1 + rng() % 8); break;
        case 3: out.insert(at, out.substr(rng() % out.size(), 1 + rng() % 16)); break;
        case 4: out.resize(at); break;
        default: out[at] = static_cast<typename Text::value_type>(rng()); break;
        }
    }
    return out;
}

std::vector<std::string> ZipSeeds() {
    ZipItem folder{"Skin/", "", false};
    folder.externalAttributes = 0x41ED0010;
    ZipItem stamped{"Skin/img/a.png", std::string(3000, 'p')};
    stamped.localExtra = testsupport::UnixTimeExtra(0x7, {1, 2, 3});
    return {
        testsupport::BuildZip({ZipItem{"Skin/Main.xml", "<Window><Button name=\"ok\"/></Window>"}, folder, stamped}),
        testsupport::BuildZip({ZipItem{"a.txt", "stored text", false}, ZipItem{"b/c.bin", std::string(20000, 'z')}},
                              "prefix"),
    };
}

class Mutation : public ::testing::Test {
protected:

    testsupport::ScratchDir dir_;
    std::wstring base_ = dir_.File(L"base\\");
    testsupport::ScopedCurrentFolder current_{base_};
};

// Reads every item of a (possibly damaged) archive every way it can be read.
void ExerciseArchive(HZIP zip, bool toFiles) {
    ZIPENTRY entry;
    ASSERT_EQ(GetZipEntry(zip, -1, &entry), ZR_OK);
    int count = std::min(entry.index, 16);
    std::vector<char> buffer(4096);
    for (int i = 0; i < count; ++i) {
        if (GetZipEntry(zip, i, &entry) != ZR_OK) continue;
        int index;
        ZIPENTRY found;
        FindZipEntry(zip, entry.name, &index, &found);
        DWORD rc = ZR_MORE;
        for (int calls = 0; rc == ZR_MORE && calls < 1000; ++calls)
            rc = ExtractZipEntry(zip, i, buffer.data(), static_cast<DWORD>(buffer.size()), ZIP_MEMORY);
        ASSERT_NE(rc, ZR_MORE) << "an item that never ends";
        if (toFiles) ExtractZipEntry(zip, i, entry.name, 0, ZIP_FILENAME);
    }
}

TEST_F(Mutation, DamagedArchivesNeverCrashHangOrEscape) {
    std::mt19937 rng(20240601);
    std::vector<std::string> seeds = ZipSeeds();
    std::string specials("\x00\xFF\x50\x4B\x01\x02\x03\x04\x05\x06\x08\x10\x2E\x2F\x5C\x3A\x80\x7F", 18);
    int opened = 0;
    for (int n = 0; n < kZipMutants; ++n) {
        std::string bytes = Mutate(seeds[static_cast<size_t>(n) % seeds.size()], rng, specials);
        HZIP zip = OpenZipArchive(ZIP_MEMORY, bytes.data(), static_cast<DWORD>(bytes.size()));
        if (!zip) continue;
        ++opened;
        ExerciseArchive(zip, n % 5 == 0);
        EXPECT_EQ(CloseZipArchive(zip), ZR_OK);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(opened, kZipMutants / 4);  // most mutants still reach the items

    // The same through a file source, for a sample.
    for (int n = 0; n < 200; ++n) {
        std::string bytes = Mutate(seeds[0], rng, specials);
        std::wstring path = dir_.File(L"m.zip");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
        if (HZIP zip = OpenZipArchive(ZIP_FILENAME, path.c_str(), 0)) {
            ExerciseArchive(zip, false);
            CloseZipArchive(zip);
        }
    }

    // Nothing was written beside the base folder.
    for (auto& p : std::filesystem::directory_iterator(dir_.Path())) {
        std::wstring name = p.path().filename().wstring();
        EXPECT_TRUE(name == L"base" || name == L"m.zip") << std::filesystem::path(name).string();
    }
    std::error_code ignored;
    std::filesystem::path drive = std::filesystem::path(base_).root_path();
    EXPECT_FALSE(std::filesystem::exists(drive / "evil.txt", ignored));
}

void WalkTree(CMarkupItem item, int depth, size_t* visited) {
    for (; item.IsValid(); item = item.Sibling()) {
        ++*visited;
        volatile size_t sink = wcslen(item.Name()) + wcslen(item.Text());
        for (int i = 0; i < item.AttributeCount(); ++i) sink = sink + wcslen(item.AttributeName(i)) + wcslen(item.AttributeValue(i));
        (void)sink;
        if (depth < 1000) WalkTree(item.Child(), depth + 1, visited);
    }
}

TEST(MarkupMutation, DamagedTextsParseOrFailCleanly) {
    std::mt19937 rng(77);
    std::wstring seeds[] = {
        L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- skin -->\n<Window size=\"400,300\" caption=\"0,0,0,30\">\n"
        L"  <Font name=\"\x5B8B\x4F53\" size=\"12\"/>\n  <VerticalLayout bkcolor=\"#FFFFFFFF\">\n"
        L"    <Button name=\"ok\" text=\"a &amp; b &lt;c&gt;\" />\n    <Label text=\"  spaced   out \"/>\n"
        L"  </VerticalLayout>\n</Window>\n",
        L"<a><b><c x=\"1\" y=\"2\">text</c></b><d/></a>",
    };
    std::wstring specials(L"<>/\"=&! ?-;\t\n", 13);
    specials += L'\0';
    size_t parsed = 0, visited = 0;
    for (int n = 0; n < kXmlMutants; ++n) {
        std::wstring text = Mutate(seeds[n % 2], rng, specials);
        CMarkup markup;
        // Text with a terminator inside ends there; the bytes form goes whole.
        if (markup.Load(text.c_str())) {
            ++parsed;
            WalkTree(markup.Root(), 0, &visited);
        } else {
            wchar_t message[100], location[50];
            markup.LastErrorMessage(message, 100);
            markup.LastErrorLocation(location, 50);
            EXPECT_NE(message[0], L'\0');
            EXPECT_FALSE(markup.IsValid());
        }
        std::string utf8(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        CMarkup fromBytes;
        if (fromBytes.LoadFromBytes(reinterpret_cast<const BYTE*>(utf8.data()), static_cast<DWORD>(utf8.size())))
            WalkTree(fromBytes.Root(), 0, &visited);
    }
    EXPECT_GT(parsed, 0u);
    EXPECT_GT(visited, 0u);
}

}  // namespace
