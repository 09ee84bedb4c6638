#include "controls/UIListItemPaint.h"

#include "core/manager/UIContainer.h"
#include "core/manager/UIScrollBar.h"
#include "core/render/UIRender.h"

namespace UiLib {

namespace {
bool DrawOrForget(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint, CUiString& image) {
    if (image.IsEmpty()) return false;
    if (CRenderEngine::DrawImageString(hDC, manager, rcItem, rcPaint, image)) return true;
    image.Empty();
    return false;
}

void PaintBottomLine(HDC hDC, const RECT& rcItem, const TListInfoUI& info) {
    if (info.dwLineColor == 0 || !info.bShowHLine) return;
    RECT line = {rcItem.left, rcItem.bottom - 1, rcItem.right, rcItem.bottom - 1};
    CRenderEngine::DrawLine(hDC, line, 1, info.dwLineColor);
}
}  // namespace

void PaintListRowBackground(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                            TListInfoUI& info, const ListRowState& state, CUiString& ownBkImage) {
    const bool evenOrPlain = !info.bAlternateBk || state.index % 2 == 0;
    DWORD colour = evenOrPlain ? info.dwBkColor : 0;
    if (state.hot) colour = info.dwHotBkColor;
    if (state.selected) colour = info.dwSelectedBkColor;
    if (!state.enabled) colour = info.dwDisabledBkColor;
    if (colour > 0xFFFFFF) CRenderEngine::DrawColor(hDC, rcItem, colour);

    bool imageDrawn = false;
    if (!state.enabled) imageDrawn = DrawOrForget(hDC, manager, rcItem, rcPaint, info.sDisabledImage);
    if (!imageDrawn && state.selected) imageDrawn = DrawOrForget(hDC, manager, rcItem, rcPaint, info.sSelectedImage);
    if (!imageDrawn && state.hot) imageDrawn = DrawOrForget(hDC, manager, rcItem, rcPaint, info.sHotImage);
    if (!imageDrawn) {
        if (!ownBkImage.IsEmpty()) {
            if (evenOrPlain) DrawOrForget(hDC, manager, rcItem, rcPaint, ownBkImage);
        } else {
            DrawOrForget(hDC, manager, rcItem, rcPaint, info.sBkImage);
        }
    }
    PaintBottomLine(hDC, rcItem, info);
}

DWORD ListRowTextColor(const TListInfoUI& info, const ListRowState& state) {
    DWORD colour = info.dwTextColor;
    if (state.hot) colour = info.dwHotTextColor;
    if (state.selected) colour = info.dwSelectedTextColor;
    if (!state.enabled) colour = info.dwDisabledTextColor;
    return colour;
}

void PaintListRowText(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const wchar_t* text,
                      const TListInfoUI& info, const ListRowState& state) {
    RECT rc = rcItem;
    rc.left += info.rcTextPadding.left;
    rc.top += info.rcTextPadding.top;
    rc.right -= info.rcTextPadding.right;
    rc.bottom -= info.rcTextPadding.bottom;
    const DWORD colour = ListRowTextColor(info, state);
    if (info.bShowHtml) {
        int links = 0;
        CRenderEngine::DrawRichText(hDC, manager, rc, text, colour, nullptr, nullptr, &links,
                                    DT_SINGLELINE | info.uTextStyle);
    } else {
        CRenderEngine::DrawTextW(hDC, manager, rc, text, colour, info.nFont, DT_SINGLELINE | info.uTextStyle);
    }
}

RECT ListRowRepaintArea(const CControlUI& row) {
    RECT area = row.GetPos();
    CControlUI* parent = row.GetParent();
    CContainerUI* container = parent ? static_cast<CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
    if (!container) return area;
    RECT client = container->GetPos();
    const RECT inset = container->GetInset();
    client.left += inset.left;
    client.top += inset.top;
    client.right -= inset.right;
    client.bottom -= inset.bottom;
    CScrollBarUI* vertical = container->GetVerticalScrollBar();
    if (vertical && vertical->IsVisible()) client.right -= vertical->GetFixedWidth();
    CScrollBarUI* horizontal = container->GetHorizontalScrollBar();
    if (horizontal && horizontal->IsVisible()) client.bottom -= horizontal->GetFixedHeight();
    RECT met = {0, 0, 0, 0};
    ::IntersectRect(&met, &area, &client);
    return met;
}

}  // namespace UiLib
