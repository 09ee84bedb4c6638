// Text, colours, shapes and clips of the render engine, drawn into a real
// window and read back as pixels. Text is checked as ink presence, colour and
// extent, never glyph by glyph.
#include "PngWriter.h"
#include "TestPaths.h"
#include "UiHarness.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include <objidl.h>
#include <gdiplus.h>

using namespace UiLib;
using namespace uiharness;

namespace {

bool Near(DWORD actual, DWORD expected, int tolerance = 3) {
    for (int shift = 0; shift < 24; shift += 8) {
        int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance) return false;
    }
    return true;
}

int FontHeight(const TFontInfo* font) { return font->tm.tmHeight + font->tm.tmExternalLeading; }

// Counts the pixels of a region that match a predicate.
int Count(const Snapshot& shot, RECT rc, const std::function<bool(DWORD)>& match) {
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x) n += match(shot.At(x, y)) ? 1 : 0;
    return n;
}
bool Inked(DWORD px) { return px != 0xFFFFFF; }
bool Reddish(DWORD px) { return ((px >> 16) & 0xFF) > 160 && ((px >> 8) & 0xFF) < 110 && (px & 0xFF) < 110; }
bool Bluish(DWORD px) { return (px & 0xFF) > 160 && ((px >> 16) & 0xFF) < 110 && ((px >> 8) & 0xFF) < 110; }

// A control that paints whatever the test gives it over a white window.
class Canvas : public ::testing::Test {
protected:
    void SetUp() override {
        CContainerUI* root = new CContainerUI;
        root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
        control_ = new PaintingControl;
        control_->ApplyAttributeList(L"float=\"true\" pos=\"0,0,300,200\"");
        root->Add(control_);
        ASSERT_TRUE(window_.Show(root));
    }

    Snapshot Paint(std::function<void(HDC, const RECT&)> paint) {
        control_->paint = std::move(paint);
        return window_.Capture();
    }

    CPaintManagerUI& Pm() { return window_.Manager(); }

    // Measures rich text in a wide rectangle.
    RECT Measure(const wchar_t* text, UINT style = 0, LONG right = 290) {
        RECT rc = {10, 10, right, 190};
        HDC dc = Pm().GetPaintDC();
        CRenderEngine::DrawRichText(dc, &Pm(), rc, text, 0xFF000000, nullptr, nullptr, nullptr, style | DT_CALCRECT);
        return rc;
    }

    HarnessWindow window_{300, 200};
    PaintingControl* control_ = nullptr;
};

TEST_F(Canvas, FillsAndGradientsFollowTheirAlpha) {
    Snapshot shot = Paint([](HDC dc, const RECT&) {
        CRenderEngine::DrawColor(dc, RECT{0, 0, 20, 20}, 0xFFFF0000);
        CRenderEngine::DrawColor(dc, RECT{20, 0, 40, 20}, 0x80FF0000);
        CRenderEngine::DrawColor(dc, RECT{40, 0, 60, 20}, 0x00FF0000);
        CRenderEngine::DrawGradient(dc, RECT{0, 30, 100, 50}, 0xFF000000, 0xFFFFFFFF, false, 16);
        CRenderEngine::DrawGradient(dc, RECT{0, 60, 20, 160}, 0xFF000000, 0xFFFFFFFF, true, 8);
        CRenderEngine::DrawGradient(dc, RECT{30, 60, 50, 80}, 0x00000000, 0x00000000, false, 16);
        CRenderEngine::DrawGradient(dc, RECT{60, 60, 80, 80}, 0xFFFF0000, 0x80FF0000, false, 16);
    });
    struct {
        int x, y;
        DWORD expected;
    } cases[] = {
        {10, 10, 0xFF0000}, {30, 10, 0xFF7F7F}, {50, 10, 0xFFFFFF},  // opaque, half, none
        {40, 65, 0xFFFFFF},                                           // two transparent ends draw nothing
        {70, 70, 0xFF4040},                                           // ends 0xFF and 0x80 blend at 0xBF
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(shot.At(c.x, c.y), c.expected, 4)) << c.x << "," << c.y << ": " << std::hex << shot.At(c.x, c.y);
    // Gradient halves: the first colour's half is darker than the second's.
    EXPECT_LT(shot.At(10, 40) & 0xFF, 0x40u);
    EXPECT_GT(shot.At(90, 40) & 0xFF, 0xC0u);
    EXPECT_LT(shot.At(10, 40) & 0xFF, shot.At(45, 40) & 0xFF);
    EXPECT_LT(shot.At(10, 65) & 0xFF, 0x40u);
    EXPECT_GT(shot.At(10, 155) & 0xFF, 0xC0u);
}

