#include "controls/UIListContainerElement.h"

#include "controls/UIListHeader.h"
#include "controls/UIListRowBehaviour.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"

#include <cwchar>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
bool IsMouseEvent(int type) { return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND; }
}  // namespace

CListContainerElementUI::CListContainerElementUI() = default;
CListContainerElementUI::~CListContainerElementUI() = default;

const wchar_t* CListContainerElementUI::GetClass() const { return L"ListContainerElementUI"; }

LPVOID CListContainerElementUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"ListItem")) return static_cast<IListItemUI*>(this);
    if (name && Is(name, L"ListContainerElement")) return static_cast<CListContainerElementUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CListContainerElementUI::GetControlFlags() const { return UIFLAG_WANTRETURN; }

int CListContainerElementUI::GetIndex() const { return m_iIndex; }
void CListContainerElementUI::SetIndex(int index) { m_iIndex = index; }
IListOwnerUI* CListContainerElementUI::GetOwner() { return m_pOwner; }

void CListContainerElementUI::SetOwner(CControlUI* owner) {
    m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface(L"IListOwner")) : nullptr;
}

bool CListContainerElementUI::IsSelected() const { return m_bSelected; }
bool CListContainerElementUI::IsExpanded() const { return false; }
bool CListContainerElementUI::Expand(bool) { return false; }
void CListContainerElementUI::DrawItemText(HDC, const RECT&) {}

using RowBehaviour = ListRowBehaviour<CListContainerElementUI>;

bool CListContainerElementUI::Select(bool select) { return RowBehaviour::SelectNotifyingOwner(*this, select); }

bool CListContainerElementUI::Activate() { return RowBehaviour::Activate(*this); }

void CListContainerElementUI::SetVisible(bool visible) {
    CContainerUI::SetVisible(visible);
    RowBehaviour::AfterVisibilityChange(*this);
}

void CListContainerElementUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    RowBehaviour::AfterEnableChange(*this);
}

void CListContainerElementUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value || RowBehaviour::TakeSelectedAttribute(*this, name, value)) return;
    CContainerUI::SetAttribute(name, value);
}

void CListContainerElementUI::Repaint() { RowBehaviour::Repaint(*this); }

ListRowState CListContainerElementUI::RowState() const { return RowBehaviour::State(*this); }

void CListContainerElementUI::DrawItemBk(HDC hDC, const RECT& rcItem) { RowBehaviour::DrawItemBk(*this, hDC, rcItem); }

void CListContainerElementUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    DrawItemBk(hDC, m_rcItem);
    CContainerUI::DoPaint(hDC, rcPaint);
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pOwner)
            m_pOwner->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    if (RowBehaviour::HandleEvent(*this, event)) return;
    if (m_pOwner)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

void CListContainerElementUI::SetPos(RECT rc) {
    CHorizontalLayoutUI::SetPos(rc);
    AlignToColumns();
}

void CListContainerElementUI::AlignToColumns() {
    if (!m_pOwner) return;
    CControlUI* owner = m_pParent ? m_pParent->GetParent() : nullptr;
    if (!owner || !Is(owner->GetClass(), L"ListUI")) return;
    IListUI* list = static_cast<IListUI*>(owner->GetInterface(L"IList"));
    CListHeaderUI* header = list ? list->GetHeader() : nullptr;
    if (!header || !header->IsVisible()) return;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* headerItem = header->GetItemAt(i);
        if (!headerItem) break;
        const RECT column = headerItem->GetPos();
        if (column.left == 0 && column.right == 0) continue;
        CControlUI* child = ChildAt(i);
        RECT placed = child->GetPos();
        placed.left = column.left;
        placed.right = column.right;
        child->SetPos(placed);
    }
}

}  // namespace UiLib
