// Where menu windows go on the screen: a top menu at its point, turned up or
// left when it would leave the work area; a sub-menu beside its parent menu,
// continuing the direction earlier levels had to take.
#pragma once
#include <windows.h>

#include <vector>

namespace UiLib {

// Alignment bits of a menu's point: the point is the menu's right edge, or
// its bottom edge.
enum : DWORD {
    kMenuAlignRight = 0x08,
    kMenuAlignBottom = 0x10,
};

// The window rectangle of a top menu of `size` (height with insets) at
// `point`. A menu that would cross the work area's bottom or right edge
// opens the other way at the point; one larger than the work area keeps its
// top-left corner inside it.
RECT PlaceTopMenu(POINT point, SIZE size, DWORD alignment, const RECT& work);

// The window rectangle of a sub-menu whose items measure `size` (height
// with insets), opened beside `parent` (the parent menu window) at the
// owner item's screen top. `earlier` are the menu windows opened before the
// parent, in opening order.
RECT PlaceSubMenu(const RECT& parent, int ownerTop, SIZE size, const std::vector<RECT>& earlier, const RECT& work);

}  // namespace UiLib