TEST_F(Canvas, RectanglesLinesAndClipsLandOnTheirPixels) {
    Snapshot shot = Paint([](HDC dc, const RECT&) {
        CRenderEngine::DrawRect(dc, RECT{10, 10, 50, 50}, 2, 0xFF0000FF);
        CRenderEngine::DrawLine(dc, RECT{60, 10, 60, 50}, 1, 0xFF00FF00, PS_SOLID);
        CRenderEngine::DrawRoundRect(dc, RECT{70, 10, 110, 50}, 10, 10, 1, 0xFFFF0000);
        {
            CRenderClip clip;
            CRenderClip::GenerateClip(dc, RECT{130, 10, 150, 30}, clip);
            CRenderEngine::DrawColor(dc, RECT{120, 0, 170, 50}, 0xFF00FF00);
        }  // restored here
        CRenderEngine::DrawColor(dc, RECT{120, 45, 125, 50}, 0xFF0000FF);
        CRenderClip round;
        CRenderClip::GenerateRoundClip(dc, RECT{180, 10, 240, 70}, RECT{180, 10, 240, 70}, 30, 30, round);
        CRenderEngine::DrawColor(dc, RECT{180, 10, 240, 70}, 0xFFFF0000);
        CRenderClip::Restore(round);
    });
    struct {
        int x, y;
        DWORD expected;
    } cases[] = {
        {10, 30, 0x0000FF}, {11, 30, 0x0000FF}, {12, 30, 0xFFFFFF}, {49, 49, 0x0000FF}, {50, 50, 0xFFFFFF},
        {60, 30, 0x00FF00}, {61, 30, 0xFFFFFF},
        {90, 10, 0xFF0000}, {70, 10, 0xFFFFFF},  // the round corner stays clear
        {140, 20, 0x00FF00}, {125, 20, 0xFFFFFF}, {160, 40, 0xFFFFFF},  // clipped fill
        {122, 47, 0x0000FF},                                             // clip restored
        {210, 40, 0xFF0000}, {181, 11, 0xFFFFFF},                        // round clip
    };
    for (const auto& c : cases) EXPECT_EQ(shot.At(c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST(Colours, HueSaturationAndLightnessAdjustments) {
    struct {
        DWORD in;
        short h, s, l;
        DWORD out;
    } cases[] = {
        {0x80123456, 180, 100, 100, 0x80123456},  // neutral values keep the colour
        {0xFFFF0000, 300, 100, 100, 0xFF00FF00},  // red turned by 120 degrees
        {0xFFFF0000, 60, 100, 100, 0xFF0000FF},   // and back by 120
        {0xFFFF0000, 180, 0, 100, 0xFF7F7F7F},    // no saturation: grey
        {0x40FF0000, 180, 100, 50, 0x407F0000},   // half lightness, alpha kept
        {0xFF808080, 250, 100, 100, 0xFF808080},  // grey has no hue to turn
    };
    for (const auto& c : cases) {
        DWORD out = CRenderEngine::AdjustColor(c.in, c.h, c.s, c.l);
        EXPECT_EQ(out >> 24, c.out >> 24);
        EXPECT_TRUE(Near(out, c.out, 1)) << std::hex << c.in << " -> " << out;
    }
    float h = 0, s = 0, l = 0;
    CRenderEngine::RgbToHsl(0xFF0000FF, &h, &s, &l);
    EXPECT_FLOAT_EQ(h, 240.0f);
    EXPECT_FLOAT_EQ(s, 1.0f);
    EXPECT_FLOAT_EQ(l, 0.5f);
}

TEST(Colours, LayeredPixelPassesClearAndFillAlphaInsideTheRectangle) {
    DWORD pixels[3 * 2] = {0x00102030, 0x00000000, 0x80102030, 0x00FFFFFF, 0x00000001, 0x11223344};
    RECT firstTwo = {0, 0, 2, 2};
    CRenderEngine::FillMissingAlpha(firstTwo, pixels, 3);
    const DWORD filled[] = {0xFF102030, 0x00000000, 0x80102030, 0xFFFFFFFF, 0xFF000001, 0x11223344};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pixels[i], filled[i]) << i;
    RECT right = {1, 0, 3, 2};
    CRenderEngine::ClearPixels(right, pixels, 3);
    const DWORD cleared[] = {0xFF102030, 0, 0, 0xFFFFFFFF, 0, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pixels[i], cleared[i]) << i;
}

TEST_F(Canvas, PlainAndRichTextInkInTheirColours) {
    RECT plain = {10, 10, 140, 40}, rich = {10, 50, 290, 80}, deep = {10, 90, 290, 120};
    std::wstring nested;
    for (int i = 0; i < 60; ++i) nested += L"<c #0000FF><b>";
    nested += L"DEEP";
    for (int i = 0; i < 60; ++i) nested += L"</b></c>";
    nested += L"<c #FF0000>RED</c>";
    Snapshot shot = Paint([&](HDC dc, const RECT&) {
        RECT rc = plain;
        CRenderEngine::DrawTextW(dc, &Pm(), rc, L"Plain &text", 0xFFFF0000, -1, DT_SINGLELINE);
        rc = rich;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"<c #FF0000>RED</c> <c 0000FF>BLUE</c>", 0xFF000000, nullptr,
                                    nullptr, nullptr, DT_SINGLELINE);
        rc = deep;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, nested.c_str(), 0xFF000000, nullptr, nullptr, nullptr, 0);
    });
    EXPECT_GT(Count(shot, plain, Reddish), 10);
    EXPECT_EQ(Count(shot, RECT{0, 0, 300, 8}, Inked), 0);
    EXPECT_GT(Count(shot, rich, Reddish), 10);
    EXPECT_GT(Count(shot, rich, Bluish), 10);
    // Sixty levels of nesting draw, and the colour after them unwinds to red.
    EXPECT_GT(Count(shot, deep, Bluish), 10);
    EXPECT_GT(Count(shot, deep, Reddish), 10);
    EXPECT_EQ(Count(shot, RECT{0, 125, 300, 200}, Inked), 0);
}

