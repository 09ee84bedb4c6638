// The effect spooler: its geometry as pure functions, one animation drawn by
// Direct3D 9 (wined3d over Mesa's software renderer here) and read back from
// the screen, and a system without d3d9.dll, where effects are dropped
// silently and the window paints as usual.
#include "UiHarness.h"
#include "core/effects/EffectSpooler.h"

#include <d3d9.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace UiLib;
using namespace uiharness;

namespace {

tagEffectJob Job(DWORD duration, RECT rc, int offsetX, int offsetY, int zoom, int alpha, float rotation = 0.0f) {
    return tagEffectJob(duration, CLR_INVALID, CLR_INVALID, rc, offsetX, offsetY, zoom, alpha, rotation);
}

TEST(EffectGeometry, TileSizeFollowsTheControlWidth) {
    struct Case {
        int width;
        int tile;
        size_t columns;
        float lastCovered;
    } cases[] = {{20, 32, 1, 20.0f / 32}, {40, 64, 1, 40.0f / 64}, {100, 128, 1, 100.0f / 128},
                 {300, 128, 3, 44.0f / 128}};
    for (const Case& c : cases) {
        RECT rc = {10, 10, 10 + c.width, 30};
        int tile = EffectTileSize(c.width);
        EXPECT_EQ(tile, c.tile) << c.width;
        std::vector<EffectTile> tiles = CutIntoTiles(rc, tile);
        ASSERT_EQ(tiles.size(), c.columns) << c.width;
        EXPECT_FLOAT_EQ(tiles.back().uMax, c.lastCovered) << c.width;
        EXPECT_FLOAT_EQ(tiles.back().vMax, 20.0f / tile) << c.width;
        EXPECT_EQ(tiles.back().rect.right, rc.right);
    }
    EXPECT_TRUE(CutIntoTiles(RECT{5, 5, 5, 40}, 32).empty());  // nothing to cut
}

TEST(EffectGeometry, PoseRunsFromTheFullEffectBackToTheControl) {
    tagEffectJob job = Job(300, RECT{0, 0, 100, 40}, 50, 0, 0, 255);
    job.dwStart = 1000;
    EffectPose begin = EffectPoseAt(job, 1000), middle = EffectPoseAt(job, 1150), end = EffectPoseAt(job, 1300);
    EXPECT_FLOAT_EQ(begin.dx, 50.0f);
    EXPECT_NEAR(middle.dx, 25.0f, 0.01f);  // cosine easing is half way at half time
    EXPECT_FLOAT_EQ(end.dx, 0.0f);
    EXPECT_EQ(begin.alpha, 0);  // alpha 255 fades in from transparent
    EXPECT_EQ(end.alpha, 255);
    EXPECT_GT(EffectPoseAt(job, 1050).dx, 50.0f - 50.0f * 50 / 300);  // eased: a slow start

    tagEffectJob fadeOut = Job(300, RECT{0, 0, 100, 40}, 0, 0, 0, -255);
    EXPECT_EQ(EffectPoseAt(fadeOut, 0).alpha, 255);
    EXPECT_EQ(EffectPoseAt(fadeOut, 300).alpha, 0);

    tagEffectJob grow = Job(300, RECT{0, 0, 100, 40}, 0, 0, 1, 0), shrink = Job(300, RECT{0, 0, 100, 40}, 0, 0, -1, 0);
    EXPECT_FLOAT_EQ(EffectPoseAt(grow, 0).scale, 2.0f);
    EXPECT_FLOAT_EQ(EffectPoseAt(grow, 300).scale, 1.0f);
    EXPECT_FLOAT_EQ(EffectPoseAt(shrink, 0).scale, 1.0f);
    EXPECT_FLOAT_EQ(EffectPoseAt(shrink, 300).scale, 2.0f);

    // No duration: the job is over at once, with no division by zero.
    tagEffectJob instant = Job(0, RECT{0, 0, 100, 40}, 50, 0, 1, 255);
    EffectPose pose = EffectPoseAt(instant, 12345);
    EXPECT_FLOAT_EQ(pose.amount, 0.0f);
    EXPECT_FLOAT_EQ(pose.dx, 0.0f);
    EXPECT_EQ(pose.alpha, 255);
}

TEST(EffectGeometry, VerticesMoveScaleAndTurnAboutTheCentre) {
    tagEffectJob job = Job(100, RECT{0, 0, 100, 40}, 0, 0, 1, 0, 3.14159265f);
    std::vector<EffectTile> tiles = CutIntoTiles(job.rcFrom, EffectTileSize(100));
    EffectVertex base[4], moved[4];
    TileBaseVertices(tiles[0], base);
    EXPECT_FLOAT_EQ(base[0].x, -0.5f);
    EXPECT_FLOAT_EQ(base[2].y, 39.5f);
    EXPECT_FLOAT_EQ(base[0].z, 0.1f);
    EXPECT_FLOAT_EQ(base[0].rhw, 1.0f / 109);
    // At the start: doubled and turned half a circle about (50, 20).
    TransformVertices(base, job, EffectPoseAt(job, 0), moved);
    EXPECT_NEAR(moved[0].x, 50 + 2 * 50.5f, 0.01f);
    EXPECT_NEAR(moved[0].y, 20 + 2 * 20.5f, 0.01f);
    EXPECT_EQ(moved[0].diffuse, 0xFFFFFFFFu);
    // At the end: back in place.
    TransformVertices(base, job, EffectPoseAt(job, 100), moved);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(moved[i].x, base[i].x, 0.01f);
        EXPECT_NEAR(moved[i].y, base[i].y, 0.01f);
    }
}

