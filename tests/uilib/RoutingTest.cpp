// The paint manager in a real window: first layout, input routing, capture,
// focus and tab order, shortcuts, tooltips, notifications and delayed deletion.
#include "UiHarness.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

RecordingControl* Placed(CContainerUI* parent, const wchar_t* name, int l, int t, int r, int b, UINT flags = 0) {
    RecordingControl* control = new RecordingControl(name, flags);
    control->SetFloat(true);
    control->SetFixedXY(SIZE{l, t});
    control->SetFixedWidth(r - l);
    control->SetFixedHeight(b - t);
    parent->Add(control);
    return control;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

// The text the tooltip window holds for the manager's one tool.
std::wstring TooltipText(HWND tooltip, HWND owner) {
    wchar_t text[256] = {};
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(owner);
    info.lpszText = text;
    ::SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return text;
}

void Hover(HarnessWindow& window, int x, int y) {
    window.MouseMove(x, y);
    ::SendMessageW(window.Hwnd(), WM_MOUSEHOVER, 0, MAKELPARAM(x, y));
}

TEST(Routing, HoveringAControlWithATooltipShowsItsTextInTheTooltipWindow) {
    HarnessWindow window(200, 150);
    CContainerUI* root = new CContainerUI;
    RecordingControl* plain = Placed(root, L"plain", 10, 10, 60, 40);
    RecordingControl* close = Placed(root, L"close", 100, 10, 150, 40);
    RecordingControl* minimise = Placed(root, L"min", 100, 60, 150, 90);
    close->SetToolTip(L"关闭窗口");
    minimise->SetToolTip(L"Minimise");
    ASSERT_TRUE(window.Show(root));

    Hover(window, 20, 20);  // no tooltip text: no tooltip window
    EXPECT_EQ(plain->Count(UIEVENT_MOUSEHOVER), 1);
    EXPECT_EQ(window.Manager().GetTooltipWindow(), nullptr);

    Hover(window, 120, 20);
    HWND tooltip = window.Manager().GetTooltipWindow();
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(ClassOf(tooltip), L"tooltips_class32");
    EXPECT_EQ(::GetWindow(tooltip, GW_OWNER), window.Hwnd());
    EXPECT_EQ(TooltipText(tooltip, window.Hwnd()), L"关闭窗口");
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);

    // Another control's hover reuses the window and its one tool with the new text.
    Hover(window, 120, 70);
    EXPECT_EQ(window.Manager().GetTooltipWindow(), tooltip);
    EXPECT_EQ(TooltipText(tooltip, window.Hwnd()), L"Minimise");
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST(Routing, WindowInitIsSentOnceAfterTheFirstLayout) {
    HarnessWindow window(200, 150);
    CContainerUI* root = new CContainerUI;
    RecordingNotifier notifier;
    RECT rootAtInit = {};
    notifier.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == L"windowinit") rootAtInit = msg.pSender->GetPos();
    };
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(root));
    EXPECT_EQ(notifier.Count(L"windowinit"), 1);
    EXPECT_EQ(rootAtInit.right, 200);
    EXPECT_EQ(rootAtInit.bottom, 150);

    root->SetBkColor(0xFF102030);
    ::SetWindowPos(window.Hwnd(), nullptr, 0, 0, 220, 160, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    window.Settle();
    EXPECT_EQ(root->GetPos().right, 220);  // a resize lays the tree out again
    EXPECT_EQ(notifier.Count(L"windowinit"), 1);
}

