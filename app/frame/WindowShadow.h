// The soft shadow the main program's skinned windows cast.
#pragma once

namespace UiLib {
class CPaintManagerUI;
class CShadowUI;
}  // namespace UiLib

// Switches `shadow` on and attaches it to the manager's window: `size`
// pixels, no offset, grey 0x666666, darkness 150, sharpness 5.
//
// A display that cannot blend layered windows (an X server without a
// compositing manager, as under Xvfb) shows the shadow's transparent parts
// black, over the window itself. Such a display is named by the environment
// variable TORVANIK_WINDOW_SHADOW=off, and the shadow then stays off.
void AttachWindowShadow(UiLib::CShadowUI& shadow, UiLib::CPaintManagerUI* manager, int size);
