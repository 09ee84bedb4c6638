// The list in a real window: selection by keys, wheel, clicks and Ctrl+A,
// the selection after rows go, header drags, and header and cells staying
// aligned while the body scrolls sideways (read back as pixels).
#include "UiHarness.h"
#include "controls/UIButton.h"
#include "controls/UIHorizontalLayout.h"
#include "controls/UILabel.h"
#include "controls/UIList.h"
#include "controls/UIListContainerElement.h"
#include "controls/UIListElement.h"
#include "controls/UIListHeader.h"
#include "core/manager/UIScrollBar.h"
#include "controls/UIVerticalLayout.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

const int kRowHeight = 20;

std::vector<int> Selection(CListUI* list) {
    std::vector<int> indices;
    for (int i = list->GetNextSelItem(-1); i >= 0; i = list->GetNextSelItem(i)) indices.push_back(i);
    return indices;
}

// A list of `rows` label rows 20 pixels high under a two-column header.
struct ListWindow {
    explicit ListWindow(int rows, const wchar_t* attributes = L"", int width = 200, int height = 150)
        : window(width, height) {
        list = new CListUI;
        list->ApplyAttributeList(attributes);
        for (int i = 0; i < 2; ++i) {
            CListHeaderItemUI* item = new CListHeaderItemUI;
            item->ApplyAttributeList(L"width=\"80\" height=\"20\"");
            list->Add(item);
        }
        for (int i = 0; i < rows; ++i) {
            CListLabelElementUI* row = new CListLabelElementUI;
            row->SetFixedHeight(kRowHeight);
            row->SetText((L"row " + std::to_wstring(i)).c_str());
            list->Add(row);
        }
        window.Manager().AddNotifier(&notifier);
        shown = window.Show(list);
    }
    // Client y of the middle of row i while the body is not scrolled.
    int RowY(int i) const { return 20 + i * kRowHeight + kRowHeight / 2; }
    // One wheel step over row 1 (positive: up), then the selection.
    std::vector<int> WheelStep(int delta) {
        window.Wheel(50, RowY(1), delta);
        window.Settle();
        return Selection(list);
    }

    HarnessWindow window;
    RecordingNotifier notifier;
    CListUI* list = nullptr;
    bool shown = false;
};

struct KeyCase {
    const char* name;
    bool singleSelect;
    std::vector<int> before;  // selected in this order first
    UINT key;
    bool ctrl;
    std::vector<int> after;
};

TEST(ListSelection, KeysMoveTheSelection) {
    const KeyCase cases[] = {
        {"down from the middle", true, {2}, VK_DOWN, false, {3}},
        {"down on the last row stays", true, {4}, VK_DOWN, false, {4}},
        {"up on row 0 stays", true, {0}, VK_UP, false, {0}},
        {"up from several goes above the lowest", false, {3, 1}, VK_UP, false, {0}},
        {"down from several goes below the highest", false, {1, 3}, VK_DOWN, false, {4}},
        {"home", true, {3}, VK_HOME, false, {0}},
        {"end", true, {1}, VK_END, false, {4}},
        {"down with nothing selected does nothing", true, {}, VK_DOWN, false, {}},
        {"ctrl+a selects every row", false, {2}, 'A', true, {0, 1, 2, 3, 4}},
        {"ctrl+a in single-select mode does nothing", true, {2}, 'A', true, {2}},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        ListWindow lw(5);
        ASSERT_TRUE(lw.shown);
        lw.list->SetSingleSelect(c.singleSelect);
        for (size_t i = 0; i < c.before.size(); ++i)
            i == 0 ? lw.list->SelectItem(c.before[i]) : lw.list->SelectMultiItem(c.before[i]);
        lw.list->SetFocus();
        if (c.ctrl) HarnessWindow::SetKeyDown(VK_CONTROL, true);
        lw.window.Key(c.key);
        if (c.ctrl) HarnessWindow::SetKeyDown(VK_CONTROL, false);
        lw.window.Settle();
        EXPECT_EQ(Selection(lw.list), c.after);
    }
}

