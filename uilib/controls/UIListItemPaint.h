// What every kind of list row shares when it paints: the background from
// the owner's row appearance by state, the text colour by state, and the
// area a row repaints (its part inside the parent's client area).
#pragma once
#include "controls/UIListInterfaces.h"
#include "core/manager/UIControl.h"

namespace UiLib {

struct ListRowState {
    int index;
    bool selected;
    bool hot;
    bool enabled;
};

// Fills colour, then the first state image that draws, else the row's own or
// the shared background image, then the horizontal line. Descriptions that
// fail to draw are emptied where they are kept.
void PaintListRowBackground(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                            TListInfoUI& info, const ListRowState& state, CUiString& ownBkImage);

DWORD ListRowTextColor(const TListInfoUI& info, const ListRowState& state);

// A row's own text on one line inside the shared text padding, in the
// colour of its state, with inline tags when the list shows them.
void PaintListRowText(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const wchar_t* text,
                      const TListInfoUI& info, const ListRowState& state);

// The parent's rectangle less its inset and visible scroll bars, met with
// the row's; the whole row when it has no container parent.
RECT ListRowRepaintArea(const CControlUI& row);

}  // namespace UiLib
