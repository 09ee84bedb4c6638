// Images: decoding into premultiplied bitmaps, the description syntax and the
// drawing modes (stretch, nine-grid, hole, tiling, fade, mask), read back as
// real window pixels.
#include "PngWriter.h"
#include "TestPaths.h"
#include "ZipWriter.h"
#include "UiHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

const uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kMagenta = 0xFFFF00FF;

// A 12 x 12 nine-grid picture: 4-pixel red corners, green edges, blue centre.
std::vector<uint32_t> NineGrid() {
    std::vector<uint32_t> px(144);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            bool edgeX = x < 4 || x >= 8, edgeY = y < 4 || y >= 8;
            px[y * 12 + x] = edgeX && edgeY ? kRed : (edgeX || edgeY ? kGreen : kBlue);
        }
    return px;
}

// A 4 x 4 picture: left half red, right half blue.
std::vector<uint32_t> Halves() {
    std::vector<uint32_t> px(16);
    for (int i = 0; i < 16; ++i) px[i] = (i % 4) < 2 ? kRed : kBlue;
    return px;
}

// Channel-wise comparison with a tolerance for blending rounding.
bool Near(DWORD actual, DWORD expected, int tolerance = 3) {
    for (int shift = 0; shift < 24; shift += 8) {
        int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance) return false;
    }
    return true;
}

class ImageDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testsupport::WritePng(dir_.File(L"grid.png"), 12, 12, NineGrid()));
        ASSERT_TRUE(testsupport::WritePng(dir_.File(L"halves.png"), 4, 4, Halves()));
        std::vector<uint32_t> masked(16, kRed);
        masked[5] = masked[6] = masked[9] = masked[10] = kMagenta;  // magenta centre
        ASSERT_TRUE(testsupport::WritePng(dir_.File(L"masked.png"), 4, 4, masked));
        ASSERT_TRUE(testsupport::WritePng(dir_.File(L"red.png"), 2, 2, std::vector<uint32_t>(4, kRed)));
        ASSERT_TRUE(testsupport::WritePng(dir_.File(L"halfred.png"), 2, 2, std::vector<uint32_t>(4, 0x80FF0000)));
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(dir_.Path().c_str());
    }

    // Paints the 60 x 60 control at 20,20 on white with the given description
    // (and modifier) and reads the window back.
    Snapshot Paint(const std::wstring& image, const wchar_t* modify = nullptr, bool fadeOverride = false) {
        if (!control_) {
            CContainerUI* root = new CContainerUI;
            root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
            control_ = new PaintingControl;
            control_->ApplyAttributeList(L"float=\"true\" pos=\"20,20,80,80\"");
            root->Add(control_);
            EXPECT_TRUE(window_.Show(root));
        }
        std::wstring modifier = modify ? modify : L"";
        control_->paint = [=](HDC dc, const RECT&) {
            control_->DrawImage(dc, image.c_str(), modifier.empty() ? nullptr : modifier.c_str(), fadeOverride, 255);
        };
        return window_.Capture();
    }

    PaintingControl* control_ = nullptr;
    testsupport::ScratchDir dir_;
    HarnessWindow window_{200, 150};
};

struct PixelCase {
    const wchar_t* description;
    int x, y;
    DWORD expected;  // 0x00RRGGBB
};

