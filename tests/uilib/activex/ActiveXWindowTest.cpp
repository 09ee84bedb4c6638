// The ActiveX host in real windows, with the COM stand-in module loaded by
// module name: creation steps in order, delayed and immediate creation,
// failures that leave nothing alive, a windowless object drawn into the
// window and given the mouse only where it is hit, a windowed object in its
// own child window, and teardown with every reference given back.
#include "StandInClient.h"
#include "UiHarness.h"
#include "controls/UIActiveX.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

const wchar_t kWindowlessId[] = L"{5A1E0001-7C3B-4D2A-9E61-3F0B8C1D2E01}";
const wchar_t kWindowedId[] = L"{5A1E0002-7C3B-4D2A-9E61-3F0B8C1D2E01}";
const wchar_t kFailingId[] = L"{5A1E0003-7C3B-4D2A-9E61-3F0B8C1D2E01}";
const wchar_t kPlainViewId[] = L"{5A1E0004-7C3B-4D2A-9E61-3F0B8C1D2E01}";
const wchar_t kUnknownId[] = L"{5A1E00FF-7C3B-4D2A-9E61-3F0B8C1D2E01}";

// A 100 x 60 ActiveX control at (20, 30) of a 200 x 150 window.
std::wstring Skin(const wchar_t* clsid, const wchar_t* extra = L"") {
    return std::wstring(L"<Window><Container><ActiveX name=\"ax\" float=\"true\" pos=\"20,30,120,90\" "
                        L"modulename=\"ComControlsStandIn.dll\" clsid=\"") +
           clsid + L"\" " + extra + L"/></Container></Window>";
}

struct HostWindow {
    explicit HostWindow(const std::wstring& skin) {
        window.reset(new HarnessWindow(200, 150));
        window->Manager().AddNotifier(&notifier);
        CDialogBuilder builder;
        CControlUI* root = builder.Create(STRINGorID(skin.c_str()), nullptr, nullptr, &window->Manager());
        if (!root) return;
        shown = window->Show(root);
        control = static_cast<CActiveXUI*>(window->Manager().FindControl(L"ax"));
    }
    // Destroys the window and with it the control tree.
    void Close() { window.reset(); }

    RecordingNotifier notifier;
    std::unique_ptr<HarnessWindow> window;
    CActiveXUI* control = nullptr;
    bool shown = false;
};

class ActiveXTest : public ComTest {};

TEST_F(ActiveXTest, WindowlessObjectIsCreatedAtFirstLayoutAndDrawn) {
    StandInClient standIn;
    ASSERT_TRUE(standIn.Loaded());
    HostWindow host(Skin(kWindowlessId));
    ASSERT_TRUE(host.shown);
    ASSERT_NE(host.control, nullptr);

    // The container's calls, in the order the host makes them.
    const wchar_t* const steps[] = {L"created", L"InitNew", L"SetClientSite", L"SetHostNames UIActiveX",
                                    L"DoVerb -5", L"activated windowless ok", L"SetSite"};
    const std::wstring log = standIn.Log();
    size_t at = 0;
    for (const wchar_t* step : steps) {
        const size_t next = log.find(std::wstring(L"windowless ") + step + L"\n", at);
        ASSERT_NE(next, std::wstring::npos) << "missing or out of order: " << testing::PrintToString(std::wstring(step));
        at = next;
    }
    EXPECT_TRUE(standIn.Logged(L"windowless SetObjectRects 20,30,120,90"));
    EXPECT_EQ(host.notifier.Count(L"showactivex"), 1);
    EXPECT_EQ(host.control->GetHostWindow(), host.window->Hwnd());

    // The object draws itself into the window's paint.
    Snapshot shot = host.window->Capture();
    EXPECT_EQ(shot.At(70, 60), 0xFF8000u);
    EXPECT_NE(shot.At(10, 10), 0xFF8000u);

    IOleObject* object = nullptr;
    EXPECT_EQ(host.control->GetControl(IID_IOleObject, reinterpret_cast<LPVOID*>(&object)), S_OK);
    ASSERT_NE(object, nullptr);
    object->Release();
}

