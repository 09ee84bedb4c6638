#include "Startup.h"

#include <objbase.h>

#include "core/manager/UIManager.h"
#include "frame/MainFrame.h"
#include "startup/PrivateFont.h"
#include "util/ProcessUtil.h"
#include "web/WkeEngine.h"

using namespace UiLib;

namespace {

// True when another instance owns the mutex; its frame, if any, is shown.
bool AnotherInstanceRuns() {
    // The handle is kept for the life of the process: the system frees the
    // mutex when the process ends.
    CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (HWND frame = FindWindowW(kMainFrameClass, kMainFrameTitle)) ShowWindow(frame, SW_SHOWNORMAL);
    return true;
}

}  // namespace

int RunTorvanik(HINSTANCE instance) {
    if (AnotherInstanceRuns()) return 1;
    PrivateFont font(GetModuleFolderW() + L"\\" + kInterfaceFontFile);

    CPaintManagerUI::SetInstance(instance);
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"skin").GetData());
    CPaintManagerUI::SetResourceZip(L"Torvanik.zip", false);

    const HRESULT com = CoInitialize(nullptr);
    WkeEngine::Instance().Init();  // without the engine the web panes stay empty
    if (SUCCEEDED(com)) {
        auto* frame = new VOvoduReridOro;
        frame->Create(nullptr, kMainFrameTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 800, 600);
        frame->CenterWindow();
        ShowWindow(frame->GetHWND(), SW_SHOW);
        CPaintManagerUI::MessageLoop();
        // Whatever talks to other processes stops before the engine goes.
        frame->StopServices();
        WkeEngine::Instance().Shutdown();
        CoUninitialize();
    }
    return 0;
}
