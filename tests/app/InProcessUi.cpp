#include "InProcessUi.h"

#include <cstdint>
#include <string>
#include <vector>

#include "PngWriter.h"
#include "TorvanikProcess.h"
#include "frame/MainFrame.h"
#include "web/WkeEngine.h"

namespace apptest {

void UseInstalledSkin() {
    UiLib::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
    UiLib::CPaintManagerUI::SetResourcePath((InstallationFolder() + L"skin").c_str());
    UiLib::CPaintManagerUI::SetResourceZip(L"Torvanik.zip", false);
    UiLib::WindowImplBase::SetSkinFailureHandler([](UiLib::WindowImplBase*) {});
}

VOvoduReridOro* OpenFrameInProcess() {
    UseInstalledSkin();
    if (!WkeEngine::Instance().Init()) return nullptr;
    auto* frame = new VOvoduReridOro;
    if (!frame->Create(nullptr, L"Kovi刷机", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 800, 600)) return nullptr;
    uiharness::PumpFor(300);
    return frame;
}

UiLib::WindowImplBase* WindowObject(HWND hwnd) {
    if (!IsWindow(hwnd)) return nullptr;
    return dynamic_cast<UiLib::WindowImplBase*>(
        reinterpret_cast<UiLib::CWindowWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
}

void SaveShotIfAsked(const uiharness::Snapshot& shot, const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TORVANIK_SHOT_DIR", folder, MAX_PATH)) return;
    std::vector<uint32_t> argb(shot.pixels.size());
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = 0xFF000000u | shot.pixels[i];
    testsupport::WritePng(std::wstring(folder) + L"\\" + name + L".png", shot.width, shot.height, argb);
}

}  // namespace apptest
