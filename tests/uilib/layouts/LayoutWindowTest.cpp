// Layouts in a real window: the separator drag (ghost strip and live mode),
// "tabselect" only on a change, the animated tab's slide, child layouts built
// from files, and the frame animation helper on manager timers.
#include "UiHarness.h"
#include "TestPaths.h"
#include "controls/UIAnimation.h"
#include "controls/UIAnimationTabLayout.h"
#include "controls/UIChildLayout.h"
#include "controls/UIHorizontalLayout.h"
#include "controls/UITabLayout.h"
#include "controls/UIVerticalLayout.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

const DWORD kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

CControlUI* Coloured(DWORD colour, const wchar_t* attributes = L"") {
    CControlUI* control = new CControlUI;
    control->SetBkColor(colour);
    control->ApplyAttributeList(attributes);
    return control;
}

// A row whose left panel (red, 100 wide, at least 50) has a 4-pixel
// separator at its right edge, left free of children by the inset.
struct SplitWindow {
    explicit SplitWindow(bool immediate) {
        CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
        panel = new CHorizontalLayoutUI;
        panel->ApplyAttributeList(L"width=\"100\" minwidth=\"50\" sepwidth=\"4\" inset=\"0,0,4,0\" bkcolor=\"#FFFF0000\"");
        panel->SetSepImmMode(immediate);
        root->Add(panel);
        root->Add(Coloured(kBlue));
        shown = window.Show(root);
    }
    void Drag(int fromX, const std::vector<int>& toX) {
        window.MouseMove(fromX, 50);
        window.MouseDown(fromX, 50);
        for (int x : toX) ::SendMessageW(window.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 50));
    }
    int PanelWidth() const { return panel->GetPos().right - panel->GetPos().left; }

    HarnessWindow window{200, 100};
    CHorizontalLayoutUI* panel = nullptr;
    bool shown = false;
};

// What the window shows on the display: the ghost strip is drawn after the
// tree, straight into the window, so it is read from the window's own DC.
DWORD ShownPixel(HarnessWindow& window, int x, int y) {
    window.Settle();
    HDC dc = ::GetDC(window.Hwnd());
    COLORREF colour = ::GetPixel(dc, x, y);
    ::ReleaseDC(window.Hwnd(), dc);
    return static_cast<DWORD>(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
}

TEST(Separator, GhostStripFollowsTheMouseAndTheLayoutResizesOnRelease) {
    SplitWindow split(false);
    ASSERT_TRUE(split.shown);
    EXPECT_EQ(split.panel->GetControlFlags(), static_cast<UINT>(UIFLAG_SETCURSOR));
    split.Drag(98, {80});  // the edge moves by the mouse's 18 pixels
    ::InvalidateRect(split.window.Hwnd(), nullptr, FALSE);
    EXPECT_EQ(ShownPixel(split.window, 90, 50), 0xFF0000u);  // the panel keeps its place while dragging
    DWORD ghost = ShownPixel(split.window, 80, 50);          // 0xAA black over red
    EXPECT_LT((ghost >> 16) & 0xFF, 0x60u);
    EXPECT_EQ(split.PanelWidth(), 100);

    split.window.MouseUp(80, 50);
    split.window.Settle();
    EXPECT_EQ(split.PanelWidth(), 82);
    ::InvalidateRect(split.window.Hwnd(), nullptr, FALSE);
    EXPECT_EQ(ShownPixel(split.window, 90, 50), 0x0000FFu);
    EXPECT_EQ(ShownPixel(split.window, 80, 50), 0xFF0000u);  // no ghost once released
}

TEST(Separator, DraggingBelowTheMinimumStopsThereAndFurtherMovesAreIgnored) {
    SplitWindow split(true);
    ASSERT_TRUE(split.shown);
    split.Drag(98, {90, 20});
    EXPECT_EQ(split.PanelWidth(), 50);
    ::SendMessageW(split.window.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 50));  // on leftwards: nothing
    EXPECT_EQ(split.PanelWidth(), 50);
    split.window.MouseUp(10, 50);
    split.Drag(48, {70});  // pressed again at the new edge, it grows with the mouse
    split.window.MouseUp(70, 50);
    split.window.Settle();
    EXPECT_EQ(split.PanelWidth(), 72);
    EXPECT_EQ(split.window.Capture().At(60, 50), 0xFF0000u);
    EXPECT_EQ(split.window.Capture().At(80, 50), 0x0000FFu);
}

