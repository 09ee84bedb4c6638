// Small arithmetic shared by the layouts' placement code.
#pragma once
#include "core/manager/UIControl.h"

namespace UiLib {
namespace layout {

// Minimum first, then maximum: a maximum below the minimum wins.
inline int Clamp(int value, int minimum, int maximum) {
    if (value < minimum) value = minimum;
    if (value > maximum) value = maximum;
    return value;
}

inline int ClampWidth(const CControlUI* control, int width) {
    return Clamp(width, control->GetMinWidth(), control->GetMaxWidth());
}

inline int ClampHeight(const CControlUI* control, int height) {
    return Clamp(height, control->GetMinHeight(), control->GetMaxHeight());
}

inline RECT Shrink(RECT rc, const RECT& inset) {
    rc.left += inset.left;
    rc.top += inset.top;
    rc.right -= inset.right;
    rc.bottom -= inset.bottom;
    return rc;
}

}  // namespace layout
}  // namespace UiLib
