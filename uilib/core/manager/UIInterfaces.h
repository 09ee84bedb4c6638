// The interfaces through which windows receive notifications, filter
// messages and translate accelerators.
#pragma once
#include "core/base/UiEvents.h"
#include "core/base/UiLibApi.h"

#include <windows.h>

namespace UiLib {

class UILIB_API INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;
};

class UILIB_API IMessageFilterUI {
public:
    virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

class UILIB_API ITranslateAccelerator {
public:
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;
};

}  // namespace UiLib
