// The plug-in's one export: the main program's skin builder calls it for
// the control class "BrevlinsUI" and places the returned page in its window.
#pragma once

#include "core/manager/UIControl.h"
#include "core/manager/UIManager.h"

#ifdef BREVLIN_BUILDING
#define BREVLIN_API extern "C" __declspec(dllexport)
#else
#define BREVLIN_API extern "C" __declspec(dllimport)
#endif
#define BREVLIN_CALL __cdecl

// Builds the flashing page on the host window's paint manager. The host
// owns the returned control (the container it is added to deletes it).
BREVLIN_API UiLib::CControlUI* BREVLIN_CALL new_CBrevlinsUI(UiLib::CPaintManagerUI* host);

// The type the host binds the export to.
using NewBrevlinsUIFn = UiLib::CControlUI*(BREVLIN_CALL*)(UiLib::CPaintManagerUI* host);