TEST(ListSelection, WheelSelectsOnlyWithScrollSelectInSingleMode) {
    ListWindow single(5, L"scrollselect=\"true\" multipleitem=\"false\"");
    ASSERT_TRUE(single.shown);
    single.list->SelectItem(1);
    EXPECT_EQ(single.WheelStep(-WHEEL_DELTA), std::vector<int>{2});
    EXPECT_EQ(single.WheelStep(WHEEL_DELTA), std::vector<int>{1});

    ListWindow multiple(5, L"scrollselect=\"true\"");
    ASSERT_TRUE(multiple.shown);
    multiple.list->SelectItem(1);
    EXPECT_EQ(multiple.WheelStep(-WHEEL_DELTA), std::vector<int>{1});
}

TEST(ListSelection, ClickSelectsAndNotifiesOnceEvenThroughTheRowsOwnSelect) {
    ListWindow lw(5);
    ASSERT_TRUE(lw.shown);
    lw.window.Click(50, lw.RowY(2));
    lw.window.Settle();
    EXPECT_EQ(Selection(lw.list), std::vector<int>{2});
    EXPECT_EQ(lw.notifier.Count(L"itemselect"), 1);
    EXPECT_EQ(lw.notifier.Count(L"itemclick"), 1);

    // The application selecting an unselected label row: the row's own
    // Select calls back into the list, which still adds the index once.
    EXPECT_TRUE(lw.list->SelectItem(3));
    EXPECT_EQ(Selection(lw.list), std::vector<int>{3});
    EXPECT_EQ(lw.notifier.Count(L"itemselect"), 2);
    // An already selected row is selected and reported again.
    EXPECT_TRUE(lw.list->SelectItem(3));
    EXPECT_EQ(lw.notifier.Count(L"itemselect"), 3);
}

TEST(ListSelection, SelectionFollowsRowsThatGoOrHide) {
    ListWindow lw(6);
    ASSERT_TRUE(lw.shown);
    lw.list->SelectItem(1);
    lw.list->SelectMultiItem(4);
    lw.list->SelectMultiItem(5);

    ASSERT_TRUE(lw.list->RemoveAt(2));  // below rows 4 and 5, above row 1
    EXPECT_EQ(Selection(lw.list), (std::vector<int>{1, 3, 4}));
    for (int i = 0; i < lw.list->GetCount(); ++i)
        EXPECT_EQ(static_cast<IListItemUI*>(lw.list->GetItemAt(i)->GetInterface(L"ListItem"))->GetIndex(), i);

    ASSERT_TRUE(lw.list->Remove(lw.list->GetItemAt(3)));  // a selected row
    EXPECT_EQ(Selection(lw.list), (std::vector<int>{1, 3}));

    lw.list->GetItemAt(1)->SetVisible(false);  // a hidden row leaves the selection
    EXPECT_EQ(Selection(lw.list), std::vector<int>{3});

    lw.list->RemoveAll();
    EXPECT_EQ(lw.list->GetSelectItemCount(), 0);
    EXPECT_EQ(lw.list->GetCurSel(), -1);
}

// Each row holds a delete button; the handler removes the row whose button
// was clicked while that button is still handling the click.
TEST(ListRows, RowDeletedFromItsOwnButtonsClick) {
    HarnessWindow window(200, 150);
    RecordingNotifier notifier;
    CListUI* list = new CListUI;
    for (int i = 0; i < 4; ++i) {
        CListContainerElementUI* row = new CListContainerElementUI;
        row->SetFixedHeight(kRowHeight);
        CButtonUI* remove = new CButtonUI;
        remove->SetFixedWidth(30);
        remove->SetBkColor(0xFF808080);
        row->Add(new CControlUI);
        row->Add(remove);
        list->Add(row);
    }
    notifier.onNotify = [list](TNotifyUI& msg) {
        if (msg.sType != L"click") return;
        list->Remove(msg.pSender->GetParent());
    };
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(list));
    list->SelectItem(3);

    CControlUI* third = list->GetItemAt(2);
    CControlUI* button = static_cast<CContainerUI*>(list->GetItemAt(1)->GetInterface(L"Container"))->GetItemAt(1);
    const RECT at = button->GetPos();
    window.Click((at.left + at.right) / 2, (at.top + at.bottom) / 2);
    window.Settle();
    ASSERT_EQ(list->GetCount(), 3);
    EXPECT_EQ(list->GetItemAt(1), third);
    EXPECT_EQ(static_cast<IListItemUI*>(third->GetInterface(L"ListItem"))->GetIndex(), 1);
    EXPECT_EQ(Selection(list), std::vector<int>{2});  // the selected last row moved up with it
    EXPECT_EQ(notifier.Count(L"click"), 1);
}