TEST_F(Canvas, BoldInkIsHeavierAndTagsShapeTheExtent) {
    RECT normal = {10, 10, 290, 40}, bold = {10, 50, 290, 80};
    Snapshot shot = Paint([&](HDC dc, const RECT&) {
        RECT rc = normal;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"Weight Weight", 0xFF000000, nullptr, nullptr, nullptr, 0);
        rc = bold;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"<b>Weight Weight</b>", 0xFF000000, nullptr, nullptr, nullptr, 0);
    });
    int thin = Count(shot, normal, Inked), heavy = Count(shot, bold, Inked);
    EXPECT_GT(thin, 20);
    EXPECT_GT(heavy, thin + thin / 10);

    const RECT ab = Measure(L"AB");
    const RECT empty = Measure(L"");
    const TFontInfo* font = Pm().GetDefaultFontInfo();
    const LONG line = font->tm.tmHeight + font->tm.tmExternalLeading;
    EXPECT_EQ(empty.bottom, 10 + line);
    EXPECT_EQ(ab.bottom, 10 + line);
    EXPECT_EQ(Measure(L"A<x 10>B").right, ab.right + 10);
    EXPECT_EQ(Measure(L"{<}AB").right, Measure(L"<AB").right);  // the escape draws a less-than sign
    EXPECT_GT(Measure(L"{<}AB").right, ab.right);
    // Raw text shows the tags inside it, not its own closing tag.
    EXPECT_EQ(Measure(L"<r><b>AB</b></r>").right, Measure(L"{<}b{>}AB{<}/b{>}").right);
    EXPECT_EQ(Measure(L"<r>A</r>B").right, ab.right);
    EXPECT_EQ(Measure(L"A<n>B").bottom, 10 + 2 * line);
    EXPECT_EQ(Measure(L"A<n>B", DT_SINGLELINE).bottom, 10 + line);  // n is ignored on a single line
    EXPECT_EQ(Measure(L"A\nB\nC").bottom, 10 + 3 * line);
    EXPECT_EQ(Measure(L"A<y 40>B").bottom, 10 + 40);
    // A font by face and size grows the line; by index it is the manager's font.
    EXPECT_GT(Measure(L"A<f Tahoma 30 bold>B</f>").bottom, 10 + line + 10);
    const int index = Pm().GetFontCount();
    Pm().AddFont(L"Tahoma", 40, false, false, false);
    const std::wstring indexed = L"<f " + std::to_wstring(index) + L">AB</f>";
    EXPECT_EQ(Measure(indexed.c_str()).bottom, 10 + FontHeight(Pm().GetFontInfo(index)));
    EXPECT_GT(Measure(indexed.c_str()).right, ab.right + 20);
    // A paragraph's line carries its spacing; closing it starts a new, plain line.
    EXPECT_EQ(Measure(L"<p 6>A</p>").bottom, 10 + (line + 6) + line);
    // Word breaking wraps a long text into more lines in a narrow rectangle.
    const wchar_t* words = L"alpha beta gamma delta epsilon zeta eta theta";
    EXPECT_EQ(Measure(words, DT_WORDBREAK).bottom, 10 + line);
    EXPECT_GT(Measure(words, DT_WORDBREAK, 70).bottom, 10 + 3 * line);
    EXPECT_LE(Measure(words, DT_WORDBREAK, 70).right, 70);
}

