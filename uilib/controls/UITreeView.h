// A tree shown as a flat list. CTreeViewUI is a list without a header whose
// rows are CTreeNodeUI nodes: every node, whatever its depth, is a row placed
// right after its parent's earlier descendants. Depth shows as indentation,
// expansion as the visibility of descendant rows. The view owns every row;
// nodes only point at their parent and children.
#pragma once
#include "controls/UIHorizontalLayout.h"
#include "controls/UILabel.h"
#include "controls/UIList.h"
#include "controls/UIListContainerElement.h"
#include "controls/UIOption.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIInterfaces.h"

#include <cwchar>

namespace UiLib {

class CTreeViewUI;

// The four item text colour keys that a node and a tree view both take,
// each to the setter of the same name; false for any other key.
template <class Target>
bool TakeItemColourAttribute(Target& target, const wchar_t* name, const wchar_t* value) {
    void (Target::*setter)(DWORD) = nullptr;
    if (std::wcscmp(name, L"itemtextcolor") == 0)
        setter = &Target::SetItemTextColor;
    else if (std::wcscmp(name, L"itemhottextcolor") == 0)
        setter = &Target::SetItemHotTextColor;
    else if (std::wcscmp(name, L"selitemtextcolor") == 0)
        setter = &Target::SetSelItemTextColor;
    else if (std::wcscmp(name, L"selitemhottextcolor") == 0)
        setter = &Target::SetSelItemHotTextColor;
    if (!setter) return false;
    (target.*setter)(ParseColorValue(value));
    return true;
}

// One node: a row holding one horizontal layout of an indentation strip, a
// folder button (selected = expanded), a check box and the item button that
// shows the node's text.
class UILIB_API CTreeNodeUI : public CListContainerElementUI {
public:
    CTreeNodeUI();
    ~CTreeNodeUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    // A tree node joins as a child node; any other control joins the node's
    // own row.
    bool Add(CControlUI* control) override;
    // Tree nodes only: a child node at min(index, child count).
    bool AddAt(CControlUI* control, int index) override;
    // A direct child node with all its descendants (deepest first).
    bool Remove(CControlUI* control) override;
    bool UILIB_THISCALL Select(bool select = true) override;

    // Row index in the tree view, -1 when the node is not shown in one.
    int GetTreeIndex() const;
    // The last child's last descendant; the node itself without children.
    CTreeNodeUI* GetLastDescendant();
    CUiString GetItemText() const { return m_pItemButton->GetText(); }
    void SetItemText(const wchar_t* text) { m_pItemButton->SetText(text); }
    bool IsExpandedNode() const { return m_pFolderButton->IsSelected(); }
    bool IsChecked() const { return m_pCheckBox->IsSelected(); }
    int GetDepth() const;

    CTreeNodeUI* GetParentNode() const { return m_pParentNode; }
    int GetChildCount() const { return m_aChildNodes.GetSize(); }
    CTreeNodeUI* GetChildNode(int index) const { return static_cast<CTreeNodeUI*>(m_aChildNodes.GetAt(index)); }
    bool HasChildNode(const CTreeNodeUI* node) const;
    CTreeViewUI* GetTreeView() const { return m_pTreeView; }
    void SetTreeView(CTreeViewUI* view) { m_pTreeView = view; }

    CHorizontalLayoutUI* GetRowLayout() const { return m_pRowLayout; }
    CLabelUI* GetIndentStrip() const { return m_pIndentStrip; }
    CCheckBoxUI* GetFolderButton() const { return m_pFolderButton; }
    CCheckBoxUI* GetCheckBox() const { return m_pCheckBox; }
    COptionUI* GetItemButton() const { return m_pItemButton; }

    void SetItemTextColor(DWORD color);
    DWORD GetItemTextColor() const { return m_dwItemTextColor; }
    void SetItemHotTextColor(DWORD color);
    DWORD GetItemHotTextColor() const { return m_dwItemHotTextColor; }
    void SetSelItemTextColor(DWORD color);
    DWORD GetSelItemTextColor() const { return m_dwSelItemTextColor; }
    void SetSelItemHotTextColor(DWORD color);
    DWORD GetSelItemHotTextColor() const { return m_dwSelItemHotTextColor; }

private:
    friend class CTreeViewUI;