// A window with a red block on white, for the drawn animation.
struct RedBlockWindow {
    HarnessWindow window{240, 120};
    CControlUI* block = nullptr;
    bool Show() {
        CContainerUI* root = new CContainerUI;
        root->SetBkColor(0xFFFFFFFF);
        block = AddFloating<CControlUI>(root, L"pos=\"20,20,80,80\" bkcolor=\"#FFFF0000\"");
        return window.Show(root);
    }
};

// The pixel (0x00RRGGBB) at a client point of the frame Direct3D last drew.
DWORD DrawnPixel(int x, int y) {
    IDirect3DDevice9* device = CEffectSpooler::Instance().GetDevice();
    if (!device) return 0xDEADBEEF;
    IDirect3DSurface9* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return 0xDEADBEEF;
    D3DSURFACE_DESC desc = {};
    back->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    DWORD pixel = 0xDEADBEEF;
    if (SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                      &copy, nullptr))) {
        D3DLOCKED_RECT locked = {};
        if (SUCCEEDED(device->GetRenderTargetData(back, copy)) && SUCCEEDED(copy->LockRect(&locked, nullptr, 0))) {
            pixel = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch)[x] &
                    0x00FFFFFF;
            copy->UnlockRect();
        }
        copy->Release();
    }
    back->Release();
    return pixel;
}

TEST(EffectSpooler, DrawsAMovedControlWithDirect3D) {
    RedBlockWindow w;
    ASSERT_TRUE(w.Show());
    CEffectSpooler& spooler = CEffectSpooler::Instance();
    tagEffectJob job = Job(600000, RECT{20, 20, 80, 80}, 100, 0, 0, 0);
    job.clrBack = RGB(255, 255, 255);  // the control's place shows white while its image is away
    job.dwKey = CLR_INVALID;
    job.hWnd = w.window.Hwnd();
    spooler.AddJob(job);
    ASSERT_TRUE(spooler.Init(w.window.Hwnd()));
    ASSERT_TRUE(spooler.PrepareAnimation(w.window.Hwnd()));
    EXPECT_EQ(spooler.TileCount(), 1);
    ASSERT_TRUE(spooler.Render());
    // The block stands 100 pixels to the right; its own place is filled white.
    EXPECT_EQ(DrawnPixel(150, 50), 0x00FF0000u);
    EXPECT_EQ(DrawnPixel(50, 50), 0x00FFFFFFu);
    EXPECT_EQ(DrawnPixel(10, 10), 0x00FFFFFFu);
    spooler.CleanUp();
    EXPECT_EQ(spooler.JobCount(), 0);
    EXPECT_FALSE(spooler.IsInitialised());
}

