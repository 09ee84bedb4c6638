// The window shadow: the generated pixels as a pure function (sizes, alpha
// ramps, the frame's hole, offsets, a round region) and the shadow window
// following a real frame.
#include "UiHarness.h"
#include "core/effects/ShadowBitmap.h"
#include "core/manager/UIShadow.h"

#include <gtest/gtest.h>

using namespace UiLib;
using namespace uiharness;

namespace {

struct Generated {
    SIZE size;
    std::vector<DWORD> pixels;
    BYTE Alpha(int x, int y) const { return static_cast<BYTE>(pixels[static_cast<size_t>(y) * size.cx + x] >> 24); }
};

Generated Generate(int width, int height, ShadowSettings s) {
    Generated g;
    g.size = ShadowBitmapSize(width, height, s.size);
    g.pixels = BuildShadowPixels(width, height, FrameRowsOfRectangle(width, height), s);
    return g;
}

ShadowSettings Settings(int size, int sharpness, int darkness = 150, int ox = 0, int oy = 0, DWORD color = 0) {
    ShadowSettings s;
    s.size = size;
    s.sharpness = sharpness;
    s.darkness = darkness;
    s.offsetX = ox;
    s.offsetY = oy;
    s.color = color;
    return s;
}

TEST(ShadowPixels, SizeAddsTwiceTheShadowToEachSide) {
    struct Case {
        int size;
        LONG cx, cy;
    } cases[] = {{10, 120, 100}, {0, 100, 80}, {-5, 90, 70}, {-60, 0, 0}};
    for (const Case& c : cases) {
        Generated g = Generate(100, 80, Settings(c.size, 5));
        EXPECT_EQ(g.size.cx, c.cx) << c.size;
        EXPECT_EQ(g.size.cy, c.cy) << c.size;
        EXPECT_EQ(g.pixels.size(), static_cast<size_t>(c.cx * c.cy));
    }
}

TEST(ShadowPixels, AlphaRampsUpFromTheOuterEdgeAndTheFrameLeavesAHole) {
    // Size 10, sharpness 5: kernel radius 10, solid within 5 of the shape's edge.
    Generated g = Generate(100, 80, Settings(10, 5, 150));
    const int midY = g.size.cy / 2;
    // Alpha falls off by darkness / (sharpness + 1) a pixel over the soft edge.
    EXPECT_NEAR(g.Alpha(0, midY), 25, 1);
    EXPECT_NEAR(g.Alpha(1, midY), 50, 1);
    EXPECT_NEAR(g.Alpha(3, midY), 100, 1);
    EXPECT_EQ(g.Alpha(5, midY), 150);
    EXPECT_EQ(g.Alpha(0, 0), 0);  // the corner lies beyond the kernel's radius
    EXPECT_EQ(g.Alpha(9, midY), 150);                 // solid next to the frame
    EXPECT_EQ(g.Alpha(10, midY), 0);                  // the frame's own place is clear
    EXPECT_EQ(g.Alpha(60, midY), 0);
    EXPECT_EQ(g.Alpha(109, midY), 0);
    EXPECT_EQ(g.Alpha(110, midY), 150);
    // The same ramp on every side.
    EXPECT_EQ(g.Alpha(g.size.cx - 1 - 3, midY), g.Alpha(3, midY));
    EXPECT_EQ(g.Alpha(g.size.cx / 2, 3), g.Alpha(3, midY));
    for (BYTE a = 0, x = 0; x < 10; ++x) {
        EXPECT_GE(g.Alpha(x, midY), a) << int(x);
        a = g.Alpha(x, midY);
    }
}

TEST(ShadowPixels, ColourIsPremultipliedInBgraOrder) {
    Generated g = Generate(40, 40, Settings(10, 5, 200, 0, 0, 0x00FF8000));
    DWORD solid = g.pixels[static_cast<size_t>(30) * g.size.cx + 9];
    EXPECT_EQ(solid >> 24, 200u);
    EXPECT_EQ((solid >> 16) & 0xFF, 0xFFu * 200 / 255);  // red
    EXPECT_EQ((solid >> 8) & 0xFF, 0x80u * 200 / 255);   // green
    EXPECT_EQ(solid & 0xFF, 0u);                         // blue in the lowest byte
}

TEST(ShadowPixels, OffsetsMoveTheHoleAgainstTheShadow) {
    // Shifted 6 right and 4 down: the frame's place starts 6 further left and 4 higher in the shadow.
    Generated g = Generate(100, 80, Settings(10, 5, 150, 6, 4));
    EXPECT_EQ(g.Alpha(5, 50), 0);      // solid without offsets, under the frame now
    EXPECT_EQ(g.Alpha(105, 50), 150);  // clear without offsets, uncovered now
    EXPECT_EQ(g.Alpha(50, 6), 0);
    EXPECT_EQ(g.Alpha(50, 5), 150);
    EXPECT_EQ(g.Alpha(50, 86), 150);
}

TEST(ShadowPixels, ARoundRegionGivesRoundCorners) {
    HRGN round = ::CreateRoundRectRgn(0, 0, 101, 81, 40, 40);
    std::vector<ShadowRowSpan> rows = FrameRowsFromRegion(round, 100, 80);
    ::DeleteObject(round);
    ASSERT_EQ(rows.size(), 80u);
    EXPECT_GT(rows[0].left, 5);
    EXPECT_EQ(rows[40].left, 0);
    EXPECT_EQ(rows[40].right, 100);
    std::vector<DWORD> roundPixels = BuildShadowPixels(100, 80, rows, Settings(10, 5));
    Generated square = Generate(100, 80, Settings(10, 5));
    // Near the corner the round frame casts less shadow than the square one.
    EXPECT_LT(roundPixels[static_cast<size_t>(8) * square.size.cx + 8] >> 24, square.Alpha(8, 8));
}

TEST(ShadowSettingsOfTheObject, SettersRefuseOrClampToTheirRanges) {
    CShadowUI shadow;
    EXPECT_FALSE(shadow.SetSize(-21));
    EXPECT_TRUE(shadow.SetSize(300));
    EXPECT_EQ(shadow.GetSize(), 127);  // kept within its 8 bits instead of wrapping
    EXPECT_TRUE(shadow.SetSharpness(1000));
    EXPECT_EQ(shadow.GetSharpness(), 255);
    EXPECT_TRUE(shadow.SetDarkness(999));
    EXPECT_EQ(shadow.GetDarkness(), 255);
    EXPECT_FALSE(shadow.SetPosition(-21, 0));
    EXPECT_FALSE(shadow.SetPosition(0, 21));
    EXPECT_TRUE(shadow.SetPosition(200, -20));
    EXPECT_EQ(shadow.GetOffsetX(), 127);
    EXPECT_EQ(shadow.GetOffsetY(), -20);
    EXPECT_FALSE(shadow.SetImage(nullptr));
    EXPECT_FALSE(shadow.SetShadowCorner(RECT{1, -1, 0, 0}));

    CShadowUI copy;
    EXPECT_TRUE(copy.CopyShadow(&shadow));
    EXPECT_EQ(copy.GetSize(), 0);        // 127 is beyond what a copy takes
    EXPECT_EQ(copy.GetDarkness(), 255);
    EXPECT_EQ(copy.GetOffsetX(), 0);
}

// A frame window with its own procedure, to see the shadow follow it.
struct Frame {
    HarnessWindow window{200, 150};
    bool Show() {
        CContainerUI* root = new CContainerUI;
        root->SetBkColor(0xFF2060A0);
        return window.Show(root);
    }
};

TEST(ShadowWindow, CreatedOnceForALiveFrameAndFollowsIt) {
    Frame frame;
    CShadowUI& shadow = *frame.window.Manager().GetShadow();
    shadow.ShowShadow(true);
    shadow.SetSize(10);
    const LONG_PTR ownProc = ::GetWindowLongPtrW(frame.window.Hwnd(), GWLP_WNDPROC);
    ASSERT_TRUE(frame.Show());  // attaching the root creates the shadow
    HWND shadowWnd = shadow.GetShadowWindow();
    ASSERT_TRUE(::IsWindow(shadowWnd));
    EXPECT_NE(::GetWindowLongPtrW(frame.window.Hwnd(), GWLP_WNDPROC), ownProc);
    EXPECT_EQ(shadow.GetState(), 7);
    EXPECT_TRUE(::GetWindowLongW(shadowWnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_EQ(::GetWindow(shadowWnd, GW_OWNER), frame.window.Hwnd());
    RECT frameRc = {}, shadowRc = {};
    ::GetWindowRect(frame.window.Hwnd(), &frameRc);
    ::GetWindowRect(shadowWnd, &shadowRc);
    EXPECT_TRUE(RectIs(shadowRc, RECT{frameRc.left - 10, frameRc.top - 10, frameRc.right + 10, frameRc.bottom + 10}));

    // A second Create for the same frame makes nothing new.
    shadow.Create(&frame.window.Manager());
    EXPECT_EQ(shadow.GetShadowWindow(), shadowWnd);

    // Moving the frame moves the shadow; shrinking redraws it at once.
    ::SetWindowPos(frame.window.Hwnd(), nullptr, 60, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetWindowRect(shadowWnd, &shadowRc);
    EXPECT_EQ(shadowRc.left, 50);
    EXPECT_EQ(shadowRc.top, 60);
    ::SetWindowPos(frame.window.Hwnd(), nullptr, 0, 0, 210, 160, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpFor(30);  // a frame that grew is drawn at its next paint
    ::GetWindowRect(shadowWnd, &shadowRc);
    EXPECT_EQ(shadowRc.right - shadowRc.left, 230);
    ::SetWindowPos(frame.window.Hwnd(), nullptr, 0, 0, 150, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetWindowRect(shadowWnd, &shadowRc);
    EXPECT_EQ(shadowRc.right - shadowRc.left, 170);
    // Maximising hides it; hiding the frame hides it.
    ::SendMessageW(frame.window.Hwnd(), WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(150, 100));
    EXPECT_FALSE(::IsWindowVisible(shadowWnd));
    ::SendMessageW(frame.window.Hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(150, 100));
    EXPECT_TRUE(::IsWindowVisible(shadowWnd));
}

TEST(ShadowWindow, RefusesADeadFrameAndFreeingGivesTheFrameItsProcedureBack) {
    {
        CPaintManagerUI manager;  // never given a window
        CShadowUI shadow;
        shadow.ShowShadow(true);
        shadow.Create(&manager);
        EXPECT_EQ(shadow.GetShadowWindow(), nullptr);
    }
    HWND dead = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CPaintManagerUI deadManager;
    deadManager.Init(dead);
    ::DestroyWindow(dead);
    CShadowUI lost;
    lost.ShowShadow(true);
    lost.Create(&deadManager);
    EXPECT_EQ(lost.GetShadowWindow(), nullptr);

    HWND frame = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 80, 60, nullptr, nullptr, nullptr,
                                   nullptr);
    const LONG_PTR ownProc = ::GetWindowLongPtrW(frame, GWLP_WNDPROC);
    CPaintManagerUI manager;
    manager.Init(frame);
    {
        CShadowUI shadow;
        shadow.ShowShadow(true);
        shadow.Create(&manager);
        HWND shadowWnd = shadow.GetShadowWindow();
        ASSERT_TRUE(::IsWindow(shadowWnd));
        // A second shadow for the same frame is refused.
        CShadowUI second;
        second.ShowShadow(true);
        second.Create(&manager);
        EXPECT_EQ(second.GetShadowWindow(), nullptr);
    }
    EXPECT_EQ(::GetWindowLongPtrW(frame, GWLP_WNDPROC), ownProc);
    // The frame is free again: a new shadow may follow it, and its destruction ends that one.
    CShadowUI again;
    again.ShowShadow(true);
    again.Create(&manager);
    HWND againWnd = again.GetShadowWindow();
    ASSERT_TRUE(::IsWindow(againWnd));
    ::DestroyWindow(frame);
    EXPECT_FALSE(::IsWindow(againWnd));
}

}  // namespace
