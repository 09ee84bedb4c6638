// Skinned windows: the same skin opened from a folder, a zip file and a zip
// resource; includes, defaults, styles and unknown elements; the skin-failure
// path; modal loops, centring, caption hit-testing and the system buttons.
#include "UiHarness.h"
#include "TestPaths.h"
#include "core/window/UIDlgBuilder.h"
#include "core/window/WindowImplBase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

// Stands for a button: hit-testing treats it as clickable.
class FakeButton : public CControlUI {
public:
    const wchar_t* GetClass() const override { return L"ButtonUI"; }
};

struct SkinSource {
    const char* label;
    UILIB_RESOURCETYPE type;
    const wchar_t* zip;
    const wchar_t* resourceId;
};

class SkinWindow : public WindowImplBase {
public:
    explicit SkinWindow(SkinSource source, std::wstring skin = L"skin.xml") : source_(source), skin_(skin) {}

    const wchar_t* GetWindowClassName() const override { return L"UiSkinTestWindow"; }
    CUiString GetSkinDirectory() override { return L""; }
    CUiString GetSkinFileName() override { return skin_.c_str(); }
    UILIB_RESOURCETYPE GetResourceType() const override { return source_.type; }
    CUiString GetZIPFileName() const override { return source_.zip; }
    const wchar_t* GetResourceID() const override { return source_.resourceId; }

    CControlUI* CreateControl(const wchar_t* pstrClass) override {
        asked.push_back(pstrClass);
        if (std::wstring(pstrClass) == L"Widget") return new CControlUI;
        if (std::wstring(pstrClass) == L"Clicker") return new FakeButton;
        return nullptr;
    }
    void OnWindowReady() override { ++ready; }
    void OnFinalMessage(HWND hWnd) override {
        WindowImplBase::OnFinalMessage(hWnd);
        ++finals;
    }

    HWND Open(HWND owner = nullptr) {
        return Create(owner, L"skin test", WS_POPUP,
                      0, 40, 40, 100, 100);
    }
    CControlUI* Find(const wchar_t* name) { return m_PaintManager.FindControl(name); }

    std::vector<std::wstring> asked;
    int ready = 0;
    int finals = 0;

private:
    SkinSource source_;
    std::wstring skin_;
};

std::wstring SkinFolder() { return testsupport::ProgramFolder() + L"skins\\small\\"; }

// Points the process at the skin folder with no archive.
void UseSkinFolder(const std::wstring& folder) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourceZip(nullptr, false);
    CPaintManagerUI::SetResourcePath(folder.c_str());
}

// One line per control, depth first: class, name, position and background.
void DumpTree(CControlUI* control, std::wstring& out) {
    RECT rc = control->GetPos();
    wchar_t line[200];
    swprintf(line, 200, L"%ls:%ls:%ld,%ld,%ld,%ld:%08lX\n", control->GetClass(), control->GetName().GetData(),
             rc.left, rc.top, rc.right, rc.bottom, static_cast<unsigned long>(control->GetBkColor()));
    out += line;
    auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i) DumpTree(container->GetItemAt(i), out);
}

const wchar_t kExpectedTree[] =
    L"ContainerUI:root:0,0,300,200:FFFFFFFF\n"
    L"ControlUI:title:0,0,300,30:FF102030\n"
    L"ControlUI:styled:10,40,60,90:FF0000FF\n"
    L"ControlUI:defaulted:70,40,120,90:FF00FF00\n"
    L"ControlUI:inc:130,40,180,90:FFFFFF00\n"
    L"ControlUI:inc:130,40,180,90:FFFFFF00\n"
    L"ControlUI:custom:200,40,250,90:FFFF0000\n"
    L"ButtonUI:closebtn:260,0,290,30:FF808080\n";

class SkinSources : public ::testing::TestWithParam<SkinSource> {};

