// The container without a window: placement (stacked, float, relative),
// ownership, hit testing and scrolling.
#include "core/manager/UIContainer.h"
#include "core/manager/UIScrollBar.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace UiLib;

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult RectIs(const RECT& actual, int l, int t, int r, int b) {
    if (SameRect(actual, RECT{l, t, r, b})) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "rect is " << actual.left << "," << actual.top << "," << actual.right
                                         << "," << actual.bottom << " not " << l << "," << t << "," << r << ","
                                         << b;
}

// A control that reports its own destruction.
class Tracked : public CControlUI {
public:
    explicit Tracked(int* deaths) : deaths_(deaths) {}
    ~Tracked() override { ++*deaths_; }

private:
    int* deaths_;
};

CControlUI* Floating(const wchar_t* pos) {
    CControlUI* child = new CControlUI;
    child->SetAttribute(L"float", L"true");
    child->SetAttribute(L"pos", pos);
    return child;
}

TEST(ContainerPlacement, StackedChildrenFillTheClientAreaInsideTheInset) {
    CContainerUI box;
    CControlUI* a = new CControlUI;
    CControlUI* hidden = new CControlUI;
    hidden->SetVisible(false);
    box.Add(a);
    box.Add(hidden);
    box.SetAttribute(L"inset", L"5,6,7,8");
    box.SetPos(RECT{0, 0, 100, 80});
    EXPECT_TRUE(RectIs(a->GetPos(), 5, 6, 93, 72));
    EXPECT_TRUE(RectIs(hidden->GetPos(), 0, 0, 0, 0));  // hidden children are not placed
}

TEST(ContainerPlacement, FloatChildrenArePlacedFromTheNearOrFarEdge) {
    struct Case {
        SIZE xy;
        int width, height;
        RECT expected;
    } cases[] = {
        {{10, 20}, 30, 30, {110, 220, 140, 250}},
        {{-10, 20}, 30, 40, {260, 220, 290, 260}},  // x -10: right edge 10 inside the container's right
        {{10, -20}, 30, 30, {110, 350, 140, 380}},
        {{-40, -40}, 30, 30, {230, 330, 260, 360}},
    };
    for (const Case& c : cases) {
        CContainerUI box;
        CControlUI* child = new CControlUI;
        child->SetFloat(true);
        child->SetFixedXY(c.xy);
        child->SetFixedWidth(c.width);
        child->SetFixedHeight(c.height);
        box.Add(child);
        box.SetPos(RECT{100, 200, 300, 400});
        EXPECT_TRUE(RectIs(child->GetPos(), c.expected.left, c.expected.top, c.expected.right, c.expected.bottom))
            << c.xy.cx << "," << c.xy.cy;
    }
    // "pos" with negative corners keeps the far corner as the placement.
    CContainerUI box;
    CControlUI* child = Floating(L"-40,-40,-10,-10");
    box.Add(child);
    box.SetPos(RECT{100, 200, 300, 400});
    EXPECT_TRUE(RectIs(child->GetPos(), 260, 360, 290, 390));
}

TEST(ContainerPlacement, RelativeChildRecordsTheFirstSizeThenMovesAndStretchesByPercent) {
    CContainerUI box;
    CControlUI* child = Floating(L"10,10,30,30");
    child->SetAttribute(L"relativepos", L"50,100,50,0");
    box.Add(child);

    box.SetPos(RECT{0, 0, 100, 100});
    EXPECT_TRUE(RectIs(child->GetPos(), 10, 10, 30, 30));  // parent size 0: not moved on the first layout
    EXPECT_EQ(child->GetRelativePos().szParent.cx, 100);
    EXPECT_EQ(child->GetRelativePos().szParent.cy, 100);

    box.SetPos(RECT{0, 0, 200, 150});
    // left += 100 * 50%, top += 50 * 100%; width grows by 100 * 50%, height by 0.
    EXPECT_TRUE(RectIs(child->GetPos(), 60, 60, 60 + 20 + 50, 60 + 20));
    EXPECT_EQ(child->GetRelativePos().szParent.cx, 200);

    box.SetPos(RECT{0, 0, 197, 150});  // shrinking truncates toward zero
    EXPECT_TRUE(RectIs(child->GetPos(), 10 - 1, 10, 10 - 1 + 20 - 1, 30));
}

