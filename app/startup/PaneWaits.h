// Start-up helpers that wait on something slow without ever touching a
// window themselves: the network probe, and the two waits that end the
// loading animations once the recommendation and app-centre panes have
// loaded. They report to the frame by messages; the frame answers every
// question about its panes on its own thread.
#pragma once

#include <windows.h>

// The panes a wait can watch, as wParam of kPaneLoadState.
enum class WebPane : WPARAM { Recommend = 1, AppCenter = 2 };

// The frame's answer to kPaneLoadState.
enum PaneState : LRESULT { kPaneLoading = 0, kPaneLoaded = 1, kPaneMissing = 2 };

// True when the public probe host answers its root page with something.
bool NetworkReachable();

// Probes the network once; posts kNetProbeFailed to `frame` when it is down.
HANDLE StartNetCheckThread(HWND frame);

// Asks the frame every `intervalMs` whether the pane has loaded; once it has
// (or the pane does not exist) sends kHideLoading1 (Recommend) or
// kHideLoading2 (AppCenter). Ends without a word when the frame is gone.
int WaitForPane(HWND frame, WebPane pane, DWORD intervalMs = 500);
HANDLE StartPaneWaitThread(HWND frame, WebPane pane);