TEST(Separator, ANegativeSizePutsTheStripAtTheTopOfAColumn) {
    CVerticalLayoutUI layout;
    layout.SetAttribute(L"sepheight", L"-6");
    layout.SetPos(RECT{0, 10, 50, 100});
    RECT strip = layout.GetThumbRect(false);
    EXPECT_EQ(strip.top, 10);
    EXPECT_EQ(strip.bottom, 16);
    layout.SetAttribute(L"sepheight", L"500");  // clamped to the rectangle
    EXPECT_EQ(layout.GetThumbRect(false).top, 10);
}

// Pages with a colour each in a tab layout that fills a 100x60 window.
template <class Tabs>
Tabs* ShowTabs(HarnessWindow& window, RecordingNotifier& notifier, std::vector<std::pair<WPARAM, LPARAM>>& seen) {
    Tabs* tabs = new Tabs;
    tabs->Add(Coloured(kRed));
    tabs->Add(Coloured(kBlue));
    tabs->Add(Coloured(0xFF00FF00));
    window.Manager().AddNotifier(&notifier);
    notifier.onNotify = [&seen](TNotifyUI& msg) {
        if (msg.sType == L"tabselect") seen.emplace_back(msg.wParam, msg.lParam);
    };
    window.Show(tabs);
    return tabs;
}

TEST(TabLayout, SendsTabselectOnlyWhenTheSelectionChanges) {
    HarnessWindow window(100, 60);
    RecordingNotifier notifier;
    std::vector<std::pair<WPARAM, LPARAM>> seen;
    CTabLayoutUI* tabs = ShowTabs<CTabLayoutUI>(window, notifier, seen);
    EXPECT_EQ(window.Capture().At(50, 30), 0xFF0000u);

    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_TRUE(tabs->SelectItem(2));   // already selected: nothing sent
    EXPECT_FALSE(tabs->SelectItem(3));  // out of range
    EXPECT_FALSE(tabs->SelectItem(-2));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, 2u);
    EXPECT_EQ(seen[0].second, 0);
    EXPECT_EQ(window.Capture().At(50, 30), 0x00FF00u);
}

TEST(TabLayout, FirstSelectionAfterHiddenPagesReportsNoOldPage) {
    HarnessWindow window(100, 60);
    RecordingNotifier notifier;
    std::vector<std::pair<WPARAM, LPARAM>> seen;
    CTabLayoutUI* tabs = new CTabLayoutUI;
    tabs->Add(Coloured(kRed, L"visible=\"false\""));
    tabs->Add(Coloured(kBlue, L"visible=\"false\""));
    window.Manager().AddNotifier(&notifier);
    notifier.onNotify = [&seen](TNotifyUI& msg) {
        if (msg.sType == L"tabselect") seen.emplace_back(msg.wParam, msg.lParam);
    };
    ASSERT_TRUE(window.Show(tabs));
    EXPECT_EQ(tabs->GetCurSel(), -1);
    seen.clear();
    EXPECT_TRUE(tabs->SelectItem(1));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].second, -1);
    EXPECT_EQ(window.Capture().At(50, 30), 0x0000FFu);
}