TEST(ListRows, CheckBoxClickTogglesReportsAndSelects) {
    ListWindow lw(0, L"itemcheckimgsize=\"12,12\"");
    ASSERT_TRUE(lw.shown);
    CListImageTextElementUI* row = new CListImageTextElementUI;
    row->SetFixedHeight(kRowHeight);
    row->SetCheckBox(1, true, L"", L"");
    lw.list->Add(row);
    lw.window.Settle();
    lw.window.Click(80 + 6, lw.RowY(0));  // column 1's box: 12 wide at the cell's left
    lw.window.Settle();
    EXPECT_TRUE(row->GetCheck(1));
    EXPECT_FALSE(row->GetCheck(0));
    EXPECT_EQ(lw.notifier.Count(L"list_check_click"), 1);
    EXPECT_EQ(lw.notifier.Count(L"itemselect"), 1);
    EXPECT_EQ(lw.list->GetCurSel(), 0);

    lw.window.Click(6, lw.RowY(0));  // column 0 has no box
    lw.window.Settle();
    EXPECT_EQ(lw.notifier.Count(L"list_check_click"), 1);
    EXPECT_FALSE(row->SetCheck(5, true));  // beyond the column count
    EXPECT_FALSE(row->GetCheck(40));
}

TEST(ListRows, SelectedAttributeTakesItsValue) {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><List><ListLabelElement text=\"a\" selected=\"false\"/><ListLabelElement text=\"b\" "
        L"selected=\"true\"/></List></Window>",
        nullptr, nullptr, nullptr);
    ASSERT_NE(root, nullptr);
    CListUI* list = static_cast<CListUI*>(root->GetInterface(L"List"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_FALSE(static_cast<IListItemUI*>(list->GetItemAt(0)->GetInterface(L"ListItem"))->IsSelected());
    EXPECT_TRUE(static_cast<IListItemUI*>(list->GetItemAt(1)->GetInterface(L"ListItem"))->IsSelected());
    delete root;
}

// Three 150-pixel columns in a 200-pixel list: the body scrolls sideways.
// Column 1's header is blue; rows draw red column lines.
TEST(ListColumns, HorizontalScrollKeepsHeaderAndCellsAligned) {
    HarnessWindow window(200, 150);
    CListUI* list = new CListUI;
    list->ApplyAttributeList(L"hscrollbar=\"true\" itemlinecolor=\"#FFFF0000\" bkcolor=\"#FFFFFFFF\"");
    for (int i = 0; i < 3; ++i) {
        CListHeaderItemUI* item = new CListHeaderItemUI;
        item->ApplyAttributeList(L"width=\"150\" height=\"20\" sepwidth=\"0\"");
        if (i == 1) item->SetBkColor(0xFF0000FF);
        list->Add(item);
    }
    for (int i = 0; i < 3; ++i) {
        CListTextElementUI* row = new CListTextElementUI;
        row->SetFixedHeight(kRowHeight);
        list->Add(row);
    }
    ASSERT_TRUE(window.Show(list));
    window.Settle();
    ASSERT_TRUE(list->GetHorizontalScrollBar()->IsVisible());

    for (int scroll : {0, 100, 37}) {
        SCOPED_TRACE(scroll);
        list->SetScrollPos(SIZE{scroll, 0});
        window.Settle();
        const int edge = 150 - scroll;  // column 0's right edge
        EXPECT_EQ(list->GetHeader()->GetItemAt(1)->GetPos().left, edge);
        EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, edge);
        Snapshot shot = window.Capture();
        EXPECT_EQ(shot.At(edge, 10), 0x0000FFu);      // the blue header starts at the edge
        EXPECT_NE(shot.At(edge - 2, 10), 0x0000FFu);
        EXPECT_EQ(shot.At(edge - 1, 20 + 5), 0xFF0000u);  // the cells' line sits under it
        EXPECT_EQ(shot.At(edge - 1, 40 + 5), 0xFF0000u);
        EXPECT_NE(shot.At(edge - 3, 40 + 5), 0xFF0000u);
    }
}