TEST(ContainerOwnership, RemoveDestroysUnlessAutoDestroyIsOff) {
    int deaths = 0;
    {
        CContainerUI box;
        Tracked* a = new Tracked(&deaths);
        Tracked* b = new Tracked(&deaths);
        ASSERT_TRUE(box.Add(a));
        ASSERT_TRUE(box.Add(b));
        EXPECT_FALSE(box.Add(nullptr));
        EXPECT_FALSE(box.Remove(nullptr));
        EXPECT_TRUE(box.Remove(a));  // no manager: destroyed at once
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(box.GetCount(), 1);
        EXPECT_EQ(box.GetItemAt(0), b);
        EXPECT_EQ(box.GetItemAt(1), nullptr);
        EXPECT_EQ(box.GetItemAt(-1), nullptr);
    }
    EXPECT_EQ(deaths, 2);  // the destructor takes the rest

    deaths = 0;
    std::unique_ptr<Tracked> kept1(new Tracked(&deaths)), kept2(new Tracked(&deaths));
    {
        CContainerUI box;
        box.SetAutoDestroy(false);
        box.Add(kept1.get());
        box.Add(kept2.get());
        box.RemoveAll();
        EXPECT_EQ(box.GetCount(), 0);
        box.Add(kept1.get());
        box.Remove(kept1.get());
    }
    EXPECT_EQ(deaths, 0);
}

TEST(ContainerOwnership, OrderOperationsAndHiddenContainers) {
    CContainerUI box;
    CControlUI* a = new CControlUI;
    CControlUI* b = new CControlUI;
    CControlUI* c = new CControlUI;
    box.Add(a);
    box.Add(b);
    box.AddAt(c, 0);
    EXPECT_EQ(box.GetItemIndex(c), 0);
    EXPECT_TRUE(box.SetItemIndex(c, 2));
    EXPECT_EQ(box.GetItemAt(2), c);
    CControlUI stranger;
    EXPECT_FALSE(box.SetItemIndex(&stranger, 0));
    EXPECT_EQ(box.GetItemIndex(&stranger), -1);
    EXPECT_TRUE(box.RemoveAt(0));
    EXPECT_EQ(box.GetItemAt(0), b);

    box.SetVisible(false);
    EXPECT_FALSE(b->IsVisible());
    CControlUI* late = new CControlUI;
    box.Add(late);
    EXPECT_FALSE(late->IsVisible());
    EXPECT_TRUE(late->GetAttribute(L"visible").bValue);  // its own flag stays set
    box.SetVisible(true);
    EXPECT_TRUE(late->IsVisible());

    box.SetEnabled(false);
    EXPECT_FALSE(late->IsEnabled());
}

CControlUI* CALLBACK AnyHit(CControlUI* control, LPVOID) { return control; }

TEST(ContainerHitTest, ChildrenInsideTheClientAreaFloatsAnywhereAndMouseChildOff) {
    CContainerUI box;
    CControlUI* inner = new CControlUI;
    CControlUI* badge = Floating(L"0,0,10,10");  // sits in the inset
    box.Add(inner);
    box.Add(badge);
    box.SetAttribute(L"inset", L"10,10,10,10");
    box.SetPos(RECT{0, 0, 100, 100});
    // The non-float child is placed in the client area, so a point in the inset can
    // only find the float child or the container.
    inner->SetPos(RECT{0, 0, 100, 100});

    const UINT hit = UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST;
    POINT inInset = {5, 50};
    POINT inClient = {50, 50};
    POINT onBadge = {5, 5};
    POINT outside = {150, 50};
    EXPECT_EQ(box.FindControl(AnyHit, &inInset, hit), &box);
    EXPECT_EQ(box.FindControl(AnyHit, &inClient, hit), inner);
    EXPECT_EQ(box.FindControl(AnyHit, &onBadge, hit), badge);
    EXPECT_EQ(box.FindControl(AnyHit, &outside, hit), nullptr);

    box.SetAttribute(L"mousechild", L"false");
    EXPECT_EQ(box.FindControl(AnyHit, &inClient, hit), &box);

    box.SetMouseChildEnabled(true);
    inner->SetMouseEnabled(false);
    EXPECT_EQ(box.FindControl(AnyHit, &inClient, hit), &box);
    inner->SetRandom(true);
    inner->SetMouseEnabled(true);
    EXPECT_EQ(box.FindControl(AnyHit, &inClient, hit | UIFIND_ME_FIRST), &box);  // the container first
}