// The bounding box of the ink in a region.
RECT InkBox(const Snapshot& shot, RECT rc) {
    RECT box = {rc.right, rc.bottom, rc.left, rc.top};
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (Inked(shot.At(x, y))) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

TEST_F(Canvas, AlignmentSelectionAndEllipsisPlaceTheInk) {
    Pm().SetDefaultSelectedBkColor(0xFF00FF00);
    const RECT centred = {10, 10, 290, 70}, right = {10, 80, 290, 110}, selected = {10, 120, 290, 150},
               clipped = {10, 160, 60, 190};
    Snapshot shot = Paint([&](HDC dc, const RECT&) {
        RECT rc = centred;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"MMMM", 0xFF000000, nullptr, nullptr, nullptr,
                                    DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        rc = right;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"MMMM", 0xFF000000, nullptr, nullptr, nullptr, DT_RIGHT);
        rc = selected;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"A<s>MM</s>A", 0xFF000000, nullptr, nullptr, nullptr, 0);
        rc = clipped;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"MMMMMMMMMMMMMMMM", 0xFF000000, nullptr, nullptr, nullptr,
                                    DT_SINGLELINE | DT_END_ELLIPSIS);
    });
    RECT box = InkBox(shot, centred);
    EXPECT_NEAR((box.left + box.right) / 2, 150, 4);
    EXPECT_NEAR((box.top + box.bottom) / 2, 40, 5);
    box = InkBox(shot, right);
    EXPECT_GT(box.right, 280);
    EXPECT_GT(box.left, 200);
    EXPECT_GT(Count(shot, selected, [](DWORD px) { return px == 0x00FF00; }), 20);
    EXPECT_LT(InkBox(shot, selected).left, 14);  // text before the selection is not filled
    EXPECT_EQ(Count(shot, RECT{60, 160, 300, 200}, Inked), 0);
    EXPECT_GT(Count(shot, clipped, Inked), 20);
    RECT measured = Measure(L"MMMMMMMMMMMMMMMM", DT_SINGLELINE | DT_END_ELLIPSIS, 60);
    EXPECT_LE(measured.right, 60);
}

