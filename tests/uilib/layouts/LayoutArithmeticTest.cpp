// Placement arithmetic of the row, column, tile and tab layouts, checked on
// trees without a window: fixed sizes, shares of the rest, paddings, insets,
// min/max limits and the dropped remainder.
#include "UiHarness.h"
#include "controls/UIHorizontalLayout.h"
#include "controls/UITabLayout.h"
#include "controls/UITileLayout.h"
#include "controls/UIVerticalLayout.h"
#include "core/manager/UIScrollBar.h"

#include <gtest/gtest.h>

#include <vector>

using namespace UiLib;
using uiharness::RectIs;

namespace {

// One child of a case: its attribute list, and where it must end up.
struct Child {
    const wchar_t* attributes;
    RECT expected;
};

struct LayoutCase {
    const char* what;
    const wchar_t* layoutAttributes;
    RECT layoutPos;
    std::vector<Child> children;
};

void RunCase(CContainerUI& layout, const LayoutCase& c) {
    layout.ApplyAttributeList(c.layoutAttributes);
    std::vector<CControlUI*> made;
    for (const Child& child : c.children) {
        CControlUI* control = new CControlUI;
        control->ApplyAttributeList(child.attributes);
        layout.Add(control);
        made.push_back(control);
    }
    layout.SetPos(c.layoutPos);
    for (size_t i = 0; i < made.size(); ++i)
        EXPECT_TRUE(RectIs(made[i]->GetPos(), c.children[i].expected)) << c.what << ", child " << i;
}

TEST(HorizontalLayout, PlacesFixedAndSharedWidths) {
    const LayoutCase cases[] = {
        {"fixed 100 and two sharing 400 with padding 10", L"childpadding=\"10\"", {0, 0, 400, 50},
         {{L"width=\"100\"", {0, 0, 100, 50}}, {L"", {110, 0, 250, 50}}, {L"", {260, 0, 400, 50}}}},
        {"remainder stays empty at the end", L"", {0, 0, 100, 20},
         {{L"", {0, 0, 33, 20}}, {L"", {33, 0, 66, 20}}, {L"", {66, 0, 99, 20}}}},
        {"inset and paddings", L"inset=\"5,6,7,8\"", {10, 10, 210, 110},
         {{L"width=\"50\" padding=\"2,3,4,5\"", {17, 19, 67, 97}}, {L"", {71, 16, 203, 102}}}},
        {"min and max widths clamp fixed and shared children", L"", {0, 0, 300, 40},
         {{L"width=\"500\" maxwidth=\"80\"", {0, 0, 80, 40}}, {L"maxwidth=\"60\"", {80, 0, 140, 40}},
          {L"minwidth=\"250\"", {140, 0, 390, 40}}}},
        {"fixed height keeps the child top-aligned", L"", {0, 0, 100, 60},
         {{L"height=\"20\"", {0, 0, 50, 20}}, {L"", {50, 0, 100, 60}}}},
        {"paddings taller than the layout give height 0, then the minimum", L"", {0, 0, 50, 30},
         {{L"padding=\"0,20,0,20\" minheight=\"4\"", {0, 20, 50, 24}}}},
        {"floating children keep their own place", L"", {0, 0, 100, 40},
         {{L"float=\"true\" pos=\"5,5,15,15\"", {5, 5, 15, 15}}, {L"", {0, 0, 100, 40}}}},
    };
    for (const LayoutCase& c : cases) {
        CHorizontalLayoutUI layout;
        RunCase(layout, c);
    }
}

TEST(HorizontalLayout, AWideRowShowsTheHorizontalBarAndANarrowOneHidesIt) {
    CHorizontalLayoutUI row;
    row.SetAttribute(L"hscrollbar", L"true");
    CControlUI* first = new CControlUI;
    CControlUI* second = new CControlUI;
    first->SetFixedWidth(150);
    second->SetFixedWidth(150);
    row.Add(first);
    row.Add(second);
    row.SetPos(RECT{0, 0, 100, 50});
    ASSERT_TRUE(row.GetHorizontalScrollBar()->IsVisible());
    EXPECT_EQ(row.GetScrollRange().cx, 200);
    EXPECT_TRUE(RectIs(second->GetPos(), RECT{150, 0, 300, 34}));  // the bar takes 16 off the bottom
    EXPECT_TRUE(RectIs(row.GetHorizontalScrollBar()->GetPos(), RECT{0, 34, 100, 50}));
    row.SetScrollPos(SIZE{50, 0});
    EXPECT_TRUE(RectIs(second->GetPos(), RECT{100, 0, 250, 34}));

    // Narrow again: the bar goes away and the children get their height and place back at once.
    first->SetFixedWidth(30);
    second->SetFixedWidth(30);
    row.SetPos(RECT{0, 0, 100, 50});
    EXPECT_FALSE(row.GetHorizontalScrollBar()->IsVisible());
    EXPECT_TRUE(RectIs(first->GetPos(), RECT{0, 0, 30, 50}));
    EXPECT_TRUE(RectIs(second->GetPos(), RECT{30, 0, 60, 50}));
}

TEST(HorizontalLayout, ANegativeSeparatorDragsTheLeftEdge) {
    CHorizontalLayoutUI row;
    row.ApplyAttributeList(L"sepwidth=\"-4\" sepimm=\"true\"");
    row.SetPos(RECT{100, 0, 200, 50});
    auto send = [&row](int type, int x) {
        TEventUI event = {};
        event.Type = type;
        event.ptMouse = POINT{x, 10};
        row.DoEvent(event);
    };
    send(UIEVENT_BUTTONDOWN, 101);
    EXPECT_TRUE(row.IsSeparatorCaptured());
    send(UIEVENT_MOUSEMOVE, 91);
    send(UIEVENT_BUTTONUP, 91);
    EXPECT_FALSE(row.IsSeparatorCaptured());
    EXPECT_TRUE(RectIs(row.GetPos(), RECT{90, 0, 200, 50}));
    EXPECT_EQ(row.GetFixedWidth(), 110);
}

TEST(VerticalLayout, PlacesFixedAndSharedHeights) {
    const LayoutCase cases[] = {
        {"fixed 100 and two sharing 400 with padding 10", L"childpadding=\"10\"", {0, 0, 50, 400},
         {{L"height=\"100\"", {0, 0, 50, 100}}, {L"", {0, 110, 50, 250}}, {L"", {0, 260, 50, 400}}}},
        {"remainder stays empty at the bottom", L"", {0, 0, 20, 100},
         {{L"", {0, 0, 20, 33}}, {L"", {0, 33, 20, 66}}, {L"", {0, 66, 20, 99}}}},
        {"inset, paddings and a fixed width", L"inset=\"5,6,7,8\"", {10, 10, 110, 210},
         {{L"height=\"50\" width=\"30\" padding=\"2,3,4,5\"", {17, 19, 47, 69}}, {L"", {15, 74, 103, 202}}}},
        {"min and max heights", L"", {0, 0, 40, 300},
         {{L"height=\"500\" maxheight=\"80\"", {0, 0, 40, 80}}, {L"minheight=\"250\"", {0, 80, 40, 330}}}},
        {"invisible children take no room", L"", {0, 0, 40, 100},
         {{L"visible=\"false\"", {0, 0, 0, 0}}, {L"", {0, 0, 40, 100}}}},
    };
    for (const LayoutCase& c : cases) {
        CVerticalLayoutUI layout;
        RunCase(layout, c);
    }
}

TEST(VerticalLayout, OverflowShowsTheBarAndScrollingMovesTheChildren) {
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"vscrollbar", L"true");
    CControlUI* first = new CControlUI;
    first->SetFixedHeight(300);
    layout.Add(first);
    layout.SetPos(RECT{0, 0, 100, 100});
    ASSERT_TRUE(layout.GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(layout.GetScrollRange().cy, 200);
    EXPECT_TRUE(RectIs(first->GetPos(), RECT{0, 0, 84, 300}));  // the bar takes 16 from the right
    layout.SetScrollPos(SIZE{0, 50});
    EXPECT_TRUE(RectIs(first->GetPos(), RECT{0, -50, 84, 250}));
}

TEST(TileLayout, ColumnsFollowTheItemWidthOrTheColumnsValue) {
    struct Case {
        const wchar_t* attributes;
        int layoutWidth;
        int columns;
    } cases[] = {
        {L"columns=\"3\"", 120, 3},
        {L"columns=\"3\" itemsize=\"50,10\"", 120, 2},
        {L"itemsize=\"200,10\"", 120, 1},
        {L"columns=\"0\"", 120, 1},  // below 1 is ignored
        {L"itemsize=\"40\"", 130, 3},  // a short value reads the missing height as 0
    };
    for (const Case& c : cases) {
        CTileLayoutUI tiles;
        tiles.ApplyAttributeList(c.attributes);
        tiles.Add(new CControlUI);
        tiles.SetPos(RECT{0, 0, c.layoutWidth, 100});
        EXPECT_EQ(tiles.GetColumns(), c.columns) << c.layoutWidth;
    }
}

TEST(TileLayout, RowsAreAsTallAsTheirTallestTileAndTilesAreCentred) {
    LayoutCase c = {"two columns, child padding 10", L"columns=\"2\" childpadding=\"10\"", {0, 0, 200, 300},
                    {{L"width=\"40\" height=\"30\"", {27, 10, 67, 40}},
                     {L"width=\"40\" height=\"50\"", {132, 0, 172, 50}},
                     {L"height=\"20\"", {0, 65, 95, 85}},
                     {L"height=\"20\" padding=\"0,0,0,10\"", {105, 65, 200, 85}},
                     {L"width=\"10\" height=\"10\"", {42, 100, 52, 110}}}};
    CTileLayoutUI tiles;
    RunCase(tiles, c);
}

TEST(TileLayout, EachTileOfARowIsMeasuredWithItsOwnLimits) {
    // The second tile's own minimum height makes the row taller; the first's
    // limits do not cap it.
    CTileLayoutUI tiles;
    tiles.SetColumns(2);
    CControlUI* small = new CControlUI;
    small->SetFixedHeight(10);
    small->SetMaxHeight(10);
    CControlUI* tall = new CControlUI;
    tall->SetFixedHeight(10);
    tall->SetMinHeight(60);
    tiles.Add(small);
    tiles.Add(tall);
    tiles.SetPos(RECT{0, 0, 200, 200});
    EXPECT_EQ(tall->GetPos().bottom - tall->GetPos().top, 60);
    EXPECT_EQ(small->GetPos().top, 25);  // centred in the 60-pixel row
}

TEST(TabLayout, SelectionFollowsAddsInsertsAndRemovals) {
    CTabLayoutUI tabs;
    CControlUI* pages[3];
    for (CControlUI*& page : pages) {
        page = new CControlUI;
        tabs.Add(page);
    }
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_TRUE(pages[0]->IsVisible());
    EXPECT_FALSE(pages[1]->IsVisible());

    EXPECT_TRUE(tabs.SelectItem(2));
    EXPECT_FALSE(tabs.SelectItem(3));   // one past the end
    EXPECT_FALSE(tabs.SelectItem(-1));  // negative
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_FALSE(pages[0]->IsVisible());

    // A visible page inserted before the selection moves it and stays hidden.
    CControlUI* inserted = new CControlUI;
    EXPECT_TRUE(tabs.AddAt(inserted, 0));
    EXPECT_EQ(tabs.GetCurSel(), 3);
    EXPECT_FALSE(inserted->IsVisible());

    // A control that is not a page changes nothing.
    CControlUI stranger;
    EXPECT_FALSE(tabs.Remove(&stranger));
    EXPECT_EQ(tabs.GetCurSel(), 3);

    EXPECT_TRUE(tabs.Remove(pages[0]));  // before the selection
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_TRUE(tabs.Remove(pages[2]));  // the selection itself: page 0 takes over
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_TRUE(inserted->IsVisible());

    tabs.RemoveAll();
    EXPECT_EQ(tabs.GetCurSel(), -1);

    CControlUI* last = new CControlUI;
    tabs.Add(last);
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_TRUE(tabs.Remove(last));  // the last page goes: no selection is left
    EXPECT_EQ(tabs.GetCurSel(), -1);
}

TEST(TabLayout, TheSelectedPageFillsTheInsetLessItsPadding) {
    CTabLayoutUI tabs;
    tabs.SetAttribute(L"inset", L"4,4,4,4");
    CControlUI* page = new CControlUI;
    page->SetAttribute(L"padding", L"1,2,3,4");
    CControlUI* other = new CControlUI;
    tabs.Add(page);
    tabs.Add(other);
    tabs.SetAttribute(L"selectedid", L"-1");  // ignored
    EXPECT_EQ(tabs.GetCurSel(), 0);
    tabs.SetPos(RECT{0, 0, 100, 80});
    EXPECT_TRUE(RectIs(page->GetPos(), RECT{5, 6, 93, 72}));
    EXPECT_TRUE(RectIs(other->GetPos(), RECT{0, 0, 0, 0}));
}

}  // namespace
