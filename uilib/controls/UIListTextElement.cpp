#include "controls/LayoutMath.h"
#include "controls/UIListElement.h"
#include "controls/UIListItemPaint.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <cwchar>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
bool IsMouseEvent(int type) { return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND; }
}  // namespace

CListTextElementUI::~CListTextElementUI() {
    for (int i = 0; i < m_aTexts.GetSize(); ++i) delete static_cast<CUiString*>(m_aTexts.GetAt(i));
}

const wchar_t* CListTextElementUI::GetClass() const { return L"ListTextElementUI"; }

LPVOID CListTextElementUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"ListTextElement")) return static_cast<CListTextElementUI*>(this);
    return CListLabelElementUI::GetInterface(name);
}

UINT CListTextElementUI::GetControlFlags() const {
    return UIFLAG_WANTRETURN | (IsEnabled() && m_nLinks > 0 ? UIFLAG_SETCURSOR : 0);
}

void CListTextElementUI::SetOwner(CControlUI* owner) {
    CListElementUI::SetOwner(owner);
    m_pOwnerList = owner ? static_cast<IListUI*>(owner->GetInterface(L"IList")) : nullptr;
}

bool CListTextElementUI::Select(bool select) { return SelectPlain(select); }

const wchar_t* CListTextElementUI::GetText(int column) const {
    CUiString* text = column >= 0 ? static_cast<CUiString*>(m_aTexts.GetAt(column)) : nullptr;
    return text ? text->GetData() : L"";
}

void CListTextElementUI::SetText(int column, const wchar_t* text) {
    if (column < 0 || column >= kMaxListColumns) return;
    while (m_aTexts.GetSize() <= column) m_aTexts.Add(new CUiString);
    *static_cast<CUiString*>(m_aTexts.GetAt(column)) = text;
    Repaint();
}

RECT CListTextElementUI::GetLinkRect(int link) const {
    return link >= 0 && link < m_nLinks ? m_rcLinks[link] : RECT{0, 0, 0, 0};
}

const wchar_t* CListTextElementUI::ColumnText(int column) {
    IListCallbackUI* callback = m_pOwnerList ? m_pOwnerList->GetTextCallback() : nullptr;
    if (callback) {
        const wchar_t* text = callback->GetItemText(this, m_iIndex, column);
        return text ? text : L"";
    }
    return GetText(column);
}

RECT CListTextElementUI::CellRect(const TListInfoUI& info, int column) const {
    RECT cell = {info.rcColumn[column].left, m_rcItem.top, info.rcColumn[column].right, m_rcItem.bottom};
    return layout::Shrink(cell, info.rcTextPadding);
}

void CListTextElementUI::DrawColumnLine(HDC hDC, const TListInfoUI& info, int column) {
    if (info.dwLineColor == 0 || !info.bShowVLine || column + 1 >= info.nColumns) return;
    const int x = info.rcColumn[column].right - 1;
    CRenderEngine::DrawLine(hDC, RECT{x, m_rcItem.top, x, m_rcItem.bottom - 1}, 1, info.dwLineColor);
}

void CListTextElementUI::DrawItemText(HDC hDC, const RECT&) {
    if (!m_pOwner) return;
    TListInfoUI* info = m_pOwner->GetListInfo();
    const DWORD colour = ListRowTextColor(*info, RowState());
    const UINT style = DT_SINGLELINE | info->uTextStyle;
    int links = 0;
    for (int i = 0; i < info->nColumns && i < kMaxListColumns; ++i) {
        RECT cell = CellRect(*info, i);
        const wchar_t* text = ColumnText(i);
        if (info->bShowHtml) {
            // The row holds at most 8 links over all its columns.
            int room = kMaxLinks - links;
            CRenderEngine::DrawRichText(hDC, m_pManager, cell, text, colour, room > 0 ? &m_rcLinks[links] : nullptr,
                                        room > 0 ? &m_sLinks[links] : nullptr, &room, style);
            links += room;
        } else {
            CRenderEngine::DrawTextW(hDC, m_pManager, cell, text, colour, info->nFont, style);
        }
        DrawColumnLine(hDC, *info, i);
    }
    for (int i = links; i < kMaxLinks; ++i) {
        m_rcLinks[i] = RECT{0, 0, 0, 0};
        m_sLinks[i].Empty();
    }
    m_nLinks = links;
}

SIZE CListTextElementUI::EstimateSize(SIZE) {
    if (!m_pOwner) return SIZE{0, 0};
    TListInfoUI* info = m_pOwner->GetListInfo();
    SIZE size = {m_cxFixed, m_cyFixed};
    if (size.cy == 0 && m_pManager)
        size.cy = m_pManager->GetFontInfo(info->nFont)->tm.tmHeight + 8 + info->rcTextPadding.top +
                  info->rcTextPadding.bottom;
    return size;
}

int CListTextElementUI::LinkAt(POINT pt) const {
    for (int i = 0; i < m_nLinks; ++i)
        if (::PtInRect(&m_rcLinks[i], pt)) return i;
    return -1;
}

void CListTextElementUI::SelectOnPress(TEventUI& event) {
    if (IsEnabled()) {
        if (!m_pOwnerList->GetSingleSelect()) {
            if ((event.wKeyState & MK_CONTROL) != 0) {
                if (IsSelected())
                    m_pOwnerList->UnSelectItem(m_iIndex);
                else
                    m_pOwnerList->SelectMultiItem(m_iIndex, false);
            } else if (!(IsSelected() && m_pOwnerList->GetSelectItemCount() == 1)) {
                m_pOwnerList->SelectItem(m_iIndex, false);
            }
        } else if (!IsSelected()) {
            m_pOwnerList->SelectItem(m_iIndex, false);
        }
        Repaint();
    }
    m_pOwnerList->DoEvent(event);
}

void CListTextElementUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type) && m_pOwnerList) {
        m_pOwnerList->DoEvent(event);
        return;
    }
    const int link = m_nLinks > 0 ? LinkAt(event.ptMouse) : -1;
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (link >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (IsEnabled() && link >= 0) {
            if (m_pManager) m_pManager->SendNotify(this, L"link", link);
            return;
        }
        if (IsEnabled()) {
            if (m_pManager) m_pManager->SendNotify(this, L"itemclick");
            return;
        }
        break;
    case UIEVENT_MOUSEMOVE:
        if (m_nLinks > 0 && link != m_nHoverLink) {
            m_nHoverLink = link;
            Repaint();
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (m_nLinks > 0 && m_nHoverLink != -1) {
            m_nHoverLink = -1;
            Repaint();
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (m_pOwnerList) {
            SelectOnPress(event);
            return;
        }
        break;
    default:
        break;
    }
    CListLabelElementUI::DoEvent(event);
}

}  // namespace UiLib