TEST_P(SkinSources, TheSameSkinBuildsTheSameWindow) {
    UseSkinFolder(GetParam().type == UILIB_ZIP ? testsupport::ProgramFolder() + L"skins\\" : SkinFolder());
    SkinWindow window(GetParam());
    ASSERT_NE(window.Open(), nullptr);
    window.ShowWindow(true, false);
    PumpFor(200);

    RECT rc;
    ::GetWindowRect(window, &rc);
    EXPECT_EQ(rc.right - rc.left, 300);  // the skin's "size"
    EXPECT_EQ(rc.bottom - rc.top, 200);
    EXPECT_EQ(window.ready, 1);
    EXPECT_EQ(window.asked, (std::vector<std::wstring>{L"Widget", L"Clicker"}));

    std::wstring tree;
    ASSERT_NE(window.m_PaintManager.GetRoot(), nullptr);
    DumpTree(window.m_PaintManager.GetRoot(), tree);
    EXPECT_EQ(tree, kExpectedTree);

    Snapshot shot = CaptureWindow(window);
    EXPECT_EQ(shot.At(30, 60), 0x0000FFu);   // style
    EXPECT_EQ(shot.At(90, 60), 0x00FF00u);   // default list
    EXPECT_EQ(shot.At(150, 60), 0xFFFF00u);  // included
    EXPECT_EQ(shot.At(220, 60), 0xFF0000u);  // made by the callback
    EXPECT_EQ(shot.At(150, 150), 0xFFFFFFu);

    ::DestroyWindow(window);
    EXPECT_EQ(window.finals, 1);
    EXPECT_EQ(window.m_PaintManager.GetRoot(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Window, SkinSources,
                         ::testing::Values(SkinSource{"folder", UILIB_FILE, L"", L""},
                                           SkinSource{"zipfile", UILIB_ZIP, L"small_skin.zip", L""},
                                           SkinSource{"zipres", UILIB_ZIPRESOURCE, L"", L"SMALLSKIN"}),
                         [](const ::testing::TestParamInfo<SkinSource>& info) { return info.param.label; });

int g_failures = 0;
void CountFailure(WindowImplBase*) { ++g_failures; }

TEST(Window, SkinsThatCannotLoadGoToTheFailureHandler) {
    WindowImplBase::SetSkinFailureHandler(&CountFailure);
    // A skin that cannot be built fails the window's creation; a missing zip
    // resource leaves an empty window and says nothing.
    struct Case {
        SkinSource source;
        const wchar_t* skin;
        bool windowMade;
        int failures;
    } cases[] = {
        {{"missing file", UILIB_FILE, L"", L""}, L"absent.xml", false, 1},
        {{"broken zip file", UILIB_ZIP, L"absent.zip", L""}, L"skin.xml", false, 1},
        {{"missing zip resource", UILIB_ZIPRESOURCE, L"", L"NOSUCHSKIN"}, L"skin.xml", true, 0},
    };
    for (const Case& c : cases) {
        UseSkinFolder(SkinFolder());
        g_failures = 0;
        SkinWindow window(c.source, c.skin);
        HWND hwnd = window.Open();
        EXPECT_EQ(hwnd != nullptr, c.windowMade) << c.source.label;
        EXPECT_EQ(g_failures, c.failures) << c.source.label;
        EXPECT_EQ(window.m_PaintManager.GetRoot(), nullptr) << c.source.label;
        EXPECT_EQ(window.ready, 0) << c.source.label;
        if (hwnd) ::DestroyWindow(hwnd);
    }
    WindowImplBase::SetSkinFailureHandler(nullptr);
}

// The default handler tells the user and then asks the message loop to end:
// the library never ends its host process itself.
TEST(Window, ByDefaultASkinFailureEndsTheMessageLoopNotTheProcess) {
    UseSkinFolder(SkinFolder());
    std::atomic<bool> boxSeen{false}, opened{false};
    std::thread dismisser([&] {
        while (!opened) {
            HWND box = FindWindowW(L"#32770", L"UiLib");
            if (box) {
                boxSeen = true;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            Sleep(20);
        }
    });
    SkinWindow window({"missing file", UILIB_FILE, L"", L""}, L"absent.xml");
    HWND hwnd = window.Open();
    opened = true;
    dismisser.join();
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_TRUE(boxSeen);
    MSG quit = {};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 1u);
}

TEST(Window, CaptionAndBordersHitTest) {
    UseSkinFolder(SkinFolder());
    SkinWindow window({"folder", UILIB_FILE, L"", L""});
    ASSERT_NE(window.Open(), nullptr);
    window.ShowWindow(true, false);
    PumpFor(150);
    struct Case {
        int x, y;
        LRESULT expected;
    } cases[] = {
        {100, 15, HTCAPTION},     // a plain control in the caption drags the window
        {270, 15, HTCLIENT},      // a button in the caption stays clickable
        {150, 100, HTCLIENT},     // below the caption
        {1, 100, HTLEFT},         {298, 100, HTRIGHT},     {150, 198, HTBOTTOM},
        {1, 1, HTTOPLEFT},        {298, 198, HTBOTTOMRIGHT},
    };
    for (const Case& c : cases) {
        POINT pt = {c.x, c.y};
        ::ClientToScreen(window, &pt);
        EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), c.expected)
            << c.x << "," << c.y;
    }
    ::DestroyWindow(window);
}

