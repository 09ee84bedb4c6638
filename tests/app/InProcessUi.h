// Helpers for tests that run the program's windows inside the test process:
// the installed skin, the window object behind a window handle, and a PNG of
// what a window painted for a person to look at.
#pragma once

#include <windows.h>

#include "UiHarness.h"
#include "core/window/WindowImplBase.h"

class VOvoduReridOro;

namespace apptest {

// Points the UI library at the installation's skin folder and archive, as the
// program does; a skin that cannot load fails the test instead of stopping
// it in a message box.
void UseInstalledSkin();

// The real main frame in this process, over the installed skin and the web
// engine stand-in, shown and settled; none when it cannot be made.
VOvoduReridOro* OpenFrameInProcess();

// The skinned window object of a window handle, or none.
UiLib::WindowImplBase* WindowObject(HWND hwnd);

// Saves the picture as <name>.png in the folder that the environment
// variable TORVANIK_SHOT_DIR names; nothing when it is not set.
void SaveShotIfAsked(const uiharness::Snapshot& shot, const wchar_t* name);

}  // namespace apptest
