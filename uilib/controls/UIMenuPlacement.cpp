#include "controls/UIMenuPlacement.h"

namespace UiLib {

RECT PlaceTopMenu(POINT point, SIZE size, DWORD alignment, const RECT& work) {
    const bool leftwards = (alignment & kMenuAlignRight) != 0;
    const bool upwards = (alignment & kMenuAlignBottom) != 0;
    RECT rc;
    rc.left = leftwards ? point.x - size.cx : point.x;
    rc.top = upwards ? point.y - size.cy : point.y;
    // A menu opened near an edge (a tray menu at the bottom-right corner)
    // turns at its point rather than running off the screen.
    if (!leftwards && rc.left + size.cx > work.right) rc.left = point.x - size.cx;
    if (leftwards && rc.left < work.left) rc.left = point.x;
    if (!upwards && rc.top + size.cy > work.bottom) rc.top = point.y - size.cy;
    if (upwards && rc.top < work.top) rc.top = point.y;
    if (rc.left + size.cx > work.right) rc.left = work.right - size.cx;
    if (rc.top + size.cy > work.bottom) rc.top = work.bottom - size.cy;
    if (rc.left < work.left) rc.left = work.left;
    if (rc.top < work.top) rc.top = work.top;
    rc.right = rc.left + size.cx;
    rc.bottom = rc.top + size.cy;
    return rc;
}

RECT PlaceSubMenu(const RECT& parent, int ownerTop, SIZE size, const std::vector<RECT>& earlier, const RECT& work) {
    const int w = size.cx, h = size.cy;
    RECT rc = {parent.right, ownerTop, parent.right + w + 2, ownerTop + h};
    for (const RECT& menu : earlier) {
        if (menu.top >= parent.bottom) {
            rc.bottom = parent.top;
            rc.top = rc.bottom - h;
            break;
        }
        if (menu.left >= parent.right) {
            rc.right = parent.left;
            rc.left = rc.right - w;
            break;
        }
    }
    if (rc.bottom > work.bottom) {
        rc.bottom = rc.top;
        rc.top = rc.bottom - h;
    }
    if (rc.right > work.right) {
        rc.right = parent.left;
        rc.left = rc.right - w;
    }
    if (rc.top < work.top) {
        rc.top = ownerTop;
        rc.bottom = rc.top + h;
    }
    if (rc.left < work.left) {
        rc.left = parent.right;
        rc.right = rc.left + w;
    }
    return rc;
}

}  // namespace UiLib
