#include "controls/UITreeView.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {

bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
bool IsMouseEvent(int type) { return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND; }

const int kNodeHeight = 18;
const int kTopIndentWidth = 2;
const int kIndentStep = 16;

CTreeNodeUI* AsTreeNode(CControlUI* control) {
    if (!control || _wcsicmp(control->GetClass(), L"TreeNodeUI") != 0) return nullptr;
    return static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode"));
}

}  // namespace

CTreeNodeUI::CTreeNodeUI()
    : m_pRowLayout(new CHorizontalLayoutUI),
      m_pFolderButton(new CCheckBoxUI),
      m_pIndentStrip(new CLabelUI),
      m_pCheckBox(new CCheckBoxUI),
      m_pItemButton(new COptionUI) {
    SetFixedHeight(kNodeHeight);
    m_pFolderButton->SetFixedWidth(GetFixedHeight());
    m_pCheckBox->SetFixedWidth(GetFixedHeight());
    m_pIndentStrip->SetFixedWidth(kTopIndentWidth);
    m_pIndentStrip->SetVisible(false);
    m_pCheckBox->SetVisible(false);
    m_pItemButton->SetMouseEnabled(false);
    m_pItemButton->SetAttribute(L"align", L"left");
    // Clicks on the row's free parts and on the item text reach the node
    // itself, so that it selects and answers double clicks; the buttons in
    // the row still take their own clicks.
    m_pRowLayout->SetMouseEnabled(false);
    m_pRowLayout->Add(m_pIndentStrip);
    m_pRowLayout->Add(m_pFolderButton);
    m_pRowLayout->Add(m_pCheckBox);
    m_pRowLayout->Add(m_pItemButton);
    CListContainerElementUI::Add(m_pRowLayout);
}

CTreeNodeUI::~CTreeNodeUI() {
    // Outside a view nobody else holds the child nodes.
    if (m_pTreeView) return;
    for (int i = 0; i < m_aChildNodes.GetSize(); ++i) {
        CTreeNodeUI* child = GetChildNode(i);
        child->m_pParentNode = nullptr;
        delete child;
    }
}

const wchar_t* CTreeNodeUI::GetClass() const { return L"TreeNodeUI"; }

LPVOID CTreeNodeUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"TreeNode")) return static_cast<CTreeNodeUI*>(this);
    return CListContainerElementUI::GetInterface(name);
}

int CTreeNodeUI::GetTreeIndex() const {
    if (!m_pTreeView) return -1;
    // The list keeps each row's index current; check it before searching.
    CTreeNodeUI* self = const_cast<CTreeNodeUI*>(this);
    if (m_iIndex >= 0 && m_pTreeView->GetItemAt(m_iIndex) == self) return m_iIndex;
    return m_pTreeView->GetItemIndex(self);
}

CTreeNodeUI* CTreeNodeUI::GetLastDescendant() {
    CTreeNodeUI* node = this;
    while (node->GetChildCount() > 0) node = node->GetChildNode(node->GetChildCount() - 1);
    return node;
}

int CTreeNodeUI::GetDepth() const {
    int depth = 0;
    for (CTreeNodeUI* up = m_pParentNode; up; up = up->m_pParentNode) ++depth;
    return depth;
}

bool CTreeNodeUI::HasChildNode(const CTreeNodeUI* node) const {
    return m_aChildNodes.Find(const_cast<CTreeNodeUI*>(node)) >= 0;
}

bool CTreeNodeUI::ChildrenShown() const {
    // Below a hidden node a child stays hidden even when that node is expanded.
    return IsExpandedNode() && (!m_pTreeView || IsVisible());
}

void CTreeNodeUI::IndentBelow(CTreeNodeUI* parent) {
    m_pIndentStrip->SetVisible(true);
    m_pIndentStrip->SetFixedWidth(parent->m_pIndentStrip->GetFixedWidth() + kIndentStep);
    // Children gathered before this node found its place move along with it.
    for (int i = 0; i < GetChildCount(); ++i) GetChildNode(i)->IndentBelow(this);
}

void CTreeNodeUI::AdoptChild(CTreeNodeUI* child) {
    child->IndentBelow(this);
    child->m_pParentNode = this;
    child->m_pItemButton->SetGroup(m_pItemButton->GetGroup());
    child->m_pTreeView = m_pTreeView;
}

bool CTreeNodeUI::ShowChildAt(CTreeNodeUI* child, int row) {
    // The child is wired like any node of the view, so its folder button and
    // check box work at once.
    return m_pTreeView->AddNodeAt(child, row) >= 0;
}