TEST_F(ImageDrawing, DescriptionsPlaceStretchAndCutTheImage) {
    const PixelCase cases[] = {
        // Stretched over the whole item: the red corner grows to a third.
        {L"grid.png", 25, 25, 0xFF0000},
        {L"grid.png", 50, 50, 0x0000FF},
        {L"file='grid.png'", 25, 25, 0xFF0000},
        {L"file='grid.png'", 50, 50, 0x0000FF},
        // Nine-grid: corners keep 4 pixels, edges and centre stretch.
        {L"file='grid.png' corner='4,4,4,4'", 21, 21, 0xFF0000},
        {L"file='grid.png' corner='4,4,4,4'", 25, 25, 0x0000FF},
        {L"file='grid.png' corner='4,4,4,4'", 50, 21, 0x00FF00},
        {L"file='grid.png' corner='4,4,4,4'", 21, 50, 0x00FF00},
        {L"file='grid.png' corner='4,4,4,4'", 78, 78, 0xFF0000},
        {L"file='grid.png' corner='4,4,4,4'", 78, 50, 0x00FF00},
        // A hole leaves the centre unpainted.
        {L"file='grid.png' corner='4,4,4,4' hole='true'", 50, 50, 0xFFFFFF},
        {L"file='grid.png' corner='4,4,4,4' hole='true'", 50, 21, 0x00FF00},
        // Destination relative to the item, cut to it.
        {L"file='grid.png' dest='10,10,22,22'", 30, 30, 0xFF0000},
        {L"file='grid.png' dest='10,10,22,22'", 35, 35, 0x0000FF},
        {L"file='grid.png' dest='10,10,22,22'", 25, 25, 0xFFFFFF},
        {L"file='grid.png' dest='0,0,500,500'", 79, 79, 0xFF0000},
        {L"file='grid.png' dest='0,0,500,500'", 85, 85, 0xFFFFFF},
        // Source part in image pixels; one wider than the image is cut.
        {L"file='grid.png' source='4,4,8,8'", 21, 21, 0x0000FF},
        {L"file='grid.png' source='8,0,900,4' dest='0,0,4,4'", 21, 21, 0xFF0000},
        {L"file='grid.png' source='0,0,0,0' dest='0,0,12,12'", 25, 21, 0x00FF00},
        // Two blanks before a pair are skipped; a tab ends the parsing.
        {L"file='grid.png'  dest='0,0,12,12'", 50, 50, 0xFFFFFF},
        {L"file='grid.png'\tdest='0,0,12,12'", 50, 50, 0x0000FF},
        // Settings carry over: both files are drawn at the one destination.
        {L"file='grid.png' dest='0,0,12,12' file='halves.png'", 29, 21, 0x0000FF},
        {L"file='grid.png' dest='0,0,12,12' file='halves.png'", 50, 50, 0xFFFFFF},
        // Each file is drawn with the settings in force when the next one starts.
        {L"file='grid.png' dest='0,0,60,60' file='halves.png' dest='30,0,60,60'", 25, 50, 0x00FF00},
        {L"file='grid.png' dest='0,0,60,60' file='halves.png' dest='30,0,60,60'", 75, 50, 0x0000FF},
        // A destination outside the item draws nothing.
        {L"file='grid.png' dest='100,100,120,120'", 50, 50, 0xFFFFFF},
        // Unknown keys and empty values are ignored; a missing image draws nothing.
        {L"file='grid.png' colour='x' corner=''", 25, 25, 0xFF0000},
        {L"file='nothere.png'", 50, 50, 0xFFFFFF},
    };
    // Opaque images go through plain copies when the caller asks for the
    // image's own alpha flag, and through blending otherwise: both must agree.
    for (bool fadeOverride : {false, true}) {
        for (const PixelCase& c : cases) {
            Snapshot shot = Paint(c.description, nullptr, fadeOverride);
            EXPECT_EQ(shot.At(c.x, c.y), c.expected)
                << testsupport::ToAnsi(c.description) << " at " << c.x << "," << c.y << (fadeOverride ? " copied" : "");
        }
    }
}

