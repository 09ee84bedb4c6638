// Drawing of a control's state image: an image that fails to draw has its
// description emptied, so that it is not tried again.
#pragma once
#include "core/manager/UIControl.h"

namespace UiLib {

inline bool DrawImageOrForget(CControlUI& control, HDC hDC, CUiString& image, const wchar_t* modify = nullptr) {
    if (image.IsEmpty()) return false;
    if (control.DrawImage(hDC, image, modify)) return true;
    image.Empty();
    return false;
}

}  // namespace UiLib
