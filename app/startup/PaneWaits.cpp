#include "PaneWaits.h"

#include <process.h>

#include "messages/AppMessages.h"
#include "net/WebApi.h"

namespace {

struct PaneJob {
    HWND frame;
    WebPane pane;
};

unsigned __stdcall NetCheckThread(void* argument) {
    const HWND frame = static_cast<HWND>(argument);
    if (!NetworkReachable()) PostMessageW(frame, appmsg::kNetProbeFailed, 0, 0);
    return 1;
}

unsigned __stdcall PaneWaitThread(void* argument) {
    const PaneJob job = *static_cast<PaneJob*>(argument);
    delete static_cast<PaneJob*>(argument);
    return static_cast<unsigned>(WaitForPane(job.frame, job.pane));
}

}  // namespace

bool NetworkReachable() { return !HttpGetToString("", ProbeHost()).empty(); }

HANDLE StartNetCheckThread(HWND frame) {
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &NetCheckThread, frame, 0, nullptr));
}

int WaitForPane(HWND frame, WebPane pane, DWORD intervalMs) {
    const bool recommend = pane == WebPane::Recommend;
    for (;;) {
        DWORD_PTR state = kPaneLoading;
        // A frame that is gone (or hangs) ends the wait; nothing is left to hide.
        if (!IsWindow(frame) || !SendMessageTimeoutW(frame, appmsg::kPaneLoadState, static_cast<WPARAM>(pane), 0,
                                                     SMTO_NORMAL | SMTO_ABORTIFHUNG, 10000, &state))
            return 0;
        if (state != kPaneLoading) break;
        if (recommend) OutputDebugStringA("PNT  ROM 市场 Ing");
        Sleep(intervalMs);
    }
    if (recommend) OutputDebugStringA("PNT  ROM 市场 LoadEnd");
    SendMessageW(frame, recommend ? appmsg::kHideLoading1 : appmsg::kHideLoading2, 0, 0);
    return 1;
}

HANDLE StartPaneWaitThread(HWND frame, WebPane pane) {
    auto* job = new PaneJob{frame, pane};
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &PaneWaitThread, job, 0, nullptr));
    if (!thread) delete job;
    return thread;
}