TEST_F(ImageDrawing, TilingRepeatsTheCentreAndFadeAndMaskChangeAlpha) {
    const PixelCase cases[] = {
        // Tiled both ways at source size: 4-pixel period, cut at the edge.
        {L"file='halves.png' xtiled='true' ytiled='true'", 20, 20, 0xFF0000},
        {L"file='halves.png' xtiled='true' ytiled='true'", 22, 20, 0x0000FF},
        {L"file='halves.png' xtiled='true' ytiled='true'", 24, 55, 0xFF0000},
        {L"file='halves.png' xtiled='true' ytiled='true'", 79, 79, 0x0000FF},
        {L"file='halves.png' xtiled='true'", 27, 70, 0x0000FF},
        {L"file='halves.png' ytiled='true'", 27, 70, 0xFF0000},  // stretched across: 30-pixel halves
        // A zero-sized source part tiles nothing (and does not fault).
        {L"file='halves.png' source='2,0,2,4' xtiled='true' ytiled='true'", 50, 50, 0xFFFFFF},
        {L"file='halves.png' corner='3,0,3,0' xtiled='true'", 50, 50, 0xFFFFFF},
        // Fade: 0 invisible, 128 about half.
        {L"file='red.png' fade='0'", 50, 50, 0xFFFFFF},
        {L"file='red.png' fade='128'", 50, 50, 0xFF7F7F},
        // Mask colour with and without the number sign: magenta turns transparent.
        {L"file='masked.png' mask='#FFFF00FF'", 50, 50, 0xFFFFFF},
        {L"file='masked.png' mask='#FFFF00FF'", 22, 22, 0xFF0000},
        // Half-transparent pixels are blended over the background.
        {L"halfred.png", 50, 50, 0xFF7F7F},
    };
    for (const PixelCase& c : cases) {
        Snapshot shot = Paint(c.description);
        EXPECT_TRUE(Near(shot.At(c.x, c.y), c.expected))
            << testsupport::ToAnsi(c.description) << " at " << c.x << "," << c.y << ": " << std::hex
            << shot.At(c.x, c.y);
    }
}

TEST_F(ImageDrawing, TheFirstLoadOfANameKeepsItsMask) {
    CPaintManagerUI& pm = window_.Manager();
    Snapshot first = Paint(L"file='masked.png' mask='FFFF00FF'");
    EXPECT_EQ(first.At(50, 50), 0xFFFFFFu);
    Snapshot second = Paint(L"file='masked.png' mask='#FF000000'");
    EXPECT_EQ(second.At(50, 50), 0xFFFFFFu);
    EXPECT_EQ(pm.GetImage(L"masked.png")->dwMask, 0xFFFF00FFu);
}

TEST_F(ImageDrawing, AModifierOverridesTheDescriptionsDestination) {
    Snapshot shot = Paint(L"file='grid.png' dest='0,0,60,60'", L"dest='0,0,12,12'");
    EXPECT_EQ(shot.At(21, 21), 0xFF0000u);
    EXPECT_EQ(shot.At(50, 50), 0xFFFFFFu);
}

TEST(ImageLoading, PixelsArePremultipliedAndTheAlphaFlagFollowsThem) {
    testsupport::ScratchDir dir;
    CPaintManagerUI::SetResourceZip(L"");
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());
    ASSERT_TRUE(testsupport::WritePng(dir.File(L"opaque.png"), 2, 1, {kRed, kBlue}));
    ASSERT_TRUE(testsupport::WritePng(dir.File(L"soft.png"), 2, 1, {0x80FF8040, 0x00FFFFFF}));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"broken.png"), "\x89PNG not really"));

    struct Case {
        const wchar_t* name;
        DWORD mask;
        bool alpha;
        DWORD first, second;
    } cases[] = {
        {L"opaque.png", 0, false, 0xFFFF0000, 0xFF0000FF},
        {L"soft.png", 0, true, 0x80804020, 0x00000000},
        {L"opaque.png", 0xFF0000FF, true, 0xFFFF0000, 0x00000000},
    };
    for (const Case& c : cases) {
        TImageInfo* image = CRenderEngine::LoadImage(c.name, nullptr, c.mask);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->nX, 2);
        EXPECT_EQ(image->nY, 1);
        EXPECT_EQ(image->alphaChannel, c.alpha);
        DIBSECTION dib = {};
        ASSERT_EQ(GetObjectW(image->hBitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
        EXPECT_EQ(dib.dsBmih.biBitCount, 32);
        const DWORD* bits = static_cast<const DWORD*>(dib.dsBm.bmBits);
        EXPECT_EQ(bits[0], c.first);
        EXPECT_EQ(bits[1], c.second);
        CRenderEngine::FreeImage(image);
    }
    EXPECT_EQ(CRenderEngine::LoadImage(L"broken.png"), nullptr);
    EXPECT_EQ(CRenderEngine::LoadImage(L"missing.png"), nullptr);
    EXPECT_EQ(CRenderEngine::LoadImage(L""), nullptr);
    // The last try is the name as a plain path.
    CPaintManagerUI::SetResourcePath(L"C:\\nowhere\\");
    TImageInfo* plain = CRenderEngine::LoadImage(dir.File(L"opaque.png").c_str());
    ASSERT_NE(plain, nullptr);
    CRenderEngine::FreeImage(plain);
}