TEST(EffectSpooler, JobsBeyondTheTileArraysAreSkippedAndLateJobsJoin) {
    RedBlockWindow w;
    ASSERT_TRUE(w.Show());
    CEffectSpooler& spooler = CEffectSpooler::Instance();
    // Three 32-pixel tiles a job: 26 jobs fill 78 of the 80 tiles, the 27th does not fit.
    for (int i = 0; i < 27; ++i) {
        tagEffectJob job = Job(600000, RECT{i * 8, 0, i * 8 + 20, 96}, 0, 0, 0, 0);
        job.hWnd = w.window.Hwnd();
        spooler.AddJob(job);
    }
    ASSERT_TRUE(spooler.Init(w.window.Hwnd()));
    ASSERT_TRUE(spooler.PrepareAnimation(w.window.Hwnd()));
    EXPECT_EQ(spooler.TileCount(), 78);
    EXPECT_EQ(spooler.JobAt(25)->iSkip, 0);
    EXPECT_EQ(spooler.JobAt(26)->iSkip, 1);
    // A job added while the animation runs is set up at once.
    tagEffectJob late = Job(600000, RECT{20, 20, 40, 40}, 0, 0, 0, 0);
    late.hWnd = w.window.Hwnd();
    spooler.AddJob(late);
    EXPECT_EQ(spooler.JobAt(27)->iSkip, 0);
    EXPECT_EQ(spooler.TileCount(), 79);
    EXPECT_TRUE(spooler.Render());
    spooler.CleanUp();
    EXPECT_EQ(spooler.TileCount(), 0);
}

TEST(EffectSpooler, AControlEffectPlaysThroughTheManagerAndEnds) {
    RedBlockWindow w;
    ASSERT_TRUE(w.Show());
    w.block->SetAnimEffects(true);
    w.block->SetEffectsStyle(L"anim='left2right' offset='40' needtimer='300'");
    w.block->TriggerEffects();
    EXPECT_EQ(CEffectSpooler::Instance().JobCount(), 1);
    // The frames follow each other inside the message loop until the effect has run its 300 ms.
    DWORD begin = ::GetTickCount();
    ASSERT_TRUE(PumpUntil([] { return CEffectSpooler::Instance().JobCount() == 0; }, 10000));
    EXPECT_GE(::GetTickCount() - begin, 300u);
    EXPECT_FALSE(CEffectSpooler::Instance().IsInitialised());
    EXPECT_EQ(w.window.Capture().At(50, 50), 0x00FF0000u);
}

// Run with d3d9.dll disabled (WINEDLLOVERRIDES=d3d9=d).
TEST(EffectSpoolerAbsent, NoDirect3DMeansNoEffectAndNoError) {
    ASSERT_EQ(::LoadLibraryW(L"d3d9.dll"), nullptr) << "this test runs with d3d9 disabled";
    RedBlockWindow w;
    ASSERT_TRUE(w.Show());
    w.block->SetAnimEffects(true);
    w.block->SetEffectsStyle(L"zoom='1' needtimer='200'");
    w.block->TriggerEffects();
    EXPECT_EQ(CEffectSpooler::Instance().JobCount(), 1);
    ASSERT_TRUE(PumpUntil([] { return CEffectSpooler::Instance().JobCount() == 0; }, 3000));
    EXPECT_FALSE(CEffectSpooler::Instance().IsPrepared());
    EXPECT_FALSE(CEffectSpooler::Instance().Init(w.window.Hwnd()));
    w.window.Settle();
    EXPECT_EQ(w.window.Capture().At(50, 50), 0x00FF0000u);
    EXPECT_EQ(w.window.Capture().At(150, 50), 0x00FFFFFFu);
}

}  // namespace
