// The combo in a real window: where its drop window opens (upwards at the
// screen bottom), selection by keys and wheel with disabled rows in the way,
// Escape and Return in the drop window, a pick with the mouse, rows added
// and removed, and a combo destroyed while dropped.
#include "UiHarness.h"
#include "controls/UICombo.h"
#include "controls/UIListElement.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

const int kRowHeight = 20;
const RECT kComboPos = {10, 100, 190, 130};

RECT PrimaryWorkArea() {
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// A combo at kComboPos with `rows` label rows 20 pixels high; rows named in
// `disabled` are disabled. The window's top-left corner is at (20, top).
struct ComboWindow {
    explicit ComboWindow(int rows, std::set<int> disabled = {}, const wchar_t* attributes = L"", int top = 20) {
        ::SetWindowPos(window.Hwnd(), nullptr, 20, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        root = new CContainerUI;
        root->SetBkColor(0xFFFFFFFF);
        other = AddFloating<RecordingControl>(root, L"pos=\"10,10,190,40\"");
        combo = AddFloating<CComboUI>(root, L"pos=\"10,100,190,130\"");
        combo->ApplyAttributeList(attributes);
        for (int i = 0; i < rows; ++i) {
            CListLabelElementUI* row = new CListLabelElementUI;
            row->SetFixedHeight(kRowHeight);
            row->SetText((L"item " + std::to_wstring(i)).c_str());
            if (disabled.count(i)) row->SetEnabled(false);
            combo->Add(row);
        }
        window.Manager().AddNotifier(&notifier);
        shown = window.Show(root);
    }
    // Opens the drop window and lets it paint (and so lay its rows out).
    HWND Drop() {
        if (!combo->Activate()) return nullptr;
        HWND drop = combo->GetDropWindow();
        if (drop) {
            ::UpdateWindow(drop);
            PumpFor(30);
        }
        return drop;
    }
    void DropKey(UINT vk) {
        ::SendMessageW(combo->GetDropWindow(), WM_KEYDOWN, vk, 1);
        window.Settle();
    }
    bool WaitClosed() {
        return PumpUntil([this] { return combo->GetDropWindow() == nullptr; });
    }
    RECT ComboOnScreen() const {
        RECT rc = kComboPos;
        ::MapWindowPoints(window.Hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    CControlUI* Row(int i) const { return combo->GetItemAt(i); }
    bool RowSelected(int i) const {
        return static_cast<IListItemUI*>(Row(i)->GetInterface(L"ListItem"))->IsSelected();
    }

    HarnessWindow window{200, 150};
    RecordingNotifier notifier;
    CContainerUI* root = nullptr;
    CComboUI* combo = nullptr;
    RecordingControl* other = nullptr;
    bool shown = false;
};

struct PlacementCase {
    const char* name;
    int rows;
    bool nearScreenBottom;
    int expectedHeight;
};

TEST(ComboDropWindow, OpensBelowOrAboveWithTheHeightOfItsRows) {
    const int bottomTop = PrimaryWorkArea().bottom - 140;  // the combo ends 10 pixels above the work area's end
    const PlacementCase cases[] = {
        {"three rows below", 3, false, 3 * kRowHeight + 4},
        {"many rows stop at the drop-box height", 12, false, 150},
        {"an empty combo still drops its border", 0, false, 4},
        {"at the screen bottom it opens upwards", 3, true, 3 * kRowHeight + 4},
        {"upwards with many rows", 12, true, 150},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        ComboWindow cw(c.rows, {}, L"", c.nearScreenBottom ? bottomTop : 20);
        ASSERT_TRUE(cw.shown);
        HWND drop = cw.Drop();
        ASSERT_NE(drop, nullptr);
        EXPECT_EQ(cw.notifier.Count(L"dropdown"), 1);
        RECT rc;
        ::GetWindowRect(drop, &rc);
        const RECT combo = cw.ComboOnScreen();
        EXPECT_EQ(rc.left, combo.left);
        EXPECT_EQ(rc.right, combo.right);
        EXPECT_EQ(rc.bottom - rc.top, c.expectedHeight);
        if (c.nearScreenBottom)
            EXPECT_EQ(rc.bottom, combo.top);
        else
            EXPECT_EQ(rc.top, combo.bottom);
        EXPECT_NE(::GetWindowLongW(drop, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
        cw.DropKey(VK_RETURN);
        EXPECT_TRUE(cw.WaitClosed());
    }
}

TEST(ComboDropWindow, DropBoxSizeSetsTheWidthAndTheLargestHeight) {
    ComboWindow cw(12, {}, L"dropboxsize=\"250,100\"");
    ASSERT_TRUE(cw.shown);
    HWND drop = cw.Drop();
    ASSERT_NE(drop, nullptr);
    RECT rc;
    ::GetWindowRect(drop, &rc);
    EXPECT_EQ(rc.right - rc.left, 250);
    EXPECT_EQ(rc.bottom - rc.top, 100);
}

struct KeyCase {
    const char* name;
    int start;
    UINT key;
    int expected;
};

TEST(ComboSelection, KeysAndWheelStepOverDisabledRowsAndNeverLoseTheSelection) {
    // Rows 3 and 5 are disabled.
    const KeyCase cases[] = {
        {"down", 1, VK_DOWN, 2},
        {"down skips a disabled row", 2, VK_DOWN, 4},
        {"down with only a disabled row left keeps the selection", 4, VK_DOWN, 4},
        {"up skips a disabled row", 4, VK_UP, 2},
        {"up at the top stays", 0, VK_UP, 0},
        {"page down as down", 1, VK_NEXT, 2},
        {"home", 2, VK_HOME, 0},
        {"end on a disabled last row keeps the selection", 1, VK_END, 1},
        {"down from nothing takes the first row", -1, VK_DOWN, 0},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        ComboWindow cw(6, {3, 5});
        ASSERT_TRUE(cw.shown);
        if (c.start >= 0) {
            ASSERT_TRUE(cw.combo->SelectItem(c.start));
        }
        cw.notifier.entries.clear();
        cw.combo->SetFocus();
        cw.window.Key(c.key);
        cw.window.Settle();
        EXPECT_EQ(cw.combo->GetCurSel(), c.expected);
        if (c.expected >= 0) {
            EXPECT_TRUE(cw.RowSelected(c.expected));
        }
        EXPECT_EQ(cw.notifier.Count(L"itemselect"), c.expected == c.start ? 0 : 1);
        EXPECT_EQ(cw.combo->GetDropWindow(), nullptr);
    }

    ComboWindow cw(6, {3, 5});
    ASSERT_TRUE(cw.shown);
    cw.combo->SelectItem(1);
    cw.window.Wheel(100, 115, -WHEEL_DELTA);
    EXPECT_EQ(cw.combo->GetCurSel(), 2);
    cw.window.Wheel(100, 115, -WHEEL_DELTA);
    EXPECT_EQ(cw.combo->GetCurSel(), 4);
    cw.window.Wheel(100, 115, WHEEL_DELTA);
    EXPECT_EQ(cw.combo->GetCurSel(), 2);
    EXPECT_EQ(cw.combo->GetText().ToWideString(), L"item 2");
}

// SelectItem first lets the current row go: a request for no row or for a
// row that cannot be selected leaves the combo with none, silently; a
// selectable row sends one "itemselect" with the new and the old index.
TEST(ComboSelection, SelectItemLetsTheCurrentRowGoBeforeItChecksTheNewOne) {
    struct Case {
        const char* name;
        std::set<int> disabled;
        int start, index;
        bool result;
        int selection;
    } cases[] = {
        {"the selected row again", {3, 5}, 1, 1, true, 1},
        {"another row", {3, 5}, 1, 2, true, 2},
        {"a row from nothing", {3, 5}, -1, 2, true, 2},
        {"past the end is the last row", {3}, 1, 99, true, 5},
        {"no row", {3, 5}, 1, -1, false, -1},
        {"a disabled row", {3, 5}, 1, 3, false, -1},
        {"past the end onto a disabled last row", {3, 5}, 1, 99, false, -1},
        {"no row with nothing selected", {3, 5}, -1, -1, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComboWindow cw(6, c.disabled);
        ASSERT_TRUE(cw.shown);
        if (c.start >= 0) {
            ASSERT_TRUE(cw.combo->SelectItem(c.start));
        }
        cw.notifier.entries.clear();
        EXPECT_EQ(cw.combo->SelectItem(c.index), c.result);
        EXPECT_EQ(cw.combo->GetCurSel(), c.selection);
        for (int i = 0; i < cw.combo->GetCount(); ++i) EXPECT_EQ(cw.RowSelected(i), i == c.selection) << "row " << i;
        const bool sent = c.selection >= 0 && c.selection != c.start;
        ASSERT_EQ(cw.notifier.Count(L"itemselect"), sent ? 1 : 0);
        if (sent) {
            EXPECT_EQ(cw.notifier.entries.back().wParam, static_cast<WPARAM>(c.selection));
        }
    }
}

TEST(ComboSelection, RowsAddedAndRemovedKeepTheSelectionOnItsRow) {
    ComboWindow cw(5);
    ASSERT_TRUE(cw.shown);
    cw.combo->SelectItem(3);
    ASSERT_TRUE(cw.combo->RemoveAt(0));
    EXPECT_EQ(cw.combo->GetCurSel(), 2);
    EXPECT_EQ(cw.combo->GetText().ToWideString(), L"item 3");
    CListLabelElementUI* added = new CListLabelElementUI;
    added->SetText(L"new");
    ASSERT_TRUE(cw.combo->AddAt(added, 0));
    EXPECT_EQ(cw.combo->GetCurSel(), 3);
    for (int i = 0; i < cw.combo->GetCount(); ++i)
        EXPECT_EQ(static_cast<IListItemUI*>(cw.Row(i)->GetInterface(L"ListItem"))->GetIndex(), i);
    ASSERT_TRUE(cw.combo->SetItemIndex(cw.Row(3), 0));
    EXPECT_EQ(cw.combo->GetCurSel(), 0);
    EXPECT_EQ(cw.combo->GetText().ToWideString(), L"item 3");
    // The selected row goes: the row that takes its place is selected.
    cw.combo->SelectItem(2);
    ASSERT_TRUE(cw.combo->RemoveAt(2));
    EXPECT_EQ(cw.combo->GetCurSel(), 2);
    EXPECT_EQ(cw.combo->GetText().ToWideString(), L"item 2");
    cw.combo->RemoveAll();
    EXPECT_EQ(cw.combo->GetCurSel(), -1);
    EXPECT_EQ(cw.combo->GetText().ToWideString(), L"");
}

TEST(ComboDropWindow, EscapeRestoresTheOpeningSelectionAndReturnKeepsTheNewOne) {
    struct Case {
        const char* name;
        int opening;
        UINT closingKey;
        int expected;
    };
    const Case cases[] = {
        {"escape goes back", 1, VK_ESCAPE, 1},
        {"escape goes back to nothing", -1, VK_ESCAPE, -1},
        {"return keeps", 1, VK_RETURN, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComboWindow cw(5);
        ASSERT_TRUE(cw.shown);
        if (c.opening >= 0) cw.combo->SelectItem(c.opening);
        ASSERT_NE(cw.Drop(), nullptr);
        cw.notifier.entries.clear();
        cw.DropKey(VK_DOWN);
        const int moved = c.opening + 1;
        EXPECT_EQ(cw.combo->GetCurSel(), moved);
        cw.DropKey(c.closingKey);
        ASSERT_TRUE(cw.WaitClosed());
        EXPECT_EQ(cw.combo->GetCurSel(), c.expected);
        EXPECT_EQ(cw.RowSelected(moved), c.expected == moved);
        // Going back to a row reports it; going back to none is silent.
        const int selects = c.expected == moved || c.expected < 0 ? 1 : 2;
        EXPECT_EQ(cw.notifier.Count(L"itemselect"), selects);
        // The rows are the combo's again.
        for (int i = 0; i < cw.combo->GetCount(); ++i) {
            EXPECT_EQ(cw.Row(i)->GetManager(), &cw.window.Manager());
            EXPECT_EQ(cw.Row(i)->GetParent(), cw.combo);
        }
    }
}

TEST(ComboDropWindow, KeysAndWheelInTheDropWindowScrollTheSelectionIntoView) {
    ComboWindow cw(12);
    ASSERT_TRUE(cw.shown);
    cw.combo->SelectItem(0);
    HWND drop = cw.Drop();
    ASSERT_NE(drop, nullptr);
    cw.DropKey(VK_END);
    EXPECT_EQ(cw.combo->GetCurSel(), 11);
    cw.window.Settle();
    RECT client;
    ::GetClientRect(drop, &client);
    EXPECT_LE(cw.Row(11)->GetPos().bottom, client.bottom);
    EXPECT_GE(cw.Row(11)->GetPos().top, 0);

    ::SendMessageW(drop, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(30, 30));
    EXPECT_EQ(cw.combo->GetCurSel(), 10);
    cw.DropKey(VK_HOME);
    EXPECT_EQ(cw.combo->GetCurSel(), 0);
    EXPECT_GE(cw.Row(0)->GetPos().top, 0);
}

TEST(ComboDropWindow, APickWithTheMouseSelectsReportsAndCloses) {
    ComboWindow cw(4);
    ASSERT_TRUE(cw.shown);
    HWND drop = cw.Drop();
    ASSERT_NE(drop, nullptr);
    const RECT row = cw.Row(2)->GetPos();
    ASSERT_GT(row.bottom, row.top);
    const LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    ::SendMessageW(drop, WM_MOUSEMOVE, 0, at);
    ::SendMessageW(drop, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(drop, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(cw.WaitClosed());
    EXPECT_EQ(cw.combo->GetCurSel(), 2);
    EXPECT_EQ(cw.notifier.Count(L"itemselect"), 1);
    EXPECT_EQ(cw.notifier.Count(L"itemclick"), 1);
    for (const RecordingNotifier::Entry& e : cw.notifier.entries)
        if (e.type == L"itemclick") {
            EXPECT_EQ(e.sender, cw.Row(2));
        }
    EXPECT_EQ(cw.combo->GetText().ToWideString(), L"item 2");
    EXPECT_EQ(cw.Row(2)->GetManager(), &cw.window.Manager());
}

TEST(ComboLifetime, AComboDestroyedWhileDroppedClosesItsDropWindow) {
    ComboWindow cw(4);
    ASSERT_TRUE(cw.shown);
    cw.combo->SelectItem(1);
    HWND drop = cw.Drop();
    ASSERT_NE(drop, nullptr);
    cw.root->SetDelayedDestroy(false);
    ASSERT_TRUE(cw.root->Remove(cw.combo));
    cw.combo = nullptr;
    EXPECT_FALSE(::IsWindow(drop));
    PumpFor(50);  // whatever the drop window had posted finds nothing
}

TEST(ComboLifetime, AWindowClosedWhileItsComboIsDroppedTakesEverythingDown) {
    HWND drop = nullptr;
    {
        ComboWindow cw(4);
        ASSERT_TRUE(cw.shown);
        drop = cw.Drop();
        ASSERT_NE(drop, nullptr);
    }
    EXPECT_FALSE(::IsWindow(drop));
    PumpFor(50);
}

TEST(ComboBuilder, SkinElementsMakeCombosWithTheirRows) {
    static const wchar_t kSkin[] =
        L"<Window size=\"200,150\"><VerticalLayout>"
        L"<Combo name=\"channel\" height=\"30\" itemtextcolor=\"#FF112233\" itemalign=\"center\" dropboxsize=\"0,80\">"
        L"<ListLabelElement text=\"官方\" selected=\"true\"/><ListLabelElement text=\"测试\"/></Combo>"
        L"<ComboBox name=\"box\" height=\"30\"/>"
        L"</VerticalLayout></Window>";
    HarnessWindow window;
    ASSERT_TRUE(window.ShowSkin(kSkin));
    CComboUI* combo = static_cast<CComboUI*>(window.Manager().FindControl(L"channel"));
    ASSERT_NE(combo, nullptr);
    EXPECT_STREQ(combo->GetClass(), L"ComboUI");
    EXPECT_EQ(combo->GetCount(), 2);
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(combo->GetText().ToWideString(), L"官方");
    EXPECT_EQ(combo->GetListInfo()->dwTextColor, 0xFF112233u);
    EXPECT_EQ(combo->GetListInfo()->uTextStyle & DT_CENTER, static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(combo->GetDropBoxSize().cy, 80);
    EXPECT_NE(combo->GetInterface(L"IListOwner"), nullptr);
    CControlUI* box = window.Manager().FindControl(L"box");
    ASSERT_NE(box, nullptr);
    EXPECT_STREQ(box->GetClass(), L"ComboBoxUI");
    EXPECT_EQ(box->GetInterface(L"Combo"), static_cast<LPVOID>(static_cast<CComboUI*>(box)));
}

}  // namespace