TEST(AnimationTabLayout, SlidesTheNewPageInFromTheSideItComesFrom) {
    struct Case {
        const wchar_t* direction;
        int from, to;
        POINT startOffset;  // of the new page from its final place, right after SelectItem
    } cases[] = {
        {L"horizontal", 0, 2, {100, 0}},
        {L"vertical", 2, 1, {0, -60}},
    };
    for (const Case& c : cases) {
        HarnessWindow window(100, 60);
        RecordingNotifier notifier;
        std::vector<std::pair<WPARAM, LPARAM>> seen;
        CAnimationTabLayoutUI* tabs = ShowTabs<CAnimationTabLayoutUI>(window, notifier, seen);
        tabs->SetAttribute(L"animation_direction", c.direction);
        if (c.from != 0) {
            tabs->SelectItem(c.from);
            ASSERT_TRUE(PumpUntil([&] { return !tabs->IsAnimating(CAnimationTabLayoutUI::TAB_ANIMATION_ID); }));
        }
        seen.clear();
        ASSERT_TRUE(tabs->SelectItem(c.to));
        CControlUI* page = tabs->GetItemAt(c.to);
        EXPECT_TRUE(tabs->IsAnimating(CAnimationTabLayoutUI::TAB_ANIMATION_ID));
        EXPECT_EQ(page->GetPos().left, c.startOffset.x) << c.direction;
        EXPECT_EQ(page->GetPos().top, c.startOffset.y) << c.direction;
        ASSERT_TRUE(PumpUntil([&] { return !tabs->IsAnimating(CAnimationTabLayoutUI::TAB_ANIMATION_ID); }));
        window.Settle();
        EXPECT_EQ(page->GetPos().left, 0);
        EXPECT_EQ(page->GetPos().top, 0);
        EXPECT_EQ(page->GetPos().right, 100);
        EXPECT_EQ(seen.size(), 1u);
        DWORD expected = c.to == 2 ? 0x00FF00u : 0x0000FFu;
        EXPECT_EQ(window.Capture().At(50, 30), expected) << c.direction;
    }
}

TEST(ChildLayout, BuildsItsContentFromAFileAndStopsASelfInclusion) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"child.xml"),
                                            "<Window><VerticalLayout><Control name=\"inner\" bkcolor=\"#FF0000FF\"/></VerticalLayout></Window>"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"self.xml"), "<Window><ChildLayout xmlfile=\"self.xml\"/></Window>"));
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());

    HarnessWindow window(100, 60);
    CVerticalLayoutUI* root = new CVerticalLayoutUI;
    CChildLayoutUI* child = new CChildLayoutUI;
    child->SetAttribute(L"xmlfile", L"child.xml");
    CChildLayoutUI* self = new CChildLayoutUI;
    self->SetAttribute(L"xmlfile", L"self.xml");
    CChildLayoutUI* missing = new CChildLayoutUI;
    missing->SetAttribute(L"xmlfile", L"missing.xml");
    root->Add(child);
    root->Add(self);
    root->Add(missing);
    ASSERT_TRUE(window.Show(root));

    EXPECT_NE(window.Manager().FindControl(L"inner"), nullptr);
    EXPECT_EQ(window.Capture().At(50, 5), 0x0000FFu);
    EXPECT_EQ(missing->GetCount(), 0);
    // The self-including file nests to the cap and no further.
    int depth = 0;
    for (CContainerUI* level = self; level && level->GetCount() > 0; ++depth)
        level = static_cast<CContainerUI*>(level->GetItemAt(0)->GetInterface(L"Container"));
    EXPECT_EQ(depth, static_cast<int>(CDialogBuilder::MAX_INCLUDE_DEPTH));
}