// Every rectangle in a tree, depth first.
void CollectRects(CControlUI* control, std::vector<RECT>& rects) {
    rects.push_back(control->GetPos());
    auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
    for (int i = 0; container && i < container->GetCount(); ++i) CollectRects(container->GetItemAt(i), rects);
}

const int kSwatchRowHeight = 30;
DWORD SwatchColor(int row) { return row % 2 ? 0x0000FF : 0xFF0000; }

// A row of a colour swatch, then a name over a button: nested layouts, as in
// the downloader's rows.
template <class Row>
Row* SwatchRow(int i) {
    Row* row = new Row;
    row->SetFixedHeight(kSwatchRowHeight);
    CControlUI* swatch = new CControlUI;
    swatch->SetFixedWidth(20);
    swatch->SetBkColor(0xFF000000 | SwatchColor(i));
    row->Add(swatch);
    CVerticalLayoutUI* middle = new CVerticalLayoutUI;
    CLabelUI* name = new CLabelUI;
    name->SetText((L"row " + std::to_wstring(i)).c_str());
    name->SetFixedHeight(14);
    middle->Add(name);
    middle->Add(new CButtonUI);
    row->Add(middle);
    return row;
}

struct ScrollCase {
    const char* name;
    bool list;  // a list's body, else a vertical layout with a bar
};

// Scrolling moves the rows out of sight without laying them out again: after
// wheel steps, jumps and pages every rectangle is the one a fresh layout at
// that scroll position gives, and the row shown at the top paints there.
TEST(ListScroll, ScrolledRowsSitWhereAFreshLayoutPutsThem) {
    for (const ScrollCase& c : {ScrollCase{"list", true}, ScrollCase{"vertical layout", false}}) {
        SCOPED_TRACE(c.name);
        HarnessWindow window(200, 150);
        CContainerUI* body = nullptr;
        CControlUI* root = nullptr;
        if (c.list) {
            CListUI* list = new CListUI;
            list->ApplyAttributeList(L"vscrollbar=\"true\" header=\"hidden\"");
            for (int i = 0; i < 60; ++i) list->Add(SwatchRow<CListContainerElementUI>(i));
            body = list->GetList();
            root = list;
        } else {
            CVerticalLayoutUI* stack = new CVerticalLayoutUI;
            stack->ApplyAttributeList(L"vscrollbar=\"true\"");
            for (int i = 0; i < 60; ++i) stack->Add(SwatchRow<CHorizontalLayoutUI>(i));
            body = stack;
            root = stack;
        }
        ASSERT_TRUE(window.Show(root));
        window.Settle();
        ASSERT_TRUE(body->GetVerticalScrollBar()->IsVisible());

        const std::vector<std::pair<const char*, std::function<void()>>> steps = {
            {"three wheel steps down", [&] { for (int i = 0; i < 3; ++i) window.Wheel(100, 70, -WHEEL_DELTA); }},
            {"jump to row 37", [&] { body->SetScrollPos(SIZE{0, 37 * kSwatchRowHeight}); }},
            {"page up", [&] { body->PageUp(); }},
            {"wheel step up", [&] { window.Wheel(100, 70, WHEEL_DELTA); }},
            {"to the end", [&] { body->EndDown(); }},
            {"back to row 11", [&] { body->SetScrollPos(SIZE{0, 11 * kSwatchRowHeight}); }},
        };
        for (const auto& step : steps) {
            SCOPED_TRACE(step.first);
            step.second();
            window.Settle();
            const int scroll = body->GetScrollPos().cy;
            // The first row whose middle shows.
            int top = scroll / kSwatchRowHeight;
            if (top * kSwatchRowHeight - scroll + kSwatchRowHeight / 2 < 0) ++top;
            const int y = body->GetPos().top + top * kSwatchRowHeight - scroll + kSwatchRowHeight / 2;
            Snapshot shot = window.Capture();
            EXPECT_EQ(shot.At(5, y), SwatchColor(top)) << "row " << top;
            EXPECT_EQ(shot.At(5, y + kSwatchRowHeight), SwatchColor(top + 1)) << "row " << top + 1;

            std::vector<RECT> scrolled, laidOut;
            CollectRects(body, scrolled);
            body->SetPos(body->GetPos());
            CollectRects(body, laidOut);
            ASSERT_EQ(scrolled.size(), laidOut.size());
            for (size_t i = 0; i < scrolled.size(); ++i) ASSERT_TRUE(RectIs(scrolled[i], laidOut[i])) << "control " << i;
        }
    }
}

