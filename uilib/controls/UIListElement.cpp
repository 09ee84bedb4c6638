#include "controls/UIListElement.h"

#include "controls/LayoutMath.h"
#include "controls/UIListItemPaint.h"
#include "controls/UIListRowBehaviour.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <cwchar>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
bool IsMouseEvent(int type) { return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND; }
}  // namespace

// ---- shared row state ----

LPVOID CListElementUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"ListItem")) return static_cast<IListItemUI*>(this);
    if (name && Is(name, L"ListElement")) return static_cast<CListElementUI*>(this);
    return CControlUI::GetInterface(name);
}

int CListElementUI::GetIndex() const { return m_iIndex; }
void CListElementUI::SetIndex(int index) { m_iIndex = index; }
IListOwnerUI* CListElementUI::GetOwner() { return m_pOwner; }

void CListElementUI::SetOwner(CControlUI* owner) {
    m_pOwner = owner ? static_cast<IListOwnerUI*>(owner->GetInterface(L"IListOwner")) : nullptr;
}

bool CListElementUI::IsSelected() const { return m_bSelected; }
bool CListElementUI::IsExpanded() const { return false; }
bool CListElementUI::Expand(bool) { return false; }

using RowBehaviour = ListRowBehaviour<CListElementUI>;

void CListElementUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    RowBehaviour::AfterVisibilityChange(*this);
}

void CListElementUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    RowBehaviour::AfterEnableChange(*this);
}

void CListElementUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value || RowBehaviour::TakeSelectedAttribute(*this, name, value)) return;
    CControlUI::SetAttribute(name, value);
}

void CListElementUI::Repaint() { RowBehaviour::Repaint(*this); }

bool CListElementUI::SelectNotifyingOwner(bool select) { return RowBehaviour::SelectNotifyingOwner(*this, select); }

bool CListElementUI::SelectPlain(bool select) {
    if (!IsEnabled()) return false;
    if (select != m_bSelected) {
        m_bSelected = select;
        Repaint();
    }
    return true;
}

ListRowState CListElementUI::RowState() const { return RowBehaviour::State(*this); }

void CListElementUI::DrawItemBk(HDC hDC, const RECT& rcItem) { RowBehaviour::DrawItemBk(*this, hDC, rcItem); }

// ---- label row ----

const wchar_t* CListLabelElementUI::GetClass() const { return L"ListLabelElementUI"; }

LPVOID CListLabelElementUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"ListLabelElement")) return static_cast<CListLabelElementUI*>(this);
    return CListElementUI::GetInterface(name);
}

UINT CListLabelElementUI::GetControlFlags() const { return UIFLAG_WANTRETURN; }

bool CListLabelElementUI::Activate() { return RowBehaviour::Activate(*this); }

bool CListLabelElementUI::Select(bool select) { return SelectNotifyingOwner(select); }

void CListLabelElementUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pOwner)
            m_pOwner->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    if (RowBehaviour::HandleEvent(*this, event)) return;
    if (m_pOwner)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

SIZE CListLabelElementUI::EstimateSize(SIZE) {
    if (!m_pOwner) return SIZE{0, 0};
    TListInfoUI* info = m_pOwner->GetListInfo();
    const RECT padding = info->rcTextPadding;
    SIZE size = {m_cxFixed, m_cyFixed};
    if (size.cy == 0 && m_pManager)
        size.cy = m_pManager->GetFontInfo(info->nFont)->tm.tmHeight + 8 + padding.top + padding.bottom;
    if (size.cx == 0 && m_pManager) {
        RECT measure = {0, 0, 9999, size.cy};
        const UINT style = (info->uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_SINGLELINE | DT_CALCRECT;
        if (info->bShowHtml) {
            int links = 0;
            CRenderEngine::DrawRichText(m_pManager->GetPaintDC(), m_pManager, measure, m_sText, 0, nullptr, nullptr,
                                        &links, style);
        } else {
            CRenderEngine::DrawTextW(m_pManager->GetPaintDC(), m_pManager, measure, m_sText, 0, info->nFont, style);
        }
        size.cx = measure.right - measure.left + padding.left + padding.right;
    }
    return size;
}

void CListLabelElementUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rcItem) {
    if (m_sText.IsEmpty() || !m_pOwner) return;
    PaintListRowText(hDC, m_pManager, rcItem, m_sText, *m_pOwner->GetListInfo(), RowState());
}

}  // namespace UiLib