TEST(Routing, ButtonDownAndUpPairOnThePressedControlEvenWhenTheMouseLeftIt) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* a = Placed(root, L"A", 10, 10, 60, 60);
    RecordingControl* b = Placed(root, L"B", 100, 10, 150, 60);
    ASSERT_TRUE(window.Show(root));

    window.MouseMove(20, 20);
    window.MouseDown(20, 20);
    window.MouseMove(120, 20);
    window.MouseUp(120, 20);
    EXPECT_EQ(a->Count(UIEVENT_BUTTONDOWN), 1);
    EXPECT_EQ(a->Count(UIEVENT_BUTTONUP), 1);
    EXPECT_EQ(b->Count(UIEVENT_BUTTONDOWN), 0);
    EXPECT_EQ(b->Count(UIEVENT_BUTTONUP), 0);
    EXPECT_GE(a->Count(UIEVENT_MOUSEMOVE), 2);  // moves go to the pressed control
    EXPECT_EQ(b->Count(UIEVENT_MOUSEMOVE), 0);
    EXPECT_EQ(b->Count(UIEVENT_MOUSEENTER), 1);
    EXPECT_EQ(a->Count(UIEVENT_MOUSELEAVE), 1);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(window.Manager().GetFocus(), a);  // a button down focuses

    // A button up without a press goes nowhere.
    window.MouseUp(20, 20);
    EXPECT_EQ(a->Count(UIEVENT_BUTTONUP), 1);
}

TEST(Routing, CloseWhilePressedReleasesThePressedControlAndLeavesTheHoverOne) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* a = Placed(root, L"A", 10, 10, 60, 60);
    ASSERT_TRUE(window.Show(root));
    window.MouseMove(20, 20);
    window.MouseDown(20, 20);
    a->Clear();
    ::SendMessageW(window.Hwnd(), WM_CLOSE, 0, 0);
    std::vector<int> expected = {UIEVENT_MOUSELEAVE, UIEVENT_BUTTONUP, UIEVENT_KILLFOCUS};
    EXPECT_EQ(a->Types(), expected);
    EXPECT_FALSE(::IsWindow(window.Hwnd()));  // the close still reached the default processing
}

TEST(Routing, WheelSendsDirectionThenAMouseMoveAtTheLastPoint) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* a = Placed(root, L"A", 10, 10, 60, 60);
    ASSERT_TRUE(window.Show(root));
    struct Case {
        int delta;
        WPARAM direction;
    } cases[] = {{-120, 1}, {120, 0}, {-1, 1}};
    for (const Case& c : cases) {
        a->Clear();
        window.Wheel(30, 30, c.delta);
        ASSERT_GE(a->events.size(), 2u);
        EXPECT_EQ(a->events[0].Type, UIEVENT_SCROLLWHEEL);
        EXPECT_EQ(a->events[0].wParam, c.direction) << c.delta;
        EXPECT_EQ(a->events.back().Type, UIEVENT_MOUSEMOVE);
        EXPECT_EQ(a->events.back().ptMouse.x, 30);
    }
}

class WantsTab : public RecordingControl {
public:
    WantsTab() : RecordingControl(L"Rich", UIFLAG_TABSTOP) {}
    const wchar_t* GetClass() const override { return L"RichEditUI"; }
    unUserData GetAttribute(const wchar_t* name) override {
        unUserData answer = CControlUI::GetAttribute(name);
        if (name && std::wstring(name) == L"wanttab") answer.bValue = true;
        return answer;
    }
};

TEST(Routing, TabOrderWrapsBothWaysAndARichEditThatWantsTabsKeepsTheKey) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* first = Placed(root, L"First", 0, 0, 20, 20, UIFLAG_TABSTOP);
    Placed(root, L"Plain", 20, 0, 40, 20);
    RecordingControl* second = Placed(root, L"Second", 40, 0, 60, 20, UIFLAG_TABSTOP);
    RecordingControl* third = Placed(root, L"Third", 60, 0, 80, 20, UIFLAG_TABSTOP);
    RecordingControl* disabled = Placed(root, L"Off", 80, 0, 100, 20, UIFLAG_TABSTOP);
    disabled->SetEnabled(false);
    ASSERT_TRUE(window.Show(root));
    EXPECT_EQ(window.Manager().GetFocus(), first);  // the first paint focuses the first tab stop

    window.Key(VK_TAB);
    EXPECT_EQ(window.Manager().GetFocus(), second);
    window.Key(VK_TAB);
    EXPECT_EQ(window.Manager().GetFocus(), third);
    window.Key(VK_TAB);
    EXPECT_EQ(window.Manager().GetFocus(), first);  // wraps past the disabled one to the first

    HarnessWindow::SetKeyDown(VK_SHIFT, true);
    window.Key(VK_TAB);
    HarnessWindow::SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(window.Manager().GetFocus(), third);  // Shift+Tab on the first wraps to the last
    EXPECT_EQ(first->Count(UIEVENT_KILLFOCUS), 2);

    WantsTab* rich = new WantsTab;
    root->Add(rich);
    rich->SetFocus();
    window.Key(VK_TAB);
    EXPECT_EQ(window.Manager().GetFocus(), rich);
    ASSERT_GE(rich->Count(UIEVENT_KEYDOWN), 1);
}

