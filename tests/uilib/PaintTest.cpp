// What the paint path draws: backgrounds, gradients and borders, read back
// as pixels through WM_PRINTCLIENT.
#include "UiHarness.h"

#include <gtest/gtest.h>

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

}  // namespace