TEST(Window, ModalLoopReturnsTheCloseCodeAndRepeatsQuit) {
    UseSkinFolder(SkinFolder());
    HarnessWindow owner;
    {
        SkinWindow window({"folder", UILIB_FILE, L"", L""});
        ASSERT_NE(window.Open(owner.Hwnd()), nullptr);
        // The close button posts WM_CLOSE with 8.
        window.m_PaintManager.SendNotify(window.Find(L"closebtn"), L"click");
        EXPECT_EQ(window.ShowModal(), 8u);
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_TRUE(::IsWindowEnabled(owner.Hwnd()));
    }
    {
        SkinWindow window({"folder", UILIB_FILE, L"", L""});
        ASSERT_NE(window.Open(owner.Hwnd()), nullptr);
        window.Close(42);
        EXPECT_EQ(window.ShowModal(), 42u);
    }
    {
        SkinWindow window({"folder", UILIB_FILE, L"", L""});
        ASSERT_NE(window.Open(owner.Hwnd()), nullptr);
        ::PostQuitMessage(5);
        EXPECT_EQ(window.ShowModal(), 0u);
        EXPECT_TRUE(::IsWindowEnabled(owner.Hwnd()));
        MSG msg;
        ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(msg.wParam, 5u);
        ::DestroyWindow(window);
    }
}

TEST(Window, CentringUsesTheWorkAreaOrTheOwnerAndStaysOnScreen) {
    UseSkinFolder(SkinFolder());
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    {
        SkinWindow window({"folder", UILIB_FILE, L"", L""});
        ASSERT_NE(window.Open(), nullptr);
        window.CenterWindow();
        RECT rc;
        ::GetWindowRect(window, &rc);
        EXPECT_EQ(rc.left, (work.left + work.right) / 2 - 150);
        EXPECT_EQ(rc.top, (work.top + work.bottom) / 2 - 100);
        ::DestroyWindow(window);
    }
    {
        // An owner in the top-left corner, smaller than the window: pushed back onto the work area.
        HWND owner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, work.left, work.top, 50, 50, nullptr, nullptr,
                                       nullptr, nullptr);
        SkinWindow window({"folder", UILIB_FILE, L"", L""});
        ASSERT_NE(window.Open(owner), nullptr);
        window.CenterWindow();
        RECT rc;
        ::GetWindowRect(window, &rc);
        EXPECT_EQ(rc.left, work.left);
        EXPECT_EQ(rc.top, work.top);
        ::DestroyWindow(window);
        ::DestroyWindow(owner);
    }
}

TEST(Window, MaximiseWithoutARestoreButtonHidesTheMaximiseButton) {
    UseSkinFolder(SkinFolder());
    std::wstring skin =
        L"<Window size=\"200,100\"><Container><Control name=\"maxbtn\" /></Container></Window>";
    SkinWindow window({"text", UILIB_FILE, L"", L""}, skin);
    ASSERT_NE(window.Open(), nullptr);
    window.ShowWindow(true, false);
    PumpFor(100);
    window.SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    PumpFor(100);
    ASSERT_TRUE(::IsZoomed(window));
    EXPECT_FALSE(window.Find(L"maxbtn")->IsVisible());
    window.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(100);
    EXPECT_TRUE(window.Find(L"maxbtn")->IsVisible());
    ::DestroyWindow(window);
}