bool CTreeNodeUI::Add(CControlUI* control) {
    CTreeNodeUI* child = AsTreeNode(control);
    if (!child) return CListContainerElementUI::Add(control);
    if (child == this || child->m_pParentNode) return false;
    AdoptChild(child);
    if (m_pTreeView) {
        const int row = GetLastDescendant()->GetTreeIndex() + 1;
        if (row <= 0 || !ShowChildAt(child, row)) {
            child->m_pParentNode = nullptr;
            child->m_pTreeView = nullptr;
            return false;
        }
    }
    child->SetVisible(ChildrenShown());
    m_aChildNodes.Add(child);
    return true;
}

bool CTreeNodeUI::AddAt(CControlUI* control, int index) {
    CTreeNodeUI* child = AsTreeNode(control);
    if (!child || child == this || child->m_pParentNode) return false;
    const int position = std::max(0, std::min(index, GetChildCount()));
    AdoptChild(child);
    if (m_pTreeView) {
        const int row = position < GetChildCount() ? GetChildNode(position)->GetTreeIndex()
                                                   : GetLastDescendant()->GetTreeIndex() + 1;
        if (row < 0 || !ShowChildAt(child, row)) {
            child->m_pParentNode = nullptr;
            child->m_pTreeView = nullptr;
            return false;
        }
    }
    child->SetVisible(ChildrenShown());
    m_aChildNodes.InsertAt(position, child);
    return true;
}

bool CTreeNodeUI::Remove(CControlUI* control) {
    CTreeNodeUI* child = AsTreeNode(control);
    if (!child || !HasChildNode(child)) return false;
    if (m_pTreeView) return m_pTreeView->RemoveNode(child);
    // Outside a view the node owns its children.
    while (child->GetChildCount() > 0) child->Remove(child->GetChildNode(child->GetChildCount() - 1));
    DetachChild(child);
    child->m_pParentNode = nullptr;
    delete child;
    return true;
}

bool CTreeNodeUI::Select(bool select) {
    const bool done = CListContainerElementUI::Select(select);
    m_pItemButton->SetTextColor(IsSelected() ? m_dwSelItemTextColor : m_dwItemTextColor);
    return done;
}

void CTreeNodeUI::UpdateItemTextColorForHover(bool entering) {
    if (!IsEnabled()) {
        m_pItemButton->SetTextColor(m_pItemButton->GetDisabledTextColor());
        return;
    }
    if (entering) {
        DWORD color = m_dwItemHotTextColor;
        if (IsSelected() && m_dwSelItemHotTextColor != 0) color = m_dwSelItemHotTextColor;
        m_pItemButton->SetTextColor(color);
    } else if (!IsSelected()) {
        m_pItemButton->SetTextColor(m_dwItemTextColor);
    } else if (m_dwSelItemTextColor != 0) {
        m_pItemButton->SetTextColor(m_dwSelItemTextColor);
    }
}

void CTreeNodeUI::DoEvent(TEventUI& event) {
    // A mouse-disabled node's mouse events go on to the owner, untouched here.
    const bool passedOn = !IsMouseEnabled() && IsMouseEvent(event.Type);
    CListContainerElementUI::DoEvent(event);
    if (passedOn) return;
    if (event.Type == UIEVENT_DBLCLICK && IsEnabled()) {
        if (m_pManager) m_pManager->SendNotify(this, L"itemdbclick");
        Invalidate();
    } else if (event.Type == UIEVENT_MOUSEENTER || event.Type == UIEVENT_MOUSELEAVE) {
        UpdateItemTextColorForHover(event.Type == UIEVENT_MOUSEENTER);
    }
}

void CTreeNodeUI::SetItemTextColor(DWORD color) {
    m_dwItemTextColor = color;
    m_pItemButton->SetTextColor(color);
}

void CTreeNodeUI::SetItemHotTextColor(DWORD color) {
    m_dwItemHotTextColor = color;
    Invalidate();
}

void CTreeNodeUI::SetSelItemTextColor(DWORD color) {
    m_dwSelItemTextColor = color;
    Invalidate();
}

void CTreeNodeUI::SetSelItemHotTextColor(DWORD color) {
    m_dwSelItemHotTextColor = color;
    Invalidate();
}

void CTreeNodeUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (Is(name, L"text"))
        m_pItemButton->SetText(value);
    else if (Is(name, L"horizattr"))
        m_pRowLayout->ApplyAttributeList(value);
    else if (Is(name, L"dotlineattr"))
        m_pIndentStrip->ApplyAttributeList(value);
    else if (Is(name, L"folderattr"))
        m_pFolderButton->ApplyAttributeList(value);
    else if (Is(name, L"checkboxattr"))
        m_pCheckBox->ApplyAttributeList(value);
    else if (Is(name, L"itemattr"))
        m_pItemButton->ApplyAttributeList(value);
    else if (TakeItemColourAttribute(*this, name, value))
        return;
    else if (Is(name, L"defaultexpand"))
        m_pFolderButton->SetSelected(ParseBoolValue(value));
    else
        CListContainerElementUI::SetAttribute(name, value);
}

}  // namespace UiLib
