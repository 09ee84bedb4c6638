// The frame's menu messages in-process (the item name travels as a pointer):
// the exit item closes the downloader and leaves through the message loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "AdbTestPeers.h"
#include "TorvanikProcess.h"
#include "core/manager/UIManager.h"
#include "frame/MainFrame.h"
#include "web/WkeEngine.h"

using namespace UiLib;

namespace {

bool QuitPosted() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return true;
        DispatchMessageW(&msg);
    }
    return false;
}

}  // namespace

TEST(MainFrameMenu, ExitClosesTheDownloaderAndEndsTheMessageLoop) {
    // The frame's start-up probe asks for a phone: a running server answers
    // it, so no server of the probe's own outlives the test.
    AdbServerPeer adb;
    CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourcePath((apptest::InstallationFolder() + L"skin").c_str());
    CPaintManagerUI::SetResourceZip(L"Torvanik.zip", false);
    ASSERT_TRUE(WkeEngine::Instance().Init());
    // A skin that cannot load fails the test instead of stopping it in a message box.
    WindowImplBase::SetSkinFailureHandler([](WindowImplBase*) {});

    auto downloader = std::make_unique<apptest::DownloaderWindow>();

    auto* frame = new VOvoduReridOro;
    ASSERT_NE(nullptr, frame->Create(nullptr, L"Kovi刷机", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 800, 600));
    EXPECT_FALSE(QuitPosted());

    const wchar_t other[] = L"AppGovernment";  // not an item: nothing happens
    SendMessageW(frame->GetHWND(), VOvoduReridOro::kMenuClick, reinterpret_cast<WPARAM>(other), 0);
    EXPECT_FALSE(QuitPosted());
    EXPECT_EQ(0, downloader->Closes());

    const wchar_t exitItem[] = L"Menu_Main_Exit";
    SendMessageW(frame->GetHWND(), VOvoduReridOro::kMenuClick, reinterpret_cast<WPARAM>(exitItem), 0);
    EXPECT_EQ(1, downloader->Closes());
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(IsWindow(frame->GetHWND()));  // the frame itself stays until the process ends

    // Destroying the frame (which the program itself never does) deletes it and
    // closes the downloader once more.
    DestroyWindow(frame->GetHWND());
    EXPECT_EQ(2, downloader->Closes());
}
