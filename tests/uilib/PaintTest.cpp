// What the paint path draws: backgrounds, gradients and borders, read back
// as pixels through WM_PRINTCLIENT, and a layered window's per-pixel alpha
// read back from the manager's offscreen bitmap.
#include "UiHarness.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

CControlUI* Box(CContainerUI* parent, const wchar_t* attributes) {
    CControlUI* control = new CControlUI;
    control->SetAttribute(L"float", L"true");
    control->ApplyAttributeList(attributes);
    parent->Add(control);
    return control;
}

// Runs after the tree in every paint and keeps the bitmap the manager painted
// into, so a layered window's per-pixel alpha can be read back.
class OffscreenRecorder : public CControlUI {
public:
    void DoPostPaint(HDC hDC, const RECT&) override {
        bitmap = static_cast<HBITMAP>(::GetCurrentObject(hDC, OBJ_BITMAP));
    }
    // 0xAARRGGBB of the recorded bitmap; 0xDEADBEEF when it is not a 32-bit DIB.
    DWORD At(int x, int y) const {
        DIBSECTION ds = {};
        if (!bitmap || ::GetObjectW(bitmap, sizeof(ds), &ds) != sizeof(ds) || ds.dsBm.bmBitsPixel != 32)
            return 0xDEADBEEF;
        ::GdiFlush();
        return static_cast<const DWORD*>(ds.dsBm.bmBits)[static_cast<size_t>(y) * ds.dsBm.bmWidth + x];
    }
    HBITMAP bitmap = nullptr;
};

PaintingControl* GdiFill(CContainerUI* parent, const wchar_t* pos, const COLORREF* colour) {
    PaintingControl* control = new PaintingControl;
    control->SetAttribute(L"float", L"true");
    control->SetAttribute(L"pos", pos);
    control->paint = [colour](HDC hDC, const RECT& item) {
        HBRUSH brush = ::CreateSolidBrush(*colour);
        ::FillRect(hDC, &item, brush);
        ::DeleteObject(brush);
    };
    parent->Add(control);
    return control;
}

TEST(Painting, BackgroundsAndOutlineBordersLandOnTheirPixels) {
    HarnessWindow window(200, 150);
    CContainerUI* root = new CContainerUI;
    root->SetAttribute(L"bkcolor", L"#FF204080");
    Box(root, L"pos=\"10,10,60,60\" bkcolor=\"#FFFF0000\" bordersize=\"2\" bordercolor=\"#FF00FF00\"");
    Box(root, L"pos=\"70,10,120,60\" bkcolor=\"#00FFFFFF\"");          // no alpha byte: nothing painted
    Box(root, L"pos=\"130,10,180,60\" bkcolor=\"#FF000000\" bkcolor2=\"#FFFFFFFF\"");
    ASSERT_TRUE(window.Show(root));
    Snapshot shot = window.Capture();

    EXPECT_EQ(shot.At(5, 5), 0x204080u);
    EXPECT_EQ(shot.At(35, 35), 0xFF0000u);
    EXPECT_EQ(shot.At(10, 35), 0x00FF00u);  // two-pixel outline inside the item
    EXPECT_EQ(shot.At(11, 35), 0x00FF00u);
    EXPECT_EQ(shot.At(12, 35), 0xFF0000u);
    EXPECT_EQ(shot.At(59, 59), 0x00FF00u);
    EXPECT_EQ(shot.At(60, 60), 0x204080u);
    EXPECT_EQ(shot.At(95, 35), 0x204080u);
    // A vertical gradient: dark at the top, light at the bottom.
    EXPECT_LT(shot.At(155, 11) & 0xFF, 0x20u);
    EXPECT_GT(shot.At(155, 58) & 0xFF, 0xE0u);
}

TEST(Painting, SideBordersDrawOnlyTheirSidesAndFocusUsesTheFocusColour) {
    HarnessWindow window(200, 150);
    CContainerUI* root = new CContainerUI;
    root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
    Box(root, L"pos=\"20,20,80,80\" bordercolor=\"#FF0000FF\" leftbordersize=\"1\" bottombordersize=\"1\"");
    CControlUI* focused = Box(root, L"pos=\"100,20,160,80\" bordersize=\"1\" bordercolor=\"#FF0000FF\" "
                                    L"focusbordercolor=\"#FFFF0000\"");
    ASSERT_TRUE(window.Show(root));
    focused->SetFocus();
    Snapshot shot = window.Capture();

    EXPECT_EQ(shot.At(20, 50), 0x0000FFu);  // left side
    EXPECT_EQ(shot.At(50, 80), 0x0000FFu);  // bottom side at the bottom edge line
    EXPECT_EQ(shot.At(50, 20), 0xFFFFFFu);  // no top side
    EXPECT_EQ(shot.At(79, 50), 0xFFFFFFu);  // no right side
    EXPECT_EQ(shot.At(100, 50), 0xFF0000u);  // focused outline
    EXPECT_EQ(shot.At(130, 50), 0xFFFFFFu);
}

