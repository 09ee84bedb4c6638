// A notification record as the page's own code delivers it directly.
#pragma once

#include <windows.h>

#include "core/base/UiEvents.h"

inline UiLib::TNotifyUI MakeNotify(const wchar_t* type, UiLib::CControlUI* sender = nullptr) {
    UiLib::TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.dwTimestamp = GetTickCount();
    msg.ptMouse = {0, 0};
    msg.wParam = 0;
    msg.lParam = 0;
    return msg;
}
