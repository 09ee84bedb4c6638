// The tree view in a real window, built from a skin: expansion and check
// states propagated through the hierarchy by clicks on the rows' buttons,
// double clicks, nodes added and removed while shown, and the drawn rows
// (indentation and folder state read back as pixels).
#include "UiHarness.h"
#include "controls/UITreeView.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

// A (expanded) holds A1 (expanded; A1a, A1b) and A2 (collapsed; A2a); B is a leaf.
const wchar_t kTreeSkin[] =
    L"<Window><TreeView name=\"tree\" visiblecheckbtn=\"true\">"
    L"<TreeNode text=\"A\" defaultexpand=\"true\" dotlineattr=\"bkcolor=&quot;#FFFF0000&quot;\">"
    L"  <TreeNode text=\"A1\" defaultexpand=\"true\" dotlineattr=\"bkcolor=&quot;#FFFF0000&quot;\">"
    L"    <TreeNode text=\"A1a\" dotlineattr=\"bkcolor=&quot;#FFFF0000&quot;\"/>"
    L"    <TreeNode text=\"A1b\"/>"
    L"  </TreeNode>"
    L"  <TreeNode text=\"A2\"><TreeNode text=\"A2a\"/></TreeNode>"
    L"</TreeNode>"
    L"<TreeNode text=\"B\"/>"
    L"</TreeView></Window>";

const int kRowHeight = 18;

struct TreeWindow {
    TreeWindow() : window(220, 220) {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(STRINGorID(kTreeSkin), nullptr, nullptr, &window.Manager());
        view = root ? static_cast<CTreeViewUI*>(root->GetInterface(L"TreeView")) : nullptr;
        if (!view) return;
        window.Manager().AddNotifier(&notifier);
        shown = window.Show(view);
    }

    CTreeNodeUI* Node(const wchar_t* text) const {
        for (int i = 0; i < view->GetCount(); ++i) {
            auto* node = static_cast<CTreeNodeUI*>(view->GetItemAt(i)->GetInterface(L"TreeNode"));
            if (node && node->GetItemText() == text) return node;
        }
        return nullptr;
    }

    // Texts of the rows that show, in row order.
    std::wstring Visible() const {
        std::wstring texts;
        for (int i = 0; i < view->GetCount(); ++i) {
            auto* node = static_cast<CTreeNodeUI*>(view->GetItemAt(i)->GetInterface(L"TreeNode"));
            if (!node->IsVisible()) continue;
            if (!texts.empty()) texts += L" ";
            texts += node->GetItemText().GetData();
        }
        return texts;
    }

    std::wstring Checked() const {
        std::wstring texts;
        for (int i = 0; i < view->GetCount(); ++i) {
            auto* node = static_cast<CTreeNodeUI*>(view->GetItemAt(i)->GetInterface(L"TreeNode"));
            if (!node->IsChecked()) continue;
            if (!texts.empty()) texts += L" ";
            texts += node->GetItemText().GetData();
        }
        return texts;
    }