// Borders are drawn with GDI pens, which take no alpha: a colour written with
// six digits outlines exactly as its opaque eight-digit form, whatever the
// kind of border.
TEST(Painting, ABorderColourWithoutAlphaDrawsLikeItsOpaqueForm) {
    struct Case {
        const char* kind;
        const wchar_t* border;
        POINT onBorder;
    } cases[] = {
        {"outline", L"bordersize=\"2\"", {21, 50}},
        {"round outline", L"bordersize=\"2\" borderround=\"8,8\"", {21, 50}},
        {"sides", L"leftbordersize=\"2\" topbordersize=\"2\"", {20, 50}},
    };
    for (const Case& c : cases) {
        for (const wchar_t* colour : {L"#0000FF", L"#FF0000FF"}) {
            HarnessWindow window(120, 100);
            CContainerUI* root = new CContainerUI;
            root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
            std::wstring attributes = L"pos=\"20,20,80,80\" bordercolor=\"" + std::wstring(colour) + L"\" " + c.border;
            Box(root, attributes.c_str());
            ASSERT_TRUE(window.Show(root));
            Snapshot shot = window.Capture();
            EXPECT_EQ(shot.At(c.onBorder.x, c.onBorder.y), 0x0000FFu) << c.kind << " " << std::string(colour, colour + 9);
            EXPECT_EQ(shot.At(50, 50), 0xFFFFFFu) << c.kind;
        }
    }
}

TEST(Painting, ChildrenAreClippedToTheContainerClientAreaButFloatsMayCoverTheInset) {
    HarnessWindow window(200, 150);
    CContainerUI* root = new CContainerUI;
    root->SetAttribute(L"bkcolor", L"#FF000000");
    CContainerUI* panel = new CContainerUI;
    panel->ApplyAttributeList(L"float=\"true\" pos=\"20,20,120,120\" inset=\"10,10,10,10\" bkcolor=\"#FF0000FF\"");
    root->Add(panel);
    CControlUI* stacked = new CControlUI;
    stacked->SetAttribute(L"bkcolor", L"#FFFF0000");
    panel->Add(stacked);
    Box(panel, L"pos=\"0,0,10,10\" bkcolor=\"#FF00FF00\"");
    ASSERT_TRUE(window.Show(root));
    Snapshot shot = window.Capture();

    EXPECT_EQ(shot.At(60, 60), 0xFF0000u);  // the stacked child fills the client area
    EXPECT_EQ(shot.At(25, 60), 0x0000FFu);  // the inset shows the panel
    EXPECT_EQ(shot.At(25, 25), 0x00FF00u);  // a float child paints over the inset
    EXPECT_EQ(shot.At(10, 10), 0x000000u);
}


// A 120 x 80 layered window whose paints are recorded; the test fills `root`.
struct LayeredWindow : HarnessWindow {
    LayeredWindow() : HarnessWindow(120, 80) {
        Manager().SetLayered(true);
        Manager().AddPostPaint(&recorder);
    }
    ~LayeredWindow() { Manager().RemovePostPaint(&recorder); }
    bool Show() {
        if (!HarnessWindow::Show(root)) return false;
        Settle();
        return true;
    }
    OffscreenRecorder recorder;
    CContainerUI* root = new CContainerUI;
};

// Repaints just a corner that no control covers.
void RepaintCorner(HarnessWindow& window) {
    RECT corner = {100, 60, 110, 70};
    ::InvalidateRect(window.Hwnd(), &corner, FALSE);
    window.Settle();
}

TEST(LayeredPainting, GdiPixelsBecomeOpaqueBlendsKeepTheirAlphaAndUntouchedPixelsStayClear) {
    LayeredWindow window;
    COLORREF red = RGB(255, 0, 0);
    GdiFill(window.root, L"0,0,40,40", &red);
    Box(window.root, L"pos=\"40,0,80,40\" bkcolor=\"#80FFFFFF\"");
    ASSERT_TRUE(window.Show());
    const OffscreenRecorder& recorder = window.recorder;

    EXPECT_NE(::GetWindowLongW(window.Hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(recorder.At(20, 20), 0xFFFF0000u);  // GDI drew alpha 0: made opaque
    DWORD half = recorder.At(60, 20);             // premultiplied half-transparent white
    EXPECT_EQ(half >> 24, 0x80u);
    for (int shift = 0; shift < 24; shift += 8) EXPECT_NEAR(static_cast<int>((half >> shift) & 0xFF), 0x80, 1);
    EXPECT_EQ(recorder.At(100, 20), 0u);  // nothing painted: fully transparent
    EXPECT_EQ(recorder.At(20, 60), 0u);
}

TEST(LayeredPainting, ARestoreMakesTheNextPaintCoverTheWholeClientArea) {
    LayeredWindow window;
    COLORREF colour = RGB(255, 0, 0);
    GdiFill(window.root, L"0,0,40,40", &colour);
    ASSERT_TRUE(window.Show());
    const OffscreenRecorder& recorder = window.recorder;
    ASSERT_EQ(recorder.At(20, 20), 0xFFFF0000u);

    // A small repaint elsewhere leaves the control's old pixels alone...
    colour = RGB(0, 255, 0);
    int paints = window.PaintCount();
    RepaintCorner(window);
    ASSERT_GT(window.PaintCount(), paints);
    EXPECT_EQ(recorder.At(20, 20), 0xFFFF0000u);

    // ...but after a restore the same small repaint redraws everything.
    ::SendMessageW(window.Hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    RepaintCorner(window);
    EXPECT_EQ(recorder.At(20, 20), 0xFF00FF00u);

    // The full repaint happens once.
    colour = RGB(0, 0, 255);
    RepaintCorner(window);
    EXPECT_EQ(recorder.At(20, 20), 0xFF00FF00u);
}

}  // namespace