// A vertical stack that reports the height its children need, as the box
// layouts do; `required` can script the answers of successive layouts.
class StackLayout : public CContainerUI {
public:
    std::deque<int> required;
    int lastRequired = 0;

    void SetPos(RECT rc) override {
        CControlUI::SetPos(rc);
        RECT client = ClientRect();
        int y = client.top;
        int needed = 0;
        SIZE pos = GetScrollPos();
        for (int i = 0; i < GetCount(); ++i) {
            CControlUI* child = GetItemAt(i);
            int h = child->GetFixedHeight();
            child->SetPos(RECT{client.left, y - pos.cy, client.right, y - pos.cy + h});
            y += h;
            needed += h;
        }
        if (!required.empty()) {
            needed = required.front();
            required.pop_front();
        }
        lastRequired = needed;
        ProcessScrollBar(client, 0, needed);
    }
};

CControlUI* Row(int height) {
    CControlUI* row = new CControlUI;
    row->SetFixedHeight(height);
    return row;
}

TEST(ContainerScroll, OverflowShowsTheBarAndContentThatFitsHidesIt) {
    StackLayout stack;
    stack.SetAttribute(L"vscrollbar", L"true");
    CScrollBarUI* bar = stack.GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    bar->SetVisible(false);
    for (int i = 0; i < 5; ++i) stack.Add(Row(40));

    stack.SetPos(RECT{0, 0, 100, 120});
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(stack.GetScrollRange().cy, 200 - 120);
    EXPECT_TRUE(RectIs(bar->GetPos(), 84, 0, 100, 120));  // 16 pixels wide at the right

    stack.SetScrollPos(SIZE{0, 30});
    EXPECT_EQ(stack.GetScrollPos().cy, 30);
    EXPECT_EQ(stack.GetItemAt(0)->GetPos().top, -30);
    stack.SetScrollPos(SIZE{0, 500});  // clamped by the bar
    EXPECT_EQ(stack.GetScrollPos().cy, 80);
    EXPECT_EQ(stack.GetItemAt(0)->GetPos().top, -80);

    stack.RemoveAt(4);
    stack.RemoveAt(3);
    stack.RemoveAt(2);
    stack.SetPos(RECT{0, 0, 100, 120});
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(stack.GetScrollRange().cy, 0);
    EXPECT_EQ(bar->GetScrollPos(), 0);
}

TEST(ContainerScroll, ReLayoutWhileShowingTheBarGivesNoRangeToContentThatFits) {
    StackLayout stack;
    stack.SetAttribute(L"vscrollbar", L"true");
    CScrollBarUI* bar = stack.GetVerticalScrollBar();
    bar->SetVisible(false);
    stack.Add(Row(40));
    // The first layout overflows; the re-layout with the bar shown needs only 50.
    stack.required = {300, 50};
    stack.SetPos(RECT{0, 0, 100, 120});
    EXPECT_EQ(bar->GetScrollRange(), 0);
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(stack.GetScrollRange().cy, 0);
}