    // Shows the indentation strip one step deeper than the parent's, and
    // so for the node's own descendants.
    void IndentBelow(CTreeNodeUI* parent);
    // Indentation, parent, option group and view of a child about to join.
    void AdoptChild(CTreeNodeUI* child);
    // Puts a child's row into the view at `row`; false when the view refuses.
    bool ShowChildAt(CTreeNodeUI* child, int row);
    // Whether new children of this node start visible.
    bool ChildrenShown() const;
    void DetachChild(CTreeNodeUI* child) { m_aChildNodes.Remove(m_aChildNodes.Find(child)); }
    void UpdateItemTextColorForHover(bool entering);

    bool m_bExpandedMark = false;
    DWORD m_dwItemTextColor = 0;
    DWORD m_dwItemHotTextColor = 0;
    DWORD m_dwSelItemTextColor = 0;
    DWORD m_dwSelItemHotTextColor = 0;
    CTreeViewUI* m_pTreeView = nullptr;
    CHorizontalLayoutUI* m_pRowLayout;
    CCheckBoxUI* m_pFolderButton;
    CLabelUI* m_pIndentStrip;
    CCheckBoxUI* m_pCheckBox;
    COptionUI* m_pItemButton;
    CTreeNodeUI* m_pParentNode = nullptr;
    CStdPtrArray m_aChildNodes;
};

class UILIB_API CTreeViewUI : public CListUI, public INotifyUI {
public:
    CTreeViewUI();
    ~CTreeViewUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // A node row goes with its descendants; any other row alone.
    bool RemoveAt(int index) override;
    void Notify(TNotifyUI& msg) override;

    // Appends a node and, after it, its descendants.
    virtual bool AddNode(CTreeNodeUI* node);
    // Inserts the node before `reference`.
    virtual bool AddNodeAtNode(CTreeNodeUI* node, CTreeNodeUI* reference);
    // Inserts the node at row `index` (clamped), its descendants after it;
    // the row index of the last row inserted, -1 when refused.
    virtual int AddNodeAt(CTreeNodeUI* node, int index);
    // Removes the node's row and its descendants' rows; false for a node
    // that is not a row of this view.
    virtual bool RemoveNode(CTreeNodeUI* node);
    virtual bool OnCheckBoxChanged(TNotifyUI& msg);
    virtual bool OnFolderChanged(TNotifyUI& msg);
    virtual bool OnDBClickItem(TNotifyUI& msg);
    // Sets the check box of every descendant of `node` (of every row when null).
    virtual void SetItemCheckBox(bool selected, CTreeNodeUI* node = nullptr);
    // Shows or hides the descendants of `node` (every row when null) as far
    // as their own ancestors' expansion allows.
    virtual void SetItemExpand(bool expanded, CTreeNodeUI* node = nullptr);
    virtual void SetVisibleFolderBtn(bool visible);
    virtual bool GetVisibleFolderBtn() const;
    virtual void SetVisibleCheckBtn(bool visible);
    virtual bool GetVisibleCheckBtn() const;
    virtual void SetItemMinWidth(UINT width);
    virtual UINT GetItemMinWidth() const;
    virtual void SetItemTextColor(DWORD color);
    virtual void SetItemHotTextColor(DWORD color);
    virtual void SetSelItemTextColor(DWORD color);
    virtual void SetSelItemHotTextColor(DWORD color);

private:
    // Delegates, flags and minimum width of a node joining the view.
    void WireNode(CTreeNodeUI* node);
    bool CheckBoxNotify(TNotifyUI& msg, long) { return OnCheckBoxChanged(msg); }
    bool FolderNotify(TNotifyUI& msg, long) { return OnFolderChanged(msg); }
    bool NodeNotify(TNotifyUI& msg, long) { return OnDBClickItem(msg); }
    CTreeNodeUI* NodeAt(int index) const;
    // The node that holds a folder button or check box (its layout's parent).
    static CTreeNodeUI* OwningNode(CControlUI* part);
    // Checks or unchecks a parent from its children after one of them changed.
    void UpdateParentCheck(CTreeNodeUI* parent);

    UINT m_uItemMinWidth = 0;
    bool m_bVisibleFolderBtn = true;
    bool m_bVisibleCheckBtn = false;
};

}  // namespace UiLib
