// The layouts, the animation helper and the scroll bar used through
// UiLib_u.dll, as the downloader, updater and plug-in use them: imported
// classes, and a caller's class derived from an imported layout.
#include "controls/UIAnimation.h"
#include "controls/UITabLayout.h"
#include "controls/UIVerticalLayout.h"
#include "core/manager/UIScrollBar.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

using namespace UiLib;

namespace {

// A caller's column that counts its layouts, through the imported virtuals.
class CountingColumn : public CVerticalLayoutUI {
public:
    void SetPos(RECT rc) override {
        ++layouts;
        CVerticalLayoutUI::SetPos(rc);
    }
    int layouts = 0;
};

TEST(LayoutsThroughTheDll, ImportedLayoutsPlaceTheirChildren) {
    CountingColumn column;
    column.ApplyAttributeList(L"childpadding=\"4\" sepheight=\"3\"");
    CControlUI* fixed = new CControlUI;
    fixed->SetFixedHeight(20);
    CControlUI* rest = new CControlUI;
    column.Add(fixed);
    column.Add(rest);
    column.SetPos(RECT{0, 0, 50, 100});
    EXPECT_EQ(column.layouts, 1);
    EXPECT_EQ(rest->GetPos().top, 24);
    EXPECT_EQ(rest->GetPos().bottom, 100);
    EXPECT_EQ(column.GetThumbRect(false).top, 97);

    CTabLayoutUI tabs;
    tabs.Add(new CControlUI);
    tabs.Add(new CControlUI);
    EXPECT_TRUE(tabs.SelectItem(1));
    EXPECT_EQ(tabs.GetCurSel(), 1);

    CScrollBarUI bar;
    bar.SetAttribute(L"range", L"300");
    bar.SetPos(RECT{0, 0, 16, 200});
    EXPECT_EQ(bar.GetThumbRect().bottom - bar.GetThumbRect().top, 168 * 200 / 500);

    CDialogBuilder builder;
    CControlUI* built = builder.Create(L"<Window><AnimationTabLayout><Control/></AnimationTabLayout></Window>");
    ASSERT_NE(built, nullptr);
    EXPECT_NE(built->GetInterface(L"AnimationTabLayout"), nullptr);
    EXPECT_NE(built->GetInterface(L"TabLayout"), nullptr);
    delete built;
}

}  // namespace