TEST(ContainerScroll, StepsUseTheStepSizeOrEightAndTheWheelPrefersTheVerticalBar) {
    StackLayout stack;
    stack.SetAttribute(L"vscrollbar", L"true");
    for (int i = 0; i < 10; ++i) stack.Add(Row(40));
    stack.SetPos(RECT{0, 0, 100, 100});
    ASSERT_EQ(stack.GetScrollRange().cy, 300);

    stack.LineDown();
    EXPECT_EQ(stack.GetScrollPos().cy, 8);  // no manager, no step size: 8
    stack.SetAttribute(L"scrollstepsize", L"25");
    stack.SetAttribute(L"scrollstepsize", L"0");  // ignored
    stack.LineDown();
    EXPECT_EQ(stack.GetScrollPos().cy, 33);
    stack.PageDown();
    EXPECT_EQ(stack.GetScrollPos().cy, 133);
    stack.EndDown();
    EXPECT_EQ(stack.GetScrollPos().cy, 300);
    stack.HomeUp();
    EXPECT_EQ(stack.GetScrollPos().cy, 0);

    TEventUI wheel = {};
    wheel.Type = UIEVENT_SCROLLWHEEL;
    wheel.wParam = 1;
    stack.DoEvent(wheel);
    EXPECT_EQ(stack.GetScrollPos().cy, 25);
    TEventUI key = {};
    key.Type = UIEVENT_KEYDOWN;
    key.chKey = VK_END;
    stack.DoEvent(key);
    EXPECT_EQ(stack.GetScrollPos().cy, 300);
}

TEST(ContainerScroll, WheelOverAContainerWithOnlyAHorizontalBarScrollsSideways) {
    CContainerUI box;
    box.EnableScrollBar(false, true);
    CScrollBarUI* bar = box.GetHorizontalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsHorizontal());
    EXPECT_EQ(bar->GetFixedHeight(), 16);
    bar->SetScrollRange(100);
    CControlUI* child = new CControlUI;
    box.Add(child);
    box.SetPos(RECT{0, 0, 100, 100});

    TEventUI wheel = {};
    wheel.Type = UIEVENT_SCROLLWHEEL;
    wheel.wParam = 1;
    box.DoEvent(wheel);
    EXPECT_EQ(box.GetScrollPos().cx, 8);
    EXPECT_EQ(child->GetPos().left, -8);
    box.SetScrollPos(SIZE{8, 0});  // unchanged: children stay
    EXPECT_EQ(child->GetPos().left, -8);
}

TEST(ContainerBase, IdentityAndSelectableSearch) {
    CContainerUI box;
    EXPECT_STREQ(box.GetClass(), L"ContainerUI");
    EXPECT_EQ(box.GetInterface(L"IContainer"), static_cast<IContainerUI*>(&box));
    EXPECT_EQ(box.GetInterface(L"Container"), &box);
    EXPECT_EQ(box.GetInterface(L"Control"), static_cast<CControlUI*>(&box));
    EXPECT_EQ(box.GetInterface(L"List"), nullptr);
    EXPECT_EQ(box.FindSelectable(0, true), -1);
    box.Add(new CControlUI);
    EXPECT_EQ(box.FindSelectable(5, true), -1);   // no list items
    EXPECT_EQ(box.FindSelectable(5, false), -1);
}

// Windows on several threads make and delete controls at once: every control
// keeps its own memory (its text reads back) whatever the others do.
TEST(ControlMemory, ThreadsMakingAndDeletingControlsNeverShareABlock) {
    const int kThreads = 4, kControls = 3000;
    std::vector<std::wstring> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            std::vector<std::pair<CControlUI*, std::wstring>> controls;
            int made = 0;
            for (int round = 0; round < 4; ++round) {
                while (static_cast<int>(controls.size()) < kControls) {
                    const std::wstring text = std::to_wstring(t) + L"/" + std::to_wstring(made);
                    CControlUI* control = made++ % 2 ? new CControlUI : new CContainerUI;
                    control->SetText(text.c_str());
                    controls.emplace_back(control, text);
                }
                for (const auto& [control, text] : controls)
                    if (control->GetText() != text.c_str()) failures[t] = L"control " + text + L" was overwritten";
                // Every other control goes, then the gaps are filled again.
                for (int i = kControls - 1; i >= 0; i -= 2) {
                    delete controls[i].first;
                    controls.erase(controls.begin() + i);
                }
            }
            for (const auto& entry : controls) delete entry.first;
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::wstring& failure : failures) EXPECT_TRUE(failure.empty()) << std::string(failure.begin(), failure.end());
}

}  // namespace