TEST(Window, AMarkupResourceIncludesResourcesByNumber) {
    UseSkinFolder(SkinFolder());
    SkinWindow window({"xml", UILIB_RESOURCE, L"", L""}, L"201");
    ASSERT_NE(window.Open(), nullptr);
    auto* root = static_cast<CContainerUI*>(window.m_PaintManager.GetRoot());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetCount(), 3);
    EXPECT_EQ(root->GetBkColor(), 0xFF000080u);
    ::DestroyWindow(window);
}

// ---- native windows ----

class CountingWindow : public CWindowWnd {
public:
    explicit CountingWindow(const wchar_t* superClass = nullptr) : superClass_(superClass) {}
    const wchar_t* GetWindowClassName() const override { return superClass_ ? L"UiTestSuperButton" : L"UiTestPlain"; }
    const wchar_t* GetSuperClassName() const override { return superClass_; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_APP) ++appMessages;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override { ++finals; }
    bool IsSubclassed() const { return m_bSubclassed; }

    int appMessages = 0;
    int finals = 0;

private:
    const wchar_t* superClass_;
};

TEST(NativeWindow, RegisteredSuperclassedAndSubclassedWindowsRouteToTheObject) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CountingWindow plain, button(L"BUTTON"), adopted;
    ASSERT_NE(plain.Create(nullptr, L"plain", WS_POPUP, 0), nullptr);
    ASSERT_NE(button.Create(nullptr, L"caption", WS_POPUP | BS_PUSHBUTTON, 0), nullptr);
    wchar_t text[32] = {};
    ::GetWindowTextW(button, text, 32);  // the system class's own procedure keeps the text
    EXPECT_STREQ(text, L"caption");

    HWND stat = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    WNDPROC original = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(stat, GWLP_WNDPROC));
    ASSERT_EQ(adopted.Subclass(stat), stat);
    EXPECT_TRUE(adopted.IsSubclassed());

    for (CountingWindow* window : {&plain, &button, &adopted}) ::SendMessageW(*window, WM_APP, 0, 0);
    for (CountingWindow* window : {&plain, &button, &adopted}) EXPECT_EQ(window->appMessages, 1);

    adopted.RestoreWindowProc();
    EXPECT_FALSE(adopted.IsSubclassed());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(stat, GWLP_WNDPROC)), original);
    ::SendMessageW(stat, WM_APP, 0, 0);
    EXPECT_EQ(adopted.appMessages, 1);

    for (CountingWindow* window : {&plain, &button}) {
        ::DestroyWindow(*window);
        EXPECT_EQ(window->GetHWND(), nullptr);
        EXPECT_EQ(window->finals, 1);
    }
    ::DestroyWindow(stat);
}

// ---- notification maps ----

class MappedWindow : public WindowImplBase {
public:
    const wchar_t* GetWindowClassName() const override { return L"UiTestMapped"; }
    CUiString GetSkinDirectory() override { return L""; }
    CUiString GetSkinFileName() override { return L""; }

    void OnNamed(TNotifyUI&) { calls.push_back(L"named"); }
    void OnAny(TNotifyUI& msg) { calls.push_back(L"any:" + msg.pSender->GetName().ToWideString()); }
    void OnParams(WPARAM wParam, LPARAM lParam) { calls.push_back(L"params:" + std::to_wstring(wParam + lParam)); }
    void OnClick(TNotifyUI& msg) override { calls.push_back(L"click:" + msg.pSender->GetName().ToWideString()); }