TEST_F(Canvas, LinksUseTheLinkColoursAndReportTheirRectangles) {
    Pm().SetDefaultLinkFontColor(0xFF0000FF);
    Pm().SetDefaultLinkHoverFontColor(0xFFFF0000);
    RECT rects[1] = {};
    CUiString texts[1];
    int count = 1;
    const RECT area = {10, 10, 290, 60};
    auto draw = [&](HDC dc, const RECT&) {
        RECT rc = area;
        count = 1;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"go <a first>LINK</a> and <a second>MORE</a>", 0xFF000000,
                                    rects, texts, &count, 0);
    };
    Snapshot idle = Paint(draw);
    EXPECT_EQ(count, 1);  // two links, room for one
    EXPECT_EQ(texts[0], L"first");
    EXPECT_GT(rects[0].right, rects[0].left);
    EXPECT_EQ(rects[0].top, 10);
    EXPECT_GT(Count(idle, area, Bluish), 10);
    EXPECT_EQ(Count(idle, area, Reddish), 0);

    window_.MouseMove((rects[0].left + rects[0].right) / 2, (rects[0].top + rects[0].bottom) / 2);
    Snapshot hovered = Paint(draw);
    EXPECT_GT(Count(hovered, rects[0], Reddish), 10);
    EXPECT_GT(Count(hovered, area, Bluish), 10);  // the other link keeps its colour
}

TEST_F(Canvas, InlineImagesDrawAndWrapWhenTheyDoNotFit) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(testsupport::WritePng(dir.File(L"dot.png"), 40, 20, std::vector<uint32_t>(800, 0xFFFF0000)));
    CPaintManagerUI::SetResourceZip(L"");
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());
    RECT area = {10, 10, 290, 190};
    Snapshot shot = Paint([&](HDC dc, const RECT&) {
        RECT rc = area;
        CRenderEngine::DrawRichText(dc, &Pm(), rc, L"<i dot.png 2 1>", 0xFF000000, nullptr, nullptr, nullptr, 0);
    });
    // One frame of two: 20 pixels wide, 20 high.
    EXPECT_EQ(Count(shot, area, Reddish), 400);
    EXPECT_EQ(shot.At(10, 10), 0xFF0000u);
    EXPECT_EQ(shot.At(30, 10), 0xFFFFFFu);

    EXPECT_EQ(Measure(L"<i dot.png>").bottom, 30);
    EXPECT_EQ(Measure(L"<i dot.png>").right, 50);
    EXPECT_EQ(Measure(L"<i dot.png><i dot.png>", 0, 80).bottom, 50);  // the second moves down
    EXPECT_EQ(Measure(L"<i dot.png>", 0, 30).bottom, 30);              // first on a line: drawn anyway
    EXPECT_EQ(Measure(L"<i missing.png>AB").right, Measure(L"AB").right);
}

// The string's size as GDI+ lays it out with the typographic format.
Gdiplus::SizeF GdiplusStringSize(HDC dc, HFONT hFont, const wchar_t* text, const RECT& rc, INT flags) {
    Gdiplus::Graphics graphics(dc);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::Font font(dc, hFont);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    format.SetFormatFlags(flags);
    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                          static_cast<Gdiplus::REAL>(rc.right - rc.left), static_cast<Gdiplus::REAL>(rc.bottom - rc.top));
    Gdiplus::RectF bounds;
    graphics.MeasureString(text, -1, &font, layout, &format, &bounds);
    return Gdiplus::SizeF(bounds.Width, bounds.Height);
}

TEST_F(Canvas, GdiplusTextMeasuresOnePixelBeyondTheString) {
    Pm().SetUseGdiplusText(true);
    HDC dc = Pm().GetPaintDC();
    HFONT font = Pm().GetFontInfo(-1)->hFont;
    const wchar_t* wrapping = L"several words that wrap in a narrow box";
    struct {
        const wchar_t* text;
        UINT style;
        RECT rc;
        INT gdiplusFlags;
    } cases[] = {
        {L"MMMM", DT_SINGLELINE, {10, 10, 290, 190}, Gdiplus::StringFormatFlagsNoWrap},
        {wrapping, DT_SINGLELINE, {10, 10, 60, 190}, Gdiplus::StringFormatFlagsNoWrap},
        {wrapping, 0, {10, 10, 60, 190}, 0},
    };
    for (const auto& c : cases) {
        RECT rc = c.rc;
        CRenderEngine::DrawTextW(dc, &Pm(), rc, c.text, 0xFF000000, -1, c.style | DT_CALCRECT);
        Gdiplus::SizeF size = GdiplusStringSize(dc, font, c.text, c.rc, c.gdiplusFlags);
        EXPECT_EQ(rc.left, c.rc.left);
        EXPECT_EQ(rc.top, c.rc.top);
        EXPECT_EQ(rc.right, static_cast<LONG>(c.rc.left + size.Width + 1)) << c.style;
        EXPECT_EQ(rc.bottom, static_cast<LONG>(c.rc.top + size.Height + 1)) << c.style;
        EXPECT_GT(rc.right - rc.left, 2) << c.style;
    }
    // Without the single-line flag the narrow box wraps the text onto more lines.
    RECT oneLine = cases[1].rc, wrapped = cases[2].rc;
    CRenderEngine::DrawTextW(dc, &Pm(), oneLine, wrapping, 0xFF000000, -1, DT_SINGLELINE | DT_CALCRECT);
    CRenderEngine::DrawTextW(dc, &Pm(), wrapped, wrapping, 0xFF000000, -1, DT_CALCRECT);
    EXPECT_GT(wrapped.bottom, oneLine.bottom + 10);
}