class Label : public RecordingControl {
public:
    explicit Label(const wchar_t* name) : RecordingControl(name) {}
    const wchar_t* GetClass() const override { return L"LabelUI"; }
};

TEST(Routing, ShortcutsFocusAndActivateAndALabelHandsItsShortcutOn) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* before = Placed(root, L"Before", 0, 0, 20, 20);
    Label* label = new Label(L"Label");
    label->SetShortcut(L'n');
    root->Add(label);
    RecordingControl* save = Placed(root, L"Save", 40, 0, 60, 20);
    save->SetShortcut(L's');
    ASSERT_TRUE(window.Show(root));

    window.SysChar(L's');
    EXPECT_EQ(window.Manager().GetFocus(), save);
    EXPECT_EQ(save->activations, 1);

    // The search runs from the top child down, so the control it meets after
    // the label is the one placed before it.
    window.SysChar(L'N');
    EXPECT_EQ(label->activations, 0);
    EXPECT_EQ(before->activations, 1);
    EXPECT_EQ(window.Manager().GetFocus(), before);

    window.SysChar(L'q');  // nobody's shortcut
    EXPECT_EQ(window.Manager().GetFocus(), before);
}

struct Consumer {
    bool answer;
    int calls = 0;
    bool OnNotify(TNotifyUI&, long) {
        ++calls;
        return answer;
    }
};

TEST(Routing, ListenersThatAllAcceptConsumeANotificationWithoutSwallowingTheMessage) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* a = Placed(root, L"A", 10, 10, 60, 60, UIFLAG_TABSTOP);
    RecordingControl* b = Placed(root, L"B", 70, 10, 90, 60);
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(root));
    Consumer consumer{true};
    Consumer passer{false};
    a->NotifyListeners += CDelegate<Consumer, Consumer>(&consumer, &Consumer::OnNotify);
    b->NotifyListeners += CDelegate<Consumer, Consumer>(&passer, &Consumer::OnNotify);

    window.Manager().SendNotify(a, L"custom");
    window.Manager().SendNotify(b, L"custom");
    EXPECT_EQ(consumer.calls, 1);
    EXPECT_EQ(passer.calls, 1);
    ASSERT_EQ(notifier.Count(L"custom"), 1);
    EXPECT_EQ(notifier.entries.back().sender, b);

    // A queued notification goes out with the next message; its consumption
    // does not stop that message from being handled.
    window.Manager().SendNotify(a, L"queued", 0, 0, true);
    a->Clear();
    ::SendMessageW(window.Hwnd(), WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(consumer.calls, 2);
    EXPECT_EQ(a->Count(UIEVENT_KEYDOWN), 1);
    EXPECT_EQ(notifier.Count(L"queued"), 0);
}