TEST(ListColumns, LinksNeverExceedEightPerRow) {
    ListWindow lw(0, L"itemshowhtml=\"true\"", 400, 100);
    ASSERT_TRUE(lw.shown);
    CListTextElementUI* row = new CListTextElementUI;
    row->SetFixedHeight(kRowHeight);
    for (int column = 0; column < 2; ++column)
        row->SetText(column, L"{a a}1{/a}{a b}2{/a}{a c}3{/a}{a d}4{/a}{a e}5{/a}");
    lw.list->Add(row);
    lw.window.Settle();
    ::InvalidateRect(lw.window.Hwnd(), nullptr, FALSE);
    lw.window.Settle();
    EXPECT_EQ(row->GetLinkCount(), 8);
    EXPECT_EQ(row->GetControlFlags(), static_cast<UINT>(UIFLAG_WANTRETURN | UIFLAG_SETCURSOR));
}

TEST(ListHeader, SeparatorDragResizesTheColumnEvenAtWidthZero) {
    ListWindow lw(2);
    ASSERT_TRUE(lw.shown);
    CListHeaderItemUI* first = static_cast<CListHeaderItemUI*>(lw.list->GetHeader()->GetItemAt(0));
    // A press on the 4-pixel strip (widened 4 inward) drags, not clicks.
    lw.window.MouseMove(77, 10);
    lw.window.MouseDown(77, 10);
    ::SendMessageW(lw.window.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(107, 10));
    lw.window.MouseUp(107, 10);
    lw.window.Settle();
    EXPECT_EQ(first->GetPos().right, 110);
    EXPECT_EQ(lw.list->GetListInfo()->rcColumn[1].left, 110);
    EXPECT_EQ(lw.notifier.Count(L"headerwidthchanged"), 1);
    EXPECT_EQ(lw.notifier.Count(L"headerclick"), 0);

    // Width 0: no strip to see and no sizing cursor asked for, but the 4
    // pixels inside the right edge still start a drag.
    first->SetSepWidth(0);
    EXPECT_EQ(first->GetControlFlags(), 0u);
    lw.window.MouseMove(107, 10);
    lw.window.MouseDown(107, 10);
    ::SendMessageW(lw.window.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 10));
    lw.window.MouseUp(130, 10);
    lw.window.Settle();
    EXPECT_EQ(first->GetPos().right, 133);
    EXPECT_EQ(lw.notifier.Count(L"headerwidthchanged"), 2);
    EXPECT_EQ(lw.notifier.Count(L"headerclick"), 0);
    // Further inside, a press is a click.
    lw.window.MouseMove(60, 10);
    lw.window.Click(60, 10);
    EXPECT_EQ(lw.notifier.Count(L"headerclick"), 1);
}

}  // namespace