TEST(ImageLoading, ASkinZipIsSearchedInsteadOfTheResourceFolder) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(testsupport::WritePng(dir.File(L"both.png"), 1, 1, {kRed}));
    ASSERT_TRUE(testsupport::WritePng(dir.File(L"folderonly.png"), 1, 1, {kRed}));
    testsupport::ZipWriter zip;
    zip.Add("both.png", testsupport::EncodePng(1, 1, {kBlue}));
    zip.Add("zipped.png", testsupport::EncodePng(1, 1, {kGreen}), false);
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"skin.zip"), zip.Build()));
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());

    struct {
        const wchar_t* name;
        DWORD pixel;  // 0: not found
    } cases[] = {{L"both.png", kBlue}, {L"zipped.png", kGreen}, {L"folderonly.png", 0}};
    for (bool keepOpen : {false, true}) {
        CPaintManagerUI::SetResourceZip(L"skin.zip", keepOpen);
        for (const auto& c : cases) {
            TImageInfo* image = CRenderEngine::LoadImage(c.name);
            if (!c.pixel) {
                EXPECT_EQ(image, nullptr) << testsupport::ToAnsi(c.name);
                continue;
            }
            ASSERT_NE(image, nullptr) << testsupport::ToAnsi(c.name);
            DIBSECTION dib = {};
            GetObjectW(image->hBitmap, sizeof(dib), &dib);
            EXPECT_EQ(*static_cast<const DWORD*>(dib.dsBm.bmBits), c.pixel) << testsupport::ToAnsi(c.name);
            CRenderEngine::FreeImage(image);
        }
    }
    CPaintManagerUI::SetResourceZip(L"");
}

// The software blend over premultiplied source pixels, on memory bitmaps.
TEST(SoftwareBlend, PremultipliedSourceOverTheDestination) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    struct Case {
        DWORD source, destination;
        BYTE constant;
        DWORD expected;  // colour bytes only
    } cases[] = {
        {0xFFFF0000, 0xFF0000FF, 255, 0xFF0000},  // opaque source covers
        {0x00000000, 0xFF0000FF, 255, 0x0000FF},  // transparent source leaves it
        {0x80800000, 0xFFFFFFFF, 255, 0xFF7F7F},  // half red, premultiplied
        {0xFFFF0000, 0xFFFFFFFF, 128, 0xFF7F7F},  // constant alpha
        {0xFFFF0000, 0xFFFFFFFF, 0, 0xFFFFFF},
    };
    HDC screen = GetDC(nullptr);
    for (const Case& c : cases) {
        void* srcBits = nullptr;
        void* dstBits = nullptr;
        HBITMAP src = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &srcBits, nullptr, 0);
        HBITMAP dst = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &dstBits, nullptr, 0);
        *static_cast<DWORD*>(srcBits) = c.source;
        *static_cast<DWORD*>(dstBits) = c.destination;
        HDC srcDC = CreateCompatibleDC(screen), dstDC = CreateCompatibleDC(screen);
        HGDIOBJ oldSrc = SelectObject(srcDC, src), oldDst = SelectObject(dstDC, dst);
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, c.constant, AC_SRC_ALPHA};
        EXPECT_TRUE(CRenderEngine::AlphaBlendSoftware(dstDC, 0, 0, 1, 1, srcDC, 0, 0, 1, 1, bf));
        GdiFlush();
        DWORD result = *static_cast<DWORD*>(dstBits) & 0xFFFFFF;
        EXPECT_TRUE(Near(result, c.expected)) << std::hex << c.source << " over " << c.destination << ": " << result;
        SelectObject(srcDC, oldSrc);
        SelectObject(dstDC, oldDst);
        DeleteDC(srcDC);
        DeleteDC(dstDC);
        DeleteObject(src);
        DeleteObject(dst);
    }
    ReleaseDC(nullptr, screen);
}

}  // namespace
