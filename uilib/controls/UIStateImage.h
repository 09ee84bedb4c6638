// State images of controls: the focused and disabled state bits taken from
// the control, and drawing where an image that fails to draw has its
// description emptied, so that it is not tried again.
#pragma once
#include "core/manager/UIControl.h"

namespace UiLib {

// Button-state bits shared by the controls that paint state images.
constexpr UINT kStateFocused = 0x01;
constexpr UINT kStateDisabled = 0x04;

// `state` with its focused and disabled bits set from the control.
inline UINT WithFocusAndEnabledBits(const CControlUI& control, UINT state) {
    state = control.IsFocused() ? (state | kStateFocused) : (state & ~kStateFocused);
    return control.IsEnabled() ? (state & ~kStateDisabled) : (state | kStateDisabled);
}

inline bool DrawImageOrForget(CControlUI& control, HDC hDC, CUiString& image, const wchar_t* modify = nullptr) {
    if (image.IsEmpty()) return false;
    if (control.DrawImage(hDC, image, modify)) return true;
    image.Empty();
    return false;
}

}  // namespace UiLib
