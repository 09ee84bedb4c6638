#include "controls/UITreeView.h"

#include "controls/UIListHeader.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {

bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }

bool IsTreeNodeClass(CControlUI* control) {
    return control && _wcsicmp(control->GetClass(), L"TreeNodeUI") == 0;
}

}  // namespace

CTreeViewUI::CTreeViewUI() { GetHeader()->SetVisible(false); }

CTreeViewUI::~CTreeViewUI() = default;

const wchar_t* CTreeViewUI::GetClass() const { return L"TreeViewUI"; }

LPVOID CTreeViewUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"TreeView")) return static_cast<CTreeViewUI*>(this);
    return CListUI::GetInterface(name);
}

void CTreeViewUI::Notify(TNotifyUI&) {}

CTreeNodeUI* CTreeViewUI::NodeAt(int index) const {
    CControlUI* row = GetItemAt(index);
    return IsTreeNodeClass(row) ? static_cast<CTreeNodeUI*>(row->GetInterface(L"TreeNode")) : nullptr;
}

CTreeNodeUI* CTreeViewUI::OwningNode(CControlUI* part) {
    CControlUI* layout = part ? part->GetParent() : nullptr;
    CControlUI* node = layout ? layout->GetParent() : nullptr;
    return IsTreeNodeClass(node) ? static_cast<CTreeNodeUI*>(node->GetInterface(L"TreeNode")) : nullptr;
}

void CTreeViewUI::WireNode(CTreeNodeUI* node) {
    node->NotifyListeners += CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::NodeNotify);
    node->GetFolderButton()->NotifyListeners += CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::FolderNotify);
    node->GetCheckBox()->NotifyListeners += CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::CheckBoxNotify);
    node->GetCheckBox()->SetVisible(m_bVisibleCheckBtn);
    node->GetFolderButton()->SetVisible(m_bVisibleFolderBtn);
    if (m_uItemMinWidth > 0) node->SetMinWidth(static_cast<int>(m_uItemMinWidth));
}

bool CTreeViewUI::AddNode(CTreeNodeUI* node) {
    if (!IsTreeNodeClass(node)) return false;
    WireNode(node);
    if (!CListUI::Add(node)) return false;
    node->SetTreeView(this);
    for (int i = 0; i < node->GetChildCount(); ++i) AddNode(node->GetChildNode(i));
    return true;
}

int CTreeViewUI::AddNodeAt(CTreeNodeUI* node, int index) {
    if (!IsTreeNodeClass(node)) return -1;
    index = std::max(0, std::min(index, GetCount()));
    WireNode(node);
    node->SetTreeView(this);
    if (!CListUI::AddAt(node, index)) {
        node->SetTreeView(nullptr);
        return -1;
    }
    if (!node->GetStyleName().IsEmpty() && m_pManager) node->SetStyleName(node->GetStyleName(), m_pManager);
    int last = index;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        const int placed = AddNodeAt(node->GetChildNode(i), last + 1);
        if (placed >= 0) last = placed;
    }
    return last;
}

bool CTreeViewUI::AddNodeAtNode(CTreeNodeUI* node, CTreeNodeUI* reference) {
    if (!reference || reference->GetTreeView() != this) return false;
    const int index = reference->GetTreeIndex();
    if (index < 0) return false;
    return AddNodeAt(node, index) >= 0;
}

bool CTreeViewUI::RemoveNode(CTreeNodeUI* node) {
    if (!node || node->GetTreeView() != this || node->GetTreeIndex() < 0) return false;
    while (node->GetChildCount() > 0) RemoveNode(node->GetChildNode(node->GetChildCount() - 1));
    // The parent must not keep pointing at a row that is about to be deleted.
    if (CTreeNodeUI* parent = node->GetParentNode()) {
        parent->DetachChild(node);
        node->m_pParentNode = nullptr;
    }
    // The list's own removal: going through RemoveAt here would come back.
    return CListUI::RemoveAt(node->GetTreeIndex());
}

bool CTreeViewUI::RemoveAt(int index) {
    if (CTreeNodeUI* node = NodeAt(index)) return RemoveNode(node);
    return CListUI::RemoveAt(index);
}

void CTreeViewUI::SetItemCheckBox(bool selected, CTreeNodeUI* node) {
    if (node) {
        for (int i = 0; i < node->GetChildCount(); ++i) {
            CTreeNodeUI* child = node->GetChildNode(i);
            child->GetCheckBox()->SetSelected(selected);
            SetItemCheckBox(selected, child);
        }
        return;
    }
    for (int i = 0; i < GetCount(); ++i)
        if (CTreeNodeUI* row = NodeAt(i)) row->GetCheckBox()->SetSelected(selected);
}