TEST(Builder, CreatesEveryLayoutByName) {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><VerticalLayout><HorizontalLayout/><TileLayout/><ChildLayout/><TabLayout/>"
        L"<AnimationTabLayout/></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    CContainerUI* box = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    const wchar_t* classes[] = {L"HorizontalLayoutUI", L"TileLayoutUI", L"ChildLayoutUI", L"TabLayoutUI",
                                L"AnimationTabLayoutUI"};
    EXPECT_STREQ(root->GetClass(), L"VerticalLayoutUI");
    ASSERT_EQ(box->GetCount(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(box->GetItemAt(i)->GetClass(), classes[i]);
    delete root;
}

// Records every hook call as text: "b<first>", "s<frame>", "x".
class AnimatedControl : public CControlUI, public CUIAnimation {
public:
    AnimatedControl() : CUIAnimation(this) {}
    void DoEvent(TEventUI& event) override {
        if (event.Type == UIEVENT_TIMER) OnAnimationTimer(static_cast<int>(event.wParam));
        CControlUI::DoEvent(event);
    }
    void OnAnimationBegin(int, bool first) override { calls.push_back(first ? "b1" : "b0"); }
    void OnAnimationStep(int, int frame, int) override { calls.push_back("s" + std::to_string(frame)); }
    void OnAnimationStop(int id) override {
        calls.push_back("x");
        if (restartOnStop) {
            restartOnStop = false;
            StopAnimation(id);
            StartAnimation(30, 2, id);
        }
    }
    std::string Joined() const {
        std::string all;
        for (const std::string& call : calls) all += call + " ";
        return all;
    }
    std::vector<std::string> calls;
    bool restartOnStop = false;
};

struct AnimationWindow {
    AnimationWindow() {
        control = new AnimatedControl;
        shown = window.Show(control);
    }
    void Tick(int id, int times) {
        for (int i = 0; i < times; ++i) {
            TEventUI event = {};
            event.Type = UIEVENT_TIMER;
            event.pSender = control;
            event.wParam = static_cast<WPARAM>(id);
            control->Event(event);
        }
    }
    HarnessWindow window{60, 40};
    AnimatedControl* control = nullptr;
    bool shown = false;
};

TEST(FrameAnimation, ACycleStepsThroughEveryFrameThenStops) {
    AnimationWindow w;
    ASSERT_TRUE(w.shown);
    AnimatedControl& a = *w.control;
    ASSERT_TRUE(a.StartAnimation(30, 10, 5));
    EXPECT_FALSE(a.StartAnimation(30, 10, 5));  // same id: refused, the first one untouched
    EXPECT_FALSE(a.StartAnimation(0, 10, 6));
    EXPECT_FALSE(a.StartAnimation(30, 0, 6));
    w.Tick(5, 11);
    EXPECT_EQ(a.Joined(), "b1 s0 s1 s2 s3 s4 s5 s6 s7 s8 s9 s10 x ");
    EXPECT_FALSE(a.IsAnimating(5));
    EXPECT_EQ(a.CurrentFrame(5), -1);
}

TEST(FrameAnimation, LoopsBeginOnceAndEndEachCycleWithStop) {
    AnimationWindow w;
    ASSERT_TRUE(w.shown);
    AnimatedControl& a = *w.control;
    ASSERT_TRUE(a.StartAnimation(30, 3, 7, true));
    w.Tick(7, 7);
    EXPECT_EQ(a.Joined(), "b1 s0 s1 s2 s3 x s1 s2 s3 x ");
    EXPECT_TRUE(a.SetFrame(3, 7));   // the frame count itself is accepted
    EXPECT_FALSE(a.SetFrame(4, 7));  // one more is not
    EXPECT_TRUE(a.StartAnimation(30, 3, 8));
    a.StopAnimation(0);
    EXPECT_FALSE(a.IsAnimating(7));
    EXPECT_FALSE(a.IsAnimating(8));
}

TEST(FrameAnimation, AHookThatRestartsItsAnimationGetsAFreshRecord) {
    AnimationWindow w;
    ASSERT_TRUE(w.shown);
    AnimatedControl& a = *w.control;
    a.restartOnStop = true;
    ASSERT_TRUE(a.StartAnimation(30, 1, 3));
    w.Tick(3, 2);
    EXPECT_TRUE(a.IsAnimating(3));
    EXPECT_EQ(a.CurrentFrame(3), 0);  // the old tick did not advance the new record
    w.Tick(3, 3);
    EXPECT_EQ(a.Joined(), "b1 s0 s1 x b1 s0 s1 s2 x ");
    EXPECT_FALSE(a.IsAnimating(3));
}

TEST(FrameAnimation, RunsOnTheManagersTimers) {
    AnimationWindow w;
    ASSERT_TRUE(w.shown);
    ASSERT_TRUE(w.control->StartAnimation(10, 3, 9));
    EXPECT_TRUE(PumpUntil([&] { return !w.control->IsAnimating(9); }));
    EXPECT_EQ(w.control->Joined(), "b1 s0 s1 s2 s3 x ");
    EXPECT_FALSE(w.window.Manager().KillTimer(w.control, 9));  // already gone
}

}  // namespace