// System commands are the window's to carry out before it hands them on: the
// manager takes every one, so a window that gives it messages first and does
// nothing of its own is not closed or minimised by them.
TEST(Routing, TheManagerTakesSystemCommands) {
    HarnessWindow window;
    ASSERT_TRUE(window.Show(new CContainerUI));
    for (WPARAM command : {WPARAM{SC_MINIMIZE}, WPARAM{SC_CLOSE}, WPARAM{SC_RESTORE}}) {
        LRESULT result = 1;
        EXPECT_TRUE(window.Manager().MessageHandler(WM_SYSCOMMAND, command, 0, result)) << command;
        EXPECT_EQ(result, 0) << command;
    }
    ::SendMessageW(window.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(::IsWindow(window.Hwnd()));
    EXPECT_FALSE(::IsIconic(window.Hwnd()));
}

TEST(Routing, RemovedChildrenAndReplacedRootsAreDeletedWhenTheCleanupMessageArrives) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    bool childGone = false, oldRootChildGone = false;
    RecordingControl* child = Placed(root, L"Child", 10, 10, 60, 60);
    child->destroyed = &childGone;
    RecordingControl* keeper = Placed(root, L"Keeper", 70, 10, 120, 60);
    keeper->destroyed = &oldRootChildGone;
    ASSERT_TRUE(window.Show(root));
    EXPECT_EQ(window.Manager().FindControl(L"Child"), child);

    root->Remove(child);
    EXPECT_FALSE(childGone);  // lives on, detached, until the cleanup message
    EXPECT_TRUE(PumpUntil([&] { return childGone; }));
    EXPECT_EQ(window.Manager().FindControl(L"Child"), nullptr);

    // Replacing the tree from inside the pressed control's own event.
    CContainerUI* next = new CContainerUI;
    RecordingControl* nextChild = Placed(next, L"Keeper", 0, 0, 10, 10);
    keeper->onEvent = [&](TEventUI& event) {
        if (event.Type == UIEVENT_BUTTONUP) window.Manager().AttachRoot(next);
    };
    window.Click(80, 20);
    EXPECT_FALSE(oldRootChildGone);
    EXPECT_TRUE(PumpUntil([&] { return oldRootChildGone; }));
    EXPECT_EQ(window.Manager().GetRoot(), next);
    EXPECT_EQ(window.Manager().FindControl(L"Keeper"), nextChild);
}

TEST(Routing, InvalidationFollowsVisibilityChangesAndAncestors) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* a = Placed(root, L"A", 10, 10, 60, 60);
    RecordingControl* off = Placed(root, L"Off", 300, 300, 340, 340);  // outside the root
    ASSERT_TRUE(window.Show(root));
    auto pending = [&](RECT* rc) {
        RECT dummy;
        return ::GetUpdateRect(window.Hwnd(), rc ? rc : &dummy, FALSE) != FALSE;
    };
    ::ValidateRect(window.Hwnd(), nullptr);

    a->SetBorderStyle(a->GetBorderStyle());
    a->SetBorderStyle(-1);
    a->SetBkColor(a->GetBkColor());
    EXPECT_FALSE(pending(nullptr));

    a->SetBorderStyle(PS_DASH);
    RECT rc;
    ASSERT_TRUE(pending(&rc));
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.bottom, 60);
    ::ValidateRect(window.Hwnd(), nullptr);

    off->Invalidate();
    EXPECT_FALSE(pending(nullptr));
    a->SetVisible(false);
    ::ValidateRect(window.Hwnd(), nullptr);
    a->Invalidate();
    EXPECT_FALSE(pending(nullptr));
}

TEST(Routing, FocusSkipsHiddenAndDisabledControlsAndHidingDropsIt) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* a = Placed(root, L"A", 10, 10, 60, 60);
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(root));
    a->SetFocus();
    EXPECT_EQ(window.Manager().GetFocus(), a);
    EXPECT_EQ(notifier.Count(L"setfocus"), 1);
    a->SetVisible(false);
    EXPECT_EQ(window.Manager().GetFocus(), nullptr);
    EXPECT_EQ(notifier.Count(L"killfocus"), 1);
    a->SetFocus();
    EXPECT_EQ(window.Manager().GetFocus(), nullptr);
}

}  // namespace