void CTreeViewUI::SetItemExpand(bool expanded, CTreeNodeUI* node) {
    if (!node) {
        for (int i = 0; i < GetCount(); ++i)
            if (CTreeNodeUI* row = NodeAt(i)) row->SetVisible(expanded);
        return;
    }
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CTreeNodeUI* child = node->GetChildNode(i);
        child->SetVisible(expanded);
        if (child->GetChildCount() > 0 && child->IsExpandedNode()) SetItemExpand(expanded, child);
    }
}

void CTreeViewUI::UpdateParentCheck(CTreeNodeUI* parent) {
    if (!parent) return;
    int checked = 0;
    for (int i = 0; i < parent->GetChildCount(); ++i)
        if (parent->GetChildNode(i)->IsChecked()) ++checked;
    // Each change raises "selectchanged" again, so the update climbs the tree.
    if (checked == parent->GetChildCount() && !parent->IsChecked())
        parent->GetCheckBox()->SetSelected(true);
    else if (checked == 0 && parent->IsChecked())
        parent->GetCheckBox()->SetSelected(false);
}

bool CTreeViewUI::OnCheckBoxChanged(TNotifyUI& msg) {
    if (!Is(msg.sType, L"selectchanged")) return false;
    CTreeNodeUI* node = OwningNode(msg.pSender);
    if (!node) return false;
    const bool checked = node->IsChecked();
    SetItemCheckBox(checked, node);
    UpdateParentCheck(node->GetParentNode());
    return true;
}

bool CTreeViewUI::OnFolderChanged(TNotifyUI& msg) {
    if (!Is(msg.sType, L"selectchanged")) return false;
    CTreeNodeUI* node = OwningNode(msg.pSender);
    if (!node) return false;
    node->m_bExpandedMark = node->IsExpandedNode();
    SetItemExpand(node->m_bExpandedMark, node);
    return true;
}

bool CTreeViewUI::OnDBClickItem(TNotifyUI& msg) {
    if (!Is(msg.sType, L"itemdbclick")) return false;
    CControlUI* sender = msg.pSender;
    if (!IsTreeNodeClass(sender)) return false;
    CCheckBoxUI* folder = static_cast<CTreeNodeUI*>(sender->GetInterface(L"TreeNode"))->GetFolderButton();
    folder->SetSelected(!folder->IsSelected());
    return true;
}

void CTreeViewUI::SetVisibleFolderBtn(bool visible) {
    m_bVisibleFolderBtn = visible;
    for (int i = 0; i < GetCount(); ++i)
        if (CTreeNodeUI* row = NodeAt(i)) row->GetFolderButton()->SetVisible(visible);
}

bool CTreeViewUI::GetVisibleFolderBtn() const { return m_bVisibleFolderBtn; }

void CTreeViewUI::SetVisibleCheckBtn(bool visible) {
    m_bVisibleCheckBtn = visible;
    for (int i = 0; i < GetCount(); ++i)
        if (CTreeNodeUI* row = NodeAt(i)) row->GetCheckBox()->SetVisible(visible);
}

bool CTreeViewUI::GetVisibleCheckBtn() const { return m_bVisibleCheckBtn; }

void CTreeViewUI::SetItemMinWidth(UINT width) {
    m_uItemMinWidth = width;
    for (int i = 0; i < GetCount(); ++i)
        if (CControlUI* row = GetItemAt(i)) row->SetMinWidth(static_cast<int>(width));
    Invalidate();
}

UINT CTreeViewUI::GetItemMinWidth() const { return m_uItemMinWidth; }

void CTreeViewUI::SetItemTextColor(DWORD color) {
    for (int i = 0; i < GetCount(); ++i)
        if (CTreeNodeUI* row = NodeAt(i)) row->SetItemTextColor(color);
    Invalidate();
}

void CTreeViewUI::SetItemHotTextColor(DWORD color) {
    for (int i = 0; i < GetCount(); ++i)
        if (CTreeNodeUI* row = NodeAt(i)) row->m_dwItemHotTextColor = color;
    Invalidate();
}

void CTreeViewUI::SetSelItemTextColor(DWORD color) {
    for (int i = 0; i < GetCount(); ++i)
        if (CTreeNodeUI* row = NodeAt(i)) row->m_dwSelItemTextColor = color;
    Invalidate();
}

void CTreeViewUI::SetSelItemHotTextColor(DWORD color) {
    for (int i = 0; i < GetCount(); ++i)
        if (CTreeNodeUI* row = NodeAt(i)) row->m_dwSelItemHotTextColor = color;
    Invalidate();
}

void CTreeViewUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (Is(name, L"visiblefolderbtn"))
        SetVisibleFolderBtn(ParseBoolValue(value));
    else if (Is(name, L"visiblecheckbtn"))
        SetVisibleCheckBtn(ParseBoolValue(value));
    else if (Is(name, L"itemminwidth"))
        SetItemMinWidth(static_cast<UINT>(std::max(0, ParseIntValue(value))));
    else if (!TakeItemColourAttribute(*this, name, value))
        CListUI::SetAttribute(name, value);
}

}  // namespace UiLib