TEST_F(ActiveXTest, WindowlessObjectGetsTheMouseOnlyWhereItIsHitOrHoldsTheCapture) {
    StandInClient standIn;
    HostWindow host(Skin(kWindowlessId));
    ASSERT_TRUE(host.shown);
    // The stand-in answers hits on its left half (x 20 to 69).
    standIn.ClearLog();
    host.window->MouseMove(90, 60);
    EXPECT_FALSE(standIn.Logged(L"windowless message 0x200"));
    host.window->MouseMove(40, 60);
    EXPECT_TRUE(standIn.Logged(L"windowless message 0x200"));

    // Pressed on the hit half, the object takes the capture and then sees
    // moves anywhere until it lets go.
    host.window->MouseDown(40, 60);
    EXPECT_TRUE(standIn.Logged(L"windowless message 0x201"));
    standIn.ClearLog();
    host.window->MouseMove(100, 60);
    EXPECT_TRUE(standIn.Logged(L"windowless message 0x200"));
    host.window->MouseUp(100, 60);
    EXPECT_TRUE(standIn.Logged(L"windowless message 0x202"));
    standIn.ClearLog();
    host.window->MouseMove(100, 61);
    EXPECT_FALSE(standIn.Logged(L"windowless message 0x200"));
    ::ReleaseCapture();
}

TEST_F(ActiveXTest, WindowlessObjectWithoutHitTestingGetsNoMouse) {
    StandInClient standIn;
    HostWindow host(Skin(kPlainViewId));
    ASSERT_TRUE(host.shown);
    EXPECT_TRUE(standIn.Logged(L"plainview activated windowless ok"));
    Snapshot shot = host.window->Capture();
    EXPECT_EQ(shot.At(70, 60), 0xFF8000u);  // drawn through its plain view object
    standIn.ClearLog();
    host.window->MouseMove(40, 60);
    host.window->MouseDown(40, 60);
    host.window->MouseUp(40, 60);
    EXPECT_EQ(standIn.Log().find(L"plainview message"), std::wstring::npos);
}

TEST_F(ActiveXTest, TeardownGivesEveryReferenceBack) {
    StandInClient standIn;
    const struct {
        const char* name;
        const wchar_t* clsid;
        const wchar_t* object;
    } cases[] = {{"windowless", kWindowlessId, L"windowless"}, {"windowed", kWindowedId, L"windowed"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            HostWindow host(Skin(c.clsid));
            ASSERT_TRUE(host.shown);
            EXPECT_GT(standIn.LiveObjects(), 0);
            standIn.ClearLog();
            host.Close();
        }
        const std::wstring object = c.object;
        EXPECT_TRUE(standIn.Logged(object + L" SetSite null"));
        EXPECT_TRUE(standIn.Logged(object + L" Close"));
        EXPECT_TRUE(standIn.Logged(object + L" SetClientSite null"));
        EXPECT_TRUE(standIn.Logged(object + L" destroyed"));
        EXPECT_EQ(standIn.LiveObjects(), 0);
    }
}

TEST_F(ActiveXTest, WindowedObjectLivesInAChildWindowThatFollowsTheControl) {
    StandInClient standIn;
    HostWindow host(Skin(kWindowedId));
    ASSERT_TRUE(host.shown);
    HWND child = host.control->GetHostWindow();
    ASSERT_NE(child, nullptr);
    ASSERT_NE(child, host.window->Hwnd());
    wchar_t className[64] = {};
    ::GetClassNameW(child, className, 64);
    EXPECT_STREQ(className, L"ActiveXWnd");
    EXPECT_EQ(::GetParent(child), host.window->Hwnd());
    RECT placed;
    ::GetWindowRect(child, &placed);
    ::MapWindowPoints(nullptr, host.window->Hwnd(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(RectIs(placed, RECT{20, 30, 120, 90}));
    // The frame the object asked for while its window was still empty: one accelerator entry.
    EXPECT_TRUE(standIn.Logged(L"windowed GetWindowContext 0,0,0,0 accelerators 1"));
    EXPECT_TRUE(standIn.Logged(L"windowed SetObjectRects 0,0,100,60"));

    host.control->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(child));
    host.control->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(child));
}

