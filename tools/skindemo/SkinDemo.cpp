// A skinned window opened from the demo skin folder: a quick look at what
// the UI library draws. Closes with its close button or Escape.
#include "core/window/WindowImplBase.h"

#include <windows.h>

using namespace UiLib;

namespace {

class DemoWindow : public WindowImplBase {
public:
    const wchar_t* GetWindowClassName() const override { return L"UiSkinDemoWindow"; }
    CUiString GetSkinDirectory() override { return L"skins\\demo\\"; }
    CUiString GetSkinFileName() override { return L"skin.xml"; }
    void OnFinalMessage(HWND hWnd) override {
        WindowImplBase::OnFinalMessage(hWnd);
        ::PostQuitMessage(0);
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    CPaintManagerUI::SetInstance(instance);
    DemoWindow window;
    if (!window.Create(nullptr, L"Skin demo", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 0, 0, 420,
                       260))
        return 1;
    window.CenterWindow();
    window.ShowWindow(true, true);
    CPaintManagerUI::MessageLoop();
    return 0;
}
