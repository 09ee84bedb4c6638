// The my-phone panel: a container whose content is built from the skin file
// "MyCellphone.xml" for the frame's paint manager.
#pragma once

#include "core/manager/UIContainer.h"
#include "core/manager/UIManager.h"

class CMyphoneUI : public UiLib::CContainerUI {
public:
    explicit CMyphoneUI(UiLib::CPaintManagerUI* manager);

    // The panel's own element factory: "GifAnim" gets an animated GIF control
    // once the library has one; anything else none.
    virtual UiLib::CControlUI* CreateControl(const wchar_t* className);
    // 0 when the notification is "windowinit" (any case), else non-zero.
    virtual int CompareWindowInit(UiLib::TNotifyUI& msg);
};
