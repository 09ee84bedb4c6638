// Selection, visibility and background handling that both kinds of list row
// share. The plain row and the container row have different base classes, so
// the bodies live here once and each class forwards to them; each row class
// declares this template a friend.
#pragma once
#include "controls/UIListItemPaint.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"

#include <cwchar>

namespace UiLib {

template <typename Row>
struct ListRowBehaviour {
    // A row hidden while selected leaves the list's selection.
    static void AfterVisibilityChange(Row& row) {
        if (row.IsVisible() || !row.m_bSelected) return;
        row.m_bSelected = false;
        if (row.m_pOwner) row.m_pOwner->SelectItem(-1, false);
    }

    static void AfterEnableChange(Row& row) {
        if (!row.IsEnabled()) row.m_uButtonState = 0;
    }

    // "selected" takes its value as a boolean: "false" leaves the row as it
    // is. True when the attribute was this one.
    static bool TakeSelectedAttribute(Row& row, const wchar_t* name, const wchar_t* value) {
        if (std::wcscmp(name, L"selected") != 0) return false;
        if (ParseBoolValue(value)) row.Select(true);
        return true;
    }

    // Invalidates the part of the row that shows inside its parent's client area.
    static void Repaint(Row& row) {
        if (!row.IsVisible() || !row.m_pManager) return;
        RECT area = ListRowRepaintArea(row);
        if (row.ClipToAncestors(area)) row.m_pManager->InvalidateRect(area);
    }

    // Selects through the owner: the list's selection learns of it.
    static bool SelectNotifyingOwner(Row& row, bool select) {
        if (!row.IsEnabled()) return false;
        if (select == row.m_bSelected) return true;
        row.m_bSelected = select;
        if (select && row.m_pOwner) row.m_pOwner->SelectItem(row.m_iIndex, false);
        Repaint(row);
        return true;
    }

    static ListRowState State(const Row& row) {
        return ListRowState{row.m_iIndex, row.m_bSelected, (row.m_uButtonState & Row::kHot) != 0, row.IsEnabled()};
    }

    static void DrawItemBk(Row& row, HDC hDC, const RECT& rcItem) {
        if (!row.m_pOwner) return;
        TListInfoUI* info = row.m_pOwner->GetListInfo();
        if (info) PaintListRowBackground(hDC, row.m_pManager, rcItem, row.m_rcPaint, *info, State(row), row.m_sBkImage);
    }

    // Hover, press, release, double click and Return as every row answers
    // them. True when the event was handled here.
    static bool HandleEvent(Row& row, TEventUI& event) {
        switch (event.Type) {
        case UIEVENT_MOUSEMOVE:
            return true;
        case UIEVENT_MOUSELEAVE:
            row.m_uButtonState &= ~Row::kHot;
            Repaint(row);
            return true;
        case UIEVENT_MOUSEENTER:
            if (row.IsEnabled()) {
                row.m_uButtonState |= Row::kHot;
                Repaint(row);
            }
            return true;
        case UIEVENT_BUTTONDOWN:
        case UIEVENT_RBUTTONDOWN:
            if (row.IsEnabled()) {
                row.Select(true);
                Repaint(row);
            }
            return true;
        case UIEVENT_BUTTONUP:
            if (row.IsEnabled() && row.m_pManager) row.m_pManager->SendNotify(&row, L"itemclick");
            return true;
        case UIEVENT_DBLCLICK:
            if (row.IsEnabled()) {
                row.Activate();
                Repaint(row);
            }
            return true;
        case UIEVENT_KEYDOWN:
            if (row.IsEnabled() && event.chKey == VK_RETURN) {
                row.Activate();
                Repaint(row);
                return true;
            }
            return false;
        default:
            return false;
        }
    }

    static bool Activate(Row& row) {
        if (!row.IsVisible() || !row.IsEnabled()) return false;
        if (row.m_pManager) row.m_pManager->SendNotify(&row, L"itemactivate");
        return true;
    }
};

}  // namespace UiLib
