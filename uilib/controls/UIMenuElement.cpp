#include "controls/UIMenuElement.h"

#include "controls/UIMenu.h"
#include "controls/UIMenuObserver.h"
#include "controls/UIMenuWnd.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }

// Button-state bit cleared when the sub-menu window ends.
const UINT kPushed = 0x10;
// Width of the icon column at the item's left.
const int kIconColumn = 26;
}  // namespace

CMenuElementUI::CMenuElementUI() {
    m_cxFixed = 150;
    m_cyFixed = 30;
}

CMenuElementUI::~CMenuElementUI() = default;

const wchar_t* CMenuElementUI::GetClass() const { return L"MenuElementUI"; }

LPVOID CMenuElementUI::GetInterface(const wchar_t* name) {
    if (name && _wcsicmp(name, L"MenuElement") == 0) return static_cast<CMenuElementUI*>(this);
    return CListContainerElementUI::GetInterface(name);
}

bool CMenuElementUI::HasSubItems() const {
    for (int i = 0; i < m_items.GetSize(); ++i)
        if (IsMenuElement(ChildAt(i))) return true;
    return false;
}

void CMenuElementUI::SetPos(RECT rc) {
    // Sub-items are placed by the sub-menu window that shows them, never
    // inside this row: their rectangles survive this row's layout.
    std::vector<std::pair<CControlUI*, RECT>> subItems;
    for (int i = 0; i < m_items.GetSize(); ++i)
        if (IsMenuElement(ChildAt(i))) subItems.emplace_back(ChildAt(i), ChildAt(i)->GetPos());
    CListContainerElementUI::SetPos(rc);
    for (auto& kept : subItems)
        if (!::EqualRect(&kept.first->GetPos(), &kept.second)) kept.first->SetPos(kept.second);
}

CControlUI* CMenuElementUI::FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) {
    // While a sub-menu window shows the sub-items they belong to it; in this
    // menu the row answers for its whole area.
    if (m_pWindow && (flags & UIFIND_HITTEST) != 0) return CControlUI::FindControl(proc, data, flags);
    return CListContainerElementUI::FindControl(proc, data, flags);
}

HWND CMenuElementUI::MenuWindow() const { return m_pManager ? m_pManager->GetPaintWindow() : nullptr; }

void CMenuElementUI::SetSubItemsVisible(bool visible) {
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!IsMenuElement(child)) continue;
        child->SetVisible(visible);
        child->SetInternVisible(visible);
    }
}

void CMenuElementUI::OpenSubMenu() {
    if (m_pWindow) return;
    m_pWindow = new CMenuWnd;
    ObserverImpl::Instance().Broadcast(kMenuCloseBelow, MenuWindow());
    m_pWindow->Init(this, nullptr, nullptr, L"", 6, POINT{0, 0});
}

void CMenuElementUI::Hover() {
    if (HasSubItems()) {
        SetSubItemsVisible(true);
        if (m_pOwner) m_pOwner->SelectItem(GetIndex());
        OpenSubMenu();
    } else {
        ObserverImpl::Instance().Broadcast(kMenuCloseBelow, MenuWindow());
        if (m_pOwner) m_pOwner->SelectItem(GetIndex());
    }
}

void CMenuElementUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_MOUSEENTER:
        CListContainerElementUI::DoEvent(event);
        if (m_pWindow) return;
        Hover();
        return;
    case UIEVENT_KEYDOWN:
        if (event.chKey != VK_RIGHT) break;
        if (!m_pWindow) Hover();
        return;
    case UIEVENT_BUTTONUP: {
        if (!IsEnabled()) break;
        CListContainerElementUI::DoEvent(event);
        if (m_pWindow) return;
        if (HasSubItems()) {
            SetSubItemsVisible(true);
            OpenSubMenu();
            return;
        }
        SetChecked(!GetChecked());
        ObserverImpl& observer = ObserverImpl::Instance();
        if (CPaintManagerUI* main = observer.GetMainManager()) {
            // Handed to the main window; its handler deletes the name. A
            // window that is gone would turn the post into a thread message
            // nobody frees, so the name is then freed here.
            HWND target = main->GetPaintWindow();
            CUiString* name = new CUiString(GetName());
            if (!::IsWindow(target) ||
                !::PostMessageW(target, WM_MENUCLICK, reinterpret_cast<WPARAM>(name), GetChecked() ? 1 : 0))
                delete name;
        }
        observer.Broadcast(kMenuCloseAll, nullptr);
        return;
    }
    default:
        break;
    }
    CListContainerElementUI::DoEvent(event);
}

bool CMenuElementUI::GetChecked() const {
    if (!m_bCheckItem) return false;
    const MenuCheckStates* states = ObserverImpl::Instance().GetCheckStates();
    if (!states || states->empty()) return false;
    auto found = states->find(m_sName.GetData());
    return found != states->end() && found->second;
}

void CMenuElementUI::SetChecked(bool checked) {
    MenuCheckStates* states = ObserverImpl::Instance().GetCheckStates();
    if (!m_bCheckItem || !states) return;
    (*states)[m_sName.GetData()] = checked;
}

void CMenuElementUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (Is(name, L"icon")) {
        m_strIcon = value;
        Invalidate();
    } else if (Is(name, L"iconsize")) {
        m_szIconSize = ParseSizeValue(value);
    } else if (Is(name, L"checkitem")) {
        m_bCheckItem = ParseBoolValue(value);
    } else if (Is(name, L"ischeck")) {
        MenuCheckStates* states = ObserverImpl::Instance().GetCheckStates();
        if (states && states->find(m_sName.GetData()) == states->end()) (*states)[m_sName.GetData()] = ParseBoolValue(value);
    } else if (Is(name, L"linetype")) {
        if (!Is(value, L"true")) return;
        m_bDrawLine = true;
        if (m_cyFixed == 0 || m_cyFixed == 30) SetFixedHeight(6);
        SetMouseEnabled(false);
        SetMouseChildEnabled(false);
        SetEnabled(false);
    } else if (Is(name, L"expland")) {
        m_bShowExplandIcon = ParseBoolValue(value);
    } else if (Is(name, L"linecolor")) {
        m_dwLineColor = ParseColorValue(value);
    } else if (Is(name, L"linepadding")) {
        m_rcLinePadding = ParseRectValue(value);
    } else if (Is(name, L"height")) {
        SetFixedHeight(ParseIntValue(value));
    } else {
        CListContainerElementUI::SetAttribute(name, value);
    }
}

SIZE CMenuElementUI::EstimateOwnText(SIZE available) {
    TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    if (!info || !m_pManager) return SIZE{m_cxFixed, m_cyFixed};
    const RECT& padding = info->rcTextPadding;
    RECT rc = {0, 0, std::max<int>(m_cxFixed, available.cx), 9999};
    rc.right -= padding.left + padding.right;
    const UINT style = DT_SINGLELINE | DT_CALCRECT | (info->uTextStyle & ~(DT_RIGHT | DT_CENTER));
    if (info->bShowHtml) {
        int links = 0;
        CRenderEngine::DrawRichText(m_pManager->GetPaintDC(), m_pManager, rc, m_sText, 0, nullptr, nullptr, &links,
                                    style);
    } else {
        CRenderEngine::DrawTextW(m_pManager->GetPaintDC(), m_pManager, rc, m_sText, 0, info->nFont, style);
    }
    return SIZE{rc.right - rc.left + padding.left + padding.right + 20,
                rc.bottom - rc.top + padding.top + padding.bottom};
}

SIZE CMenuElementUI::EstimateSize(SIZE szAvailable) {
    // Sub-items are measured by their own window, not as part of this row.
    SIZE size = {0, 0};
    bool anyChild = false;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible() || IsMenuElement(child)) continue;
        anyChild = true;
        const SIZE estimate = child->EstimateSize(szAvailable);
        size.cx = std::max(size.cx, estimate.cx);
        size.cy += estimate.cy;
    }
    if (!anyChild) size = EstimateOwnText(szAvailable);
    if (m_cyFixed != 0) size.cy = m_cyFixed;
    size.cx = std::max<int>(size.cx, m_cxFixed);
    m_cxFixed = size.cx;
    m_cyFixed = size.cy;
    return size;
}

void CMenuElementUI::PaintLine(HDC hDC) {
    const int y = m_rcItem.top + m_cyFixed / 2;
    RECT line = {m_rcItem.left + m_rcLinePadding.left, y, m_rcItem.right - m_rcLinePadding.right, y};
    CRenderEngine::DrawLine(hDC, line, 1, m_dwLineColor);
}

void CMenuElementUI::PaintIconAndArrow(HDC hDC) {
    if (!m_strIcon.IsEmpty() && (!m_bCheckItem || GetChecked())) {
        const int left = (kIconColumn - m_szIconSize.cx) / 2;
        const int top = (m_cyFixed - m_szIconSize.cy) / 2;
        CUiString image;
        image.Format(L"file='%s' dest='%d,%d,%d,%d'", m_strIcon.GetData(), left, top, left + m_szIconSize.cx,
                     top + m_szIconSize.cy);
        DrawImage(hDC, image);
    }
    if (m_bShowExplandIcon && m_pManager) {
        const wchar_t* arrow = m_pManager->GetDefaultAttributeList(L"ExplandIcon");
        if (arrow && *arrow) {
            const int top = (m_cyFixed - 9) / 2;
            CUiString image;
            image.Format(L"file='%s' dest='%d,%d,%d,%d'", arrow, m_cxFixed - 15, top, m_cxFixed - 6, top + 9);
            DrawImage(hDC, image);
        }
    }
}

void CMenuElementUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    if (m_bDrawLine) {
        PaintLine(hDC);
        return;
    }
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
    PaintIconAndArrow(hDC);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!IsMenuElement(child) && child->IsVisible()) child->DoPaint(hDC, rcPaint);
    }
}

void CMenuElementUI::DrawItemText(HDC hDC, const RECT& rcItem) {
    if (m_sText.IsEmpty() || !m_pOwner) return;
    if (TListInfoUI* info = m_pOwner->GetListInfo()) PaintListRowText(hDC, m_pManager, rcItem, m_sText, *info, RowState());
}

}  // namespace UiLib