    std::vector<std::wstring> calls;
    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(MappedWindow, WindowImplBase)
UI_ON_MSGTYPE(L"selectchanged", OnAny)
UI_ON_MSGTYPE_CTRNAME(L"selectchanged", L"special", OnNamed)
UI_ON_MSGTYPE_PARAMS(L"valuechanged", L"", OnParams)
UI_END_MESSAGE_MAP()

class OtherPump : public CNotifyPump {
public:
    void OnAny(TNotifyUI&) { ++calls; }
    int calls = 0;
    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(OtherPump, CNotifyPump)
UI_ON_MSGTYPE(L"selectchanged", OnAny)
UI_END_MESSAGE_MAP()

TEST(NotifyPump, NamedEntriesWinAndBaseMapsAndVirtualWindowsAreFollowed) {
    MappedWindow window;
    OtherPump other;
    ASSERT_TRUE(window.AddVirtualWnd(L"Page", &other));
    CControlUI special, plain;
    special.SetName(L"special");
    plain.SetName(L"plain");
    auto notify = [&window](CControlUI* sender, const wchar_t* type, const wchar_t* virtualWnd = L"") {
        TNotifyUI msg = {};
        msg.sType = type;
        msg.sVirtualWnd = virtualWnd;
        msg.pSender = sender;
        msg.wParam = 2;
        msg.lParam = 3;
        window.Notify(msg);
    };
    notify(&special, L"selectchanged");
    notify(&plain, L"selectchanged");
    notify(&plain, L"valuechanged");
    notify(&plain, L"click");               // from the base window's map
    notify(&plain, L"SelectChanged");       // types are case-sensitive
    notify(&plain, L"selectchanged", L"page");  // virtual window names are not
    EXPECT_EQ(window.calls, (std::vector<std::wstring>{L"named", L"any:plain", L"params:5", L"click:plain"}));
    EXPECT_EQ(other.calls, 1);
}

// ---- the builder on its own ----

class RecordingCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* pstrClass) override {
        names.push_back(pstrClass);
        if (std::wstring(pstrClass) != L"Rec") return nullptr;
        auto* control = new RecordingControl;
        control->destroyed = &destroyed;
        return control;
    }
    std::vector<std::wstring> names;
    bool destroyed = false;
};

TEST(Builder, ControlsUnderANonContainerAreDestroyed) {
    RecordingCallback callback;
    CControlUI parent;
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(L"<Window><Rec/></Window>", nullptr, &callback, nullptr, &parent), nullptr);
    EXPECT_TRUE(callback.destroyed);
}

TEST(Builder, UnknownAndLowerCaseNamesGoToTheCallback) {
    RecordingCallback callback;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><Container><button/><Control/><Gadget/></Container></Window>",
                                      nullptr, &callback, nullptr, nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(callback.names, (std::vector<std::wstring>{L"button", L"Gadget"}));
    EXPECT_EQ(static_cast<CContainerUI*>(root)->GetCount(), 1);
    delete root;
}

TEST(Builder, ASelfIncludingSkinStopsAtTheDepthCap) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(
        dir.File(L"self.xml"), "<Window><Control /><Include source=\"self.xml\" /></Window>"));
    UseSkinFolder(dir.Path());
    CContainerUI parent;
    CDialogBuilder builder;
    builder.Create(L"self.xml", nullptr, nullptr, nullptr, &parent);
    EXPECT_EQ(parent.GetCount(), CDialogBuilder::MAX_INCLUDE_DEPTH + 1);
}

TEST(Builder, AnyRootGetsResourcesButOnlyWindowGetsWindowSettings) {
    CPaintManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Skin mininfo=\"50,50\"><Font name=\"Arial\"/><Control/></Skin>", nullptr,
                                      nullptr, &manager, nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(manager.GetFontCount(), 1);
    EXPECT_EQ(manager.GetFontInfo(0)->iSize, 12);  // the default size
    EXPECT_EQ(manager.GetMinInfo().cx, 0);
    delete root;
}

TEST(Builder, FontsAndStyleGroupsReachTheManager) {
    CPaintManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window mininfo=\"120,80\" roundcorner=\"3,4\"><Font name=\"Tahoma\" size=\"11\"/>"
        L"<Font name=\"Arial\" size=\"14\" bold=\"true\"/><Styles name=\"a\"><Style stylename=\"s\" width=\"7\"/>"
        L"</Styles><Styles name=\"b\" inherit=\"a\" default=\"true\"><Style stylename=\"t\" height=\"9\"/></Styles>"
        L"<Control style=\"s\" name=\"t\"/></Window>",
        nullptr, nullptr, &manager, nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(manager.GetFontCount(), 2);
    EXPECT_EQ(manager.GetFontInfo(1)->iSize, 14);
    EXPECT_TRUE(manager.GetFontInfo(1)->bBold);
    EXPECT_EQ(manager.GetMinInfo().cx, 120);
    EXPECT_EQ(manager.GetRoundCorner().cy, 4);
    EXPECT_STREQ(manager.GetCurrentStyleSheet(), L"b");
    EXPECT_EQ(root->GetFixedWidth(), 7);   // inherited from group "a"
    EXPECT_EQ(root->GetFixedHeight(), 9);  // picked by the control's name
    delete root;
}

}  // namespace
