// The two records that travel from the paint manager to controls and to the
// window's handlers: input events and notifications.
#pragma once
#include "core/base/UiString.h"

#include <windows.h>

namespace UiLib {

class CControlUI;

struct tagTEventUI {
    int Type;
    CControlUI* pSender;
    DWORD dwTimestamp;
    POINT ptMouse;
    wchar_t chKey;
    WORD wKeyState;
    WPARAM wParam;
    LPARAM lParam;
};

struct tagTNotifyUI {
    CUiString sType;
    CUiString sVirtualWnd;
    CControlUI* pSender;
    DWORD dwTimestamp;
    POINT ptMouse;
    WPARAM wParam;
    LPARAM lParam;
};

typedef tagTEventUI TEventUI;
typedef tagTNotifyUI TNotifyUI;

}  // namespace UiLib
