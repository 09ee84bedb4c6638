// Window timers of the paint manager and multimedia timers with running values.
#include "UiHarness.h"
#include "core/manager/UITimer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

TEST(ManagerTimers, TicksReachTheControlWithItsOwnIdAndArmingTwiceIsRefused) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* a = new RecordingControl(L"A");
    root->Add(a);
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(root));

    ASSERT_TRUE(window.Manager().SetTimer(a, 7, 10));
    EXPECT_FALSE(window.Manager().SetTimer(a, 7, 5000));  // a live timer keeps its interval
    ASSERT_TRUE(PumpUntil([&] { return a->Count(UIEVENT_TIMER) >= 2; }));
    EXPECT_EQ(a->events.back().wParam, 7u);
    EXPECT_GE(notifier.Count(L"timer"), 2);  // the base control turns the event into a notification

    EXPECT_TRUE(window.Manager().KillTimer(a, 7));
    EXPECT_FALSE(window.Manager().KillTimer(a, 7));
    PumpFor(50);
    int ticks = a->Count(UIEVENT_TIMER);
    PumpFor(60);
    EXPECT_EQ(a->Count(UIEVENT_TIMER), ticks);
    ASSERT_TRUE(window.Manager().SetTimer(a, 7, 10));  // re-armed
    EXPECT_TRUE(PumpUntil([&] { return a->Count(UIEVENT_TIMER) > ticks; }));
}

TEST(ManagerTimers, WrappedIdsSkipLiveTimersAndAFullWindowRefuses) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* busy = new RecordingControl(L"Busy");
    RecordingControl* late = new RecordingControl(L"Late");
    root->Add(busy);
    root->Add(late);
    ASSERT_TRUE(window.Show(root));

    for (UINT id = 0; id < 240; ++id) ASSERT_TRUE(window.Manager().SetTimer(busy, id, 100000)) << id;
    EXPECT_FALSE(window.Manager().SetTimer(late, 1, 10));  // every window timer id is held
    ASSERT_TRUE(window.Manager().KillTimer(busy, 100));
    window.Manager().KillControlTimers(busy);  // frees all 240 ids
    ASSERT_TRUE(window.Manager().SetTimer(busy, 500, 100000));
    ASSERT_TRUE(window.Manager().SetTimer(late, 1, 10));
    ASSERT_TRUE(PumpUntil([&] { return late->Count(UIEVENT_TIMER) >= 1; }));
    EXPECT_EQ(busy->Count(UIEVENT_TIMER), 0);
}

TEST(ManagerTimers, ADestroyedControlLosesItsTimers) {
    HarnessWindow window;
    CContainerUI* root = new CContainerUI;
    RecordingControl* a = new RecordingControl(L"A");
    root->Add(a);
    root->SetDelayedDestroy(false);
    ASSERT_TRUE(window.Show(root));
    ASSERT_TRUE(window.Manager().SetTimer(a, 1, 5));
    root->Remove(a);  // deleted at once; a stale tick must not reach it
    PumpFor(60);
    SUCCEED();
}

struct Counter {
    std::vector<int> seen;
    DWORD thread = 0;
    int stopAfter = 0;
    void OnTick(IUiTimer* timer, int* param) {
        seen.push_back(timer->GetCurTimer());
        thread = ::GetCurrentThreadId();
        if (stopAfter && static_cast<int>(seen.size()) >= stopAfter) timer->Stop();
    }
};

typedef TUiTimer<Counter, Counter, int*> CounterTimer;

TEST(MultimediaTimers, ValuesCountUpBounceAndStopOnTheStartingThread) {
    int marker = 0;
    struct Case {
        bool repeat, bounce;
        int ticks;
        std::vector<int> expected;
        bool stopsByItself;
    } cases[] = {
        {false, false, 3, {10, 20, 25}, true},
        {false, true, 8, {10, 20, 25, 15, 5, 0, 10, 20}, false},
        {true, false, 5, {10, 20, 25, 0, 10}, false},
    };
    for (const Case& c : cases) {
        Counter counter;
        counter.stopAfter = c.stopsByItself ? 0 : c.ticks;
        CounterTimer timer(&counter, &Counter::OnTick, &marker, 10, 25, false, c.repeat, c.bounce);
        ASSERT_TRUE(timer.Start());
        ASSERT_TRUE(PumpUntil([&] { return !timer.IsRunning(); })) << c.ticks;
        EXPECT_EQ(counter.seen, c.expected);
        EXPECT_EQ(counter.thread, ::GetCurrentThreadId());
    }

    Counter forever;
    forever.stopAfter = 4;
    CounterTimer endless(&forever, &Counter::OnTick, &marker, 10, 0);
    ASSERT_TRUE(endless.Start());
    ASSERT_TRUE(PumpUntil([&] { return !endless.IsRunning(); }));
    EXPECT_EQ(forever.seen, (std::vector<int>{0, 10, 20, 30}));
}

TEST(MultimediaTimers, StopIsFinalAndRestartsKeepTheSystemPeriodBalanced) {
    int marker = 0;
    Counter counter;
    for (int round = 0; round < 20; ++round) {
        CounterTimer timer(&counter, &Counter::OnTick, &marker, 1, 1000, false, true, false);
        ASSERT_TRUE(timer.Start());
        ASSERT_TRUE(timer.Start());  // a restart stops the running one first
        PumpFor(3);
        timer.Stop();
        size_t seen = counter.seen.size();
        PumpFor(10);
        EXPECT_EQ(counter.seen.size(), seen) << "tick after Stop in round " << round;
    }
    // A timer destroyed while ticks are queued never reaches its object.
    {
        CounterTimer timer(&counter, &Counter::OnTick, &marker, 1, 1000, false, true, false);
        ASSERT_TRUE(timer.Start());
        ::Sleep(20);
    }
    size_t seen = counter.seen.size();
    PumpFor(20);
    EXPECT_EQ(counter.seen.size(), seen);
}

}  // namespace