    void ClickCentre(CControlUI* part) {
        window.Settle();
        const RECT rc = part->GetPos();
        window.Click((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        window.Settle();
    }
    void ClickFolder(const wchar_t* text) { ClickCentre(Node(text)->GetFolderButton()); }
    void ClickCheck(const wchar_t* text) { ClickCentre(Node(text)->GetCheckBox()); }

    HarnessWindow window;
    RecordingNotifier notifier;
    CTreeViewUI* view = nullptr;
    bool shown = false;
};

TEST(TreeBuilder, ReadsNodesIntoRowsInTreeOrder) {
    TreeWindow tree;
    ASSERT_TRUE(tree.shown);
    ASSERT_EQ(tree.view->GetCount(), 7);
    const wchar_t* order[] = {L"A", L"A1", L"A1a", L"A1b", L"A2", L"A2a", L"B"};
    const int depth[] = {0, 1, 2, 2, 1, 2, 0};
    for (int i = 0; i < 7; ++i) {
        auto* node = static_cast<CTreeNodeUI*>(tree.view->GetItemAt(i)->GetInterface(L"TreeNode"));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(std::wstring(node->GetItemText()), order[i]);
        EXPECT_EQ(node->GetDepth(), depth[i]) << i;
        if (node->IsVisible()) {
            EXPECT_EQ(node->GetIndentStrip()->IsVisible(), depth[i] > 0) << i;
        }
        if (depth[i] > 0) {
            EXPECT_EQ(node->GetIndentStrip()->GetFixedWidth(), 2 + 16 * depth[i]) << i;
        }
    }
    EXPECT_EQ(tree.Node(L"A1")->GetParentNode(), tree.Node(L"A"));
    EXPECT_EQ(tree.Node(L"A")->GetChildCount(), 2);
    EXPECT_EQ(tree.Visible(), L"A A1 A1a A1b A2 B");
}

struct ExpandCase {
    const char* name;
    std::vector<const wchar_t*> folderClicks;
    const wchar_t* visible;
};

TEST(TreeExpansion, FolderClicksShowAndHideDescendants) {
    const ExpandCase cases[] = {
        {"collapsing the root hides every row below it", {L"A"}, L"A B"},
        {"expanding again restores the expanded child's rows only", {L"A", L"A"}, L"A A1 A1a A1b A2 B"},
        {"collapsing a child hides its rows only", {L"A1"}, L"A A1 A2 B"},
        {"expanding a collapsed child shows its rows", {L"A2"}, L"A A1 A1a A1b A2 A2a B"},
        {"a collapsed child stays collapsed through the root", {L"A1", L"A", L"A"}, L"A A1 A2 B"},
    };
    for (const ExpandCase& c : cases) {
        SCOPED_TRACE(c.name);
        TreeWindow tree;
        ASSERT_TRUE(tree.shown);
        for (const wchar_t* text : c.folderClicks) tree.ClickFolder(text);
        EXPECT_EQ(tree.Visible(), c.visible);
        EXPECT_EQ(tree.Node(L"A")->IsExpandedNode(), tree.Node(L"A1")->IsVisible());
    }
}

struct CheckCase {
    const char* name;
    std::vector<const wchar_t*> checkClicks;
    const wchar_t* checked;
};

TEST(TreeChecks, ClicksPropagateDownAndUp) {
    const CheckCase cases[] = {
        {"checking a node checks all its descendants", {L"A"}, L"A A1 A1a A1b A2 A2a"},
        {"one of two children leaves the parent unchecked", {L"A1a"}, L"A1a"},
        {"all children check the parent", {L"A1a", L"A1b"}, L"A1 A1a A1b"},
        {"an only child checks its parent, and so up when complete", {L"A2a", L"A1a", L"A1b"},
         L"A A1 A1a A1b A2 A2a"},
        {"unchecking one child of a checked parent keeps the parent", {L"A", L"A1a"}, L"A A1 A1b A2 A2a"},
        {"unchecking the last checked child unchecks the parent, and so up",
         {L"A", L"A1a", L"A1b", L"A2a"}, L""},
        {"a leaf at the top changes alone", {L"B"}, L"B"},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        TreeWindow tree;
        ASSERT_TRUE(tree.shown);
        tree.ClickFolder(L"A2");  // every row shows, so every check box can be clicked
        for (const wchar_t* text : c.checkClicks) tree.ClickCheck(text);
        EXPECT_EQ(tree.Checked(), c.checked);
    }
}

struct NotifyLog {
    bool OnNotify(TNotifyUI& msg, long) {
        types.push_back(msg.sType.GetData());
        return true;
    }
    std::vector<std::wstring> types;
};

TEST(TreeExpansion, DoubleClickTogglesAndSendsItemDbClick) {
    TreeWindow tree;
    ASSERT_TRUE(tree.shown);
    CTreeNodeUI* a1 = tree.Node(L"A1");
    NotifyLog log;
    a1->NotifyListeners += CDelegate<NotifyLog, NotifyLog>(&log, &NotifyLog::OnNotify);
    const RECT item = a1->GetItemButton()->GetPos();
    const int x = item.left + 5, y = (item.top + item.bottom) / 2;
    tree.window.MouseMove(x, y);
    tree.window.MouseDown(x, y);
    tree.window.MouseUp(x, y);
    ::SendMessageW(tree.window.Hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    tree.window.MouseUp(x, y);
    tree.window.Settle();
    EXPECT_EQ(tree.Visible(), L"A A1 A2 B");
    EXPECT_FALSE(a1->IsExpandedNode());
    EXPECT_TRUE(a1->IsSelected());
    int dbclicks = 0;
    for (const std::wstring& type : log.types) dbclicks += type == L"itemdbclick";
    EXPECT_EQ(dbclicks, 1);
}

TEST(TreeEditing, NodesJoinAndLeaveWhileShown) {
    TreeWindow tree;
    ASSERT_TRUE(tree.shown);
    CTreeViewUI* view = tree.view;

    // A node placed before a reference node takes its row.
    CTreeNodeUI* before = new CTreeNodeUI;
    before->SetItemText(L"Z");
    ASSERT_TRUE(view->AddNodeAtNode(before, tree.Node(L"B")));
    EXPECT_EQ(tree.Node(L"Z")->GetTreeIndex(), 6);
    EXPECT_EQ(tree.Node(L"B")->GetTreeIndex(), 7);

    // A child added to a shown node is wired: its folder button works and
    // it comes after the node's last descendant, indented one level deeper.
    CTreeNodeUI* a3 = new CTreeNodeUI;
    a3->SetItemText(L"A3");
    CTreeNodeUI* a3x = new CTreeNodeUI;
    a3x->SetItemText(L"A3x");
    ASSERT_TRUE(a3->Add(a3x));
    ASSERT_TRUE(tree.Node(L"A")->Add(a3));
    EXPECT_EQ(a3->GetTreeIndex(), 6);
    EXPECT_EQ(a3x->GetTreeIndex(), 7);
    EXPECT_EQ(a3->GetIndentStrip()->GetFixedWidth(), 18);
    EXPECT_EQ(a3x->GetIndentStrip()->GetFixedWidth(), 34);
    EXPECT_TRUE(a3->GetCheckBox()->IsVisible());
    EXPECT_EQ(tree.Visible(), L"A A1 A1a A1b A2 A3 Z B");
    tree.ClickFolder(L"A3");
    EXPECT_EQ(tree.Visible(), L"A A1 A1a A1b A2 A3 A3x Z B");

    // A leaf goes by its row index; a node with children takes them along.
    const int leaf = tree.Node(L"A1b")->GetTreeIndex();
    ASSERT_TRUE(view->RemoveAt(leaf));
    EXPECT_EQ(tree.Node(L"A1b"), nullptr);
    EXPECT_EQ(tree.Node(L"A1")->GetChildCount(), 1);
    ASSERT_TRUE(view->RemoveNode(tree.Node(L"A1")));
    EXPECT_EQ(tree.Node(L"A1a"), nullptr);
    EXPECT_EQ(tree.Node(L"A")->GetChildCount(), 2);
    EXPECT_EQ(tree.Visible(), L"A A2 A3 A3x Z B");

    // A node of no view, or of another, is not removed.
    CTreeNodeUI stray;
    EXPECT_FALSE(view->RemoveNode(&stray));
    CTreeViewUI other;
    CTreeNodeUI* foreign = new CTreeNodeUI;
    ASSERT_TRUE(other.AddNode(foreign));
    EXPECT_FALSE(view->RemoveNode(foreign));
    EXPECT_EQ(other.GetCount(), 1);
    tree.window.Settle();
}

TEST(TreeFlags, CheckBoxesFollowTheViewSettingForExistingRows) {
    TreeWindow tree;
    ASSERT_TRUE(tree.shown);
    EXPECT_TRUE(tree.Node(L"A1a")->GetCheckBox()->IsVisible());
    tree.view->SetAttribute(L"visiblecheckbtn", L"false");
    for (int i = 0; i < tree.view->GetCount(); ++i) {
        auto* node = static_cast<CTreeNodeUI*>(tree.view->GetItemAt(i)->GetInterface(L"TreeNode"));
        EXPECT_FALSE(node->GetCheckBox()->IsVisible()) << i;
    }
    tree.view->SetAttribute(L"visiblefolderbtn", L"false");
    EXPECT_FALSE(tree.Node(L"B")->GetFolderButton()->IsVisible());
    tree.view->SetAttribute(L"itemminwidth", L"150");
    EXPECT_EQ(tree.Node(L"A1a")->GetMinWidth(), 150);
}

// Row r's middle line on the screen while every row above it shows.
int RowY(int r) { return r * kRowHeight + kRowHeight / 2; }

TEST(TreePaint, IndentationAndFolderStateAreDrawn) {
    TreeWindow tree;
    ASSERT_TRUE(tree.shown);
    // Folder buttons: blue while collapsed, green while expanded.
    for (int i = 0; i < tree.view->GetCount(); ++i) {
        tree.view->GetItemAt(i)->SetAttribute(L"folderattr", L"bkcolor=\"#FF0000FF\" selectedbkcolor=\"#FF00FF00\"");
    }
    tree.window.Settle();
    Snapshot shot = tree.window.Capture();
    const DWORD red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    // Row 0 (A, top level): no strip, so the expanded folder button starts at x 0.
    EXPECT_EQ(shot.At(2, RowY(0)), green);
    // Row 1 (A1, depth 1): an 18-pixel red strip, then its expanded folder button.
    EXPECT_EQ(shot.At(1, RowY(1)), red);
    EXPECT_EQ(shot.At(17, RowY(1)), red);
    EXPECT_EQ(shot.At(20, RowY(1)), green);
    // Row 2 (A1a, depth 2, a leaf): a 34-pixel strip, then a collapsed folder.
    EXPECT_EQ(shot.At(33, RowY(2)), red);
    EXPECT_EQ(shot.At(36, RowY(2)), blue);
    // Row 4 (A2): collapsed.
    EXPECT_EQ(shot.At(20, RowY(4)), blue);

    // Collapsing A leaves A and B: B's collapsed folder is drawn on row 1.
    tree.ClickFolder(L"A");
    shot = tree.window.Capture();
    EXPECT_EQ(shot.At(2, RowY(0)), blue);
    EXPECT_EQ(shot.At(2, RowY(1)), blue);
    EXPECT_NE(shot.At(2, RowY(2)), blue);
}

}  // namespace