TEST_F(Canvas, GdiplusTextInksOpaquelyAndPlacesTheInkByItsAlignment) {
    Pm().SetBackgroundTransparent(true);
    struct {
        UINT style;
        RECT rc;
        int centreX, centreY;  // where the ink's centre belongs, -1 where it is not checked
        int left, top;         // the ink starts within a few pixels of here, -1 where not checked
    } cases[] = {
        {DT_SINGLELINE | DT_CENTER | DT_VCENTER, {10, 10, 290, 70}, 150, 40, -1, -1},
        {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, {10, 80, 290, 130}, -1, -1, -1, -1},
        {DT_SINGLELINE, {10, 140, 290, 190}, -1, -1, 10, 140},
    };
    Snapshot shot = Paint([&](HDC dc, const RECT&) {
        for (const auto& c : cases) {
            RECT rc = c.rc;
            // Alpha 0: the text is drawn all the same.
            CRenderEngine::DrawTextW(dc, &Pm(), rc, L"MMMM", 0x00FF0000, -1, c.style);
        }
    });
    for (const auto& c : cases) {
        EXPECT_GT(Count(shot, c.rc, Reddish), 10) << c.style;
        RECT box = InkBox(shot, c.rc);
        if (c.centreX >= 0) {
            EXPECT_NEAR((box.left + box.right) / 2, c.centreX, 3) << c.style;
            EXPECT_NEAR((box.top + box.bottom) / 2, c.centreY, 4) << c.style;
        }
        if (c.left >= 0) {
            EXPECT_NEAR(box.left, c.left, 3) << c.style;
            EXPECT_NEAR(box.top, c.top, 5) << c.style;
        }
        if (c.style & DT_RIGHT) {
            EXPECT_GT(box.right, c.rc.right - 5);
            EXPECT_GT(box.bottom, c.rc.bottom - 8);
        }
    }
    EXPECT_EQ(Count(shot, RECT{0, 0, 300, 8}, Inked), 0);
}

TEST(SkinWindow, WindowAttributesMarkTheManagerForGdiplusText) {
    struct {
        const wchar_t* skin;
        bool transparent, gdiplusText;
    } cases[] = {
        {L"<Window bktrans=\"true\" gdiplustext=\"true\"><Container/></Window>", true, true},
        {L"<Window bktrans=\"true\"><Container/></Window>", true, false},
        {L"<Window gdiplustext=\"true\"><Container/></Window>", false, true},
        {L"<Window bktrans=\"yes\" gdiplustext=\"1\"><Container/></Window>", false, false},
    };
    for (const auto& c : cases) {
        HarnessWindow window;
        CDialogBuilder builder;
        CControlUI* root = builder.Create(c.skin, nullptr, nullptr, &window.Manager(), nullptr);
        ASSERT_NE(root, nullptr);
        ASSERT_TRUE(window.Show(root));
        EXPECT_EQ(window.Manager().IsBackgroundTransparent(), c.transparent) << c.skin;
        EXPECT_EQ(window.Manager().IsUseGdiplusText(), c.gdiplusText) << c.skin;
    }
}

}  // namespace