// Counts the wheel messages that reach the skin's window.
class WheelCounter : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool&) override {
        if (message == WM_MOUSEWHEEL) ++wheels;
        return 0;
    }
    int wheels = 0;
};

TEST_F(ActiveXTest, WheelMessagesToTheObjectWindowAreSwallowed) {
    StandInClient standIn;
    HostWindow host(Skin(kWindowedId));
    ASSERT_TRUE(host.shown);
    WheelCounter counter;
    host.window->Manager().AddMessageFilter(&counter);
    HWND child = host.control->GetHostWindow();
    EXPECT_EQ(::SendMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(50, 50)), 0);
    EXPECT_EQ(counter.wheels, 0);
    // The same message given to the default handling climbs to the parent.
    ::DefWindowProcW(child, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(50, 50));
    EXPECT_EQ(counter.wheels, 1);
    host.window->Manager().RemoveMessageFilter(&counter);
}

TEST_F(ActiveXTest, CreationFollowsTheDelayAndTheClassIdAttributes) {
    StandInClient standIn;
    {
        // Without delay the object is made as soon as the class id is known.
        CActiveXUI control;
        control.SetAttribute(L"modulename", L"ComControlsStandIn.dll");
        control.SetAttribute(L"delaycreate", L"false");
        EXPECT_TRUE(control.CreateControl(kWindowlessId));
        EXPECT_TRUE(standIn.Logged(L"windowless created"));
    }
    EXPECT_EQ(standIn.LiveObjects(), 0);
    standIn.ClearLog();
    {
        // Turning the delay off after the class id creates at once.
        CActiveXUI control;
        control.SetAttribute(L"modulename", L"ComControlsStandIn.dll");
        control.SetAttribute(L"clsid", kWindowlessId);
        EXPECT_FALSE(standIn.Logged(L"windowless created"));
        LPVOID unknown = nullptr;
        EXPECT_EQ(control.GetControl(IID_IUnknown, &unknown), E_PENDING);
        EXPECT_EQ(control.GetControl(IID_IUnknown, nullptr), E_POINTER);
        control.SetAttribute(L"delaycreate", L"false");
        EXPECT_TRUE(standIn.Logged(L"windowless created"));
    }
    EXPECT_EQ(standIn.LiveObjects(), 0);
}

TEST_F(ActiveXTest, FailedCreationLeavesNothingAlive) {
    StandInClient standIn;
    const std::wstring tooLong = L"{" + std::wstring(150, L'Z') + L"}";
    const struct {
        const char* name;
        std::wstring clsid;
        bool accepted;  // the class id itself parses
    } cases[] = {
        {"initialisation refused", kFailingId, true},
        {"a class the module does not have", kUnknownId, true},
        {"an overlong class id text", tooLong, false},
        {"an unknown program id", L"No.Such.Control", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CActiveXUI control;
        control.SetModuleName(L"ComControlsStandIn.dll");
        control.SetDelayCreate(false);
        EXPECT_EQ(control.CreateControl(c.clsid.c_str()), c.accepted);
        LPVOID unknown = nullptr;
        EXPECT_EQ(control.GetControl(IID_IUnknown, &unknown), E_PENDING);
        EXPECT_EQ(standIn.LiveObjects(), 0);
    }
    EXPECT_TRUE(standIn.Logged(L"failing InitNew"));
    EXPECT_TRUE(standIn.Logged(L"failing destroyed"));
}

}  // namespace
