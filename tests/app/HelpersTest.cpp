// Helper routines: picture scaling to PNG, text replacement, hex checks,
// code-page conversion and the updater's start.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>  // PROPID, which gdiplus.h needs under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include "PngWriter.h"
#include "TestPaths.h"
#include "util/Helpers.h"

namespace {

struct GdiplusSession {
    ULONG_PTR token = 0;
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token); }
};

bool WriteSolidPng(const std::wstring& path, int width, int height) {
    return testsupport::WritePng(path, width, height,
                                 std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xFF336699u));
}

}  // namespace

TEST(Helpers, ScaleImageToPngMakesPicturesSixHundredWide) {
    GdiplusSession gdiplus;
    testsupport::ScratchDir dir;
    const struct {
        int width, height, scaledHeight;
    } cases[] = {{1200, 800, 400}, {1001, 3, 1}, {300, 500, 1000}};
    for (const auto& c : cases) {
        const std::wstring source = dir.File(L"in" + std::to_wstring(c.width) + L".png");
        const std::wstring target = dir.File(L"out" + std::to_wstring(c.width) + L".png");
        ASSERT_TRUE(WriteSolidPng(source, c.width, c.height));
        EXPECT_TRUE(ScaleImageToPng(source, target));
        Gdiplus::Bitmap scaled(target.c_str());
        ASSERT_EQ(Gdiplus::Ok, scaled.GetLastStatus()) << c.width;
        EXPECT_EQ(600u, scaled.GetWidth());
        EXPECT_EQ(static_cast<UINT>(c.scaledHeight), scaled.GetHeight());
    }
    EXPECT_TRUE(ImageIsWide(dir.File(L"in1200.png")));
    EXPECT_FALSE(ImageIsWide(dir.File(L"in300.png")));
}

TEST(Helpers, ScaleImageToPngReportsFailure) {
    GdiplusSession gdiplus;
    testsupport::ScratchDir dir;
    EXPECT_FALSE(ScaleImageToPng(dir.File(L"missing.png"), dir.File(L"out.png")));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"junk.png"), "not a picture"));
    EXPECT_FALSE(ScaleImageToPng(dir.File(L"junk.png"), dir.File(L"out.png")));
    ASSERT_TRUE(WriteSolidPng(dir.File(L"ok.png"), 10, 10));
    EXPECT_FALSE(ScaleImageToPng(dir.File(L"ok.png"), dir.File(L"no such folder\\out.png")));
    EXPECT_FALSE(ImageIsWide(dir.File(L"missing.png")));
}

TEST(Helpers, ReplaceAllChangesEveryOccurrenceAndEnds) {
    std::wstring command = L"pull /storage/emulated/0/DCIM /storage/emulated/0/x";
    ReplaceAll(L"storage/emulated/0", L"storage/emulated/legacy", command);
    EXPECT_EQ(L"pull /storage/emulated/legacy/DCIM /storage/emulated/legacy/x", command);
    std::wstring grows = L"aa";
    ReplaceAll(L"a", L"aa", grows);  // the replacement holds the search text
    EXPECT_EQ(L"aaaa", grows);
    std::wstring same = L"abc";
    ReplaceAll(L"", L"x", same);
    EXPECT_EQ(L"abc", same);
}

TEST(Helpers, IsUpperHexWantsDigitsAndCapitalsAndSomething) {
    EXPECT_TRUE(IsUpperHex(L"12AB"));
    EXPECT_TRUE(IsUpperHex(L"18D1"));
    EXPECT_FALSE(IsUpperHex(L"12ab"));
    EXPECT_FALSE(IsUpperHex(L"12G0"));
    EXPECT_FALSE(IsUpperHex(L""));
}

TEST(Helpers, Utf8ToAnsiStringGoesThroughTheCodePage) {
    EXPECT_EQ("\xD6\xD0\xD0\xCB", Utf8ToAnsiString(u8"中兴"));
    EXPECT_EQ("abc", Utf8ToAnsiString("abc"));
    EXPECT_EQ("", Utf8ToAnsiString(""));
}

TEST(Helpers, StartUpdaterProcessReportsAMissingProgram) {
    testsupport::ScratchDir dir;
    EXPECT_EQ(1, StartUpdaterProcess(testsupport::ToAnsi(dir.File(L"Quellart.exe")).c_str()));
}
