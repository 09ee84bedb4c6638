// Property actions and control effects: the frame arithmetic as tables, the
// binding of action groups to a control, starting them in a real window,
// frames driven by a fake timer, and the effect texts.
#include "StillTimer.h"
#include "UiHarness.h"
#include "core/effects/ActionValues.h"
#include "core/effects/EffectSpooler.h"
#include "core/manager/UITimer.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

TEST(ActionValues, IntegerStepsAreTruncatedAndTheLastFrameIsTheEnd) {
    const INT32 expected[] = {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 25};
    for (int frame = 0; frame <= 10; ++frame)
        EXPECT_EQ(ActionValues::StepInt(0, 25, frame, 10), expected[frame]) << frame;
    EXPECT_EQ(ActionValues::StepInt(25, 0, 3, 10), 19);
    EXPECT_EQ(ActionValues::StepInt(7, 7, 4, 10), 7);
}

TEST(ActionValues, EachColourByteAndRectangleSideMovesTowardsItsOwnEnd) {
    struct Case {
        DWORD start, end;
        int frame;
        DWORD expected;
    } colours[] = {{0xFF000000, 0x00FFFFFF, 5, 0x827D7D7D},
                   {0xFF000000, 0x00FFFFFF, 10, 0x00FFFFFF},
                   {0x00FF00FF, 0xFF00FF00, 2, 0x32CD32CD},
                   {0x80808080, 0x80808080, 3, 0x80808080}};
    for (const Case& c : colours)
        EXPECT_EQ(ActionValues::StepColor(c.start, c.end, c.frame, 10), c.expected) << std::hex << c.start;

    RECT rc = ActionValues::StepRect(RECT{100, 0, 0, 50}, RECT{0, 100, 50, 0}, 5, 10);
    EXPECT_TRUE(RectIs(rc, RECT{50, 50, 25, 25}));
    SIZE size = ActionValues::StepSize(SIZE{10, 0}, SIZE{0, 10}, 5, 10);
    EXPECT_EQ(size.cx, 5);
    EXPECT_EQ(size.cy, 5);
}

TEST(ActionValues, AZeroIntervalIsOneFrameNotADivision) {
    EXPECT_EQ(ActionValues::FrameCount(500, 0), 1);
    EXPECT_EQ(ActionValues::FrameAt(123, 0, 1), 1);
    EXPECT_EQ(ActionValues::FrameCount(5, 10), 1);
    EXPECT_EQ(ActionValues::FrameCount(100, 10), 10);
    EXPECT_EQ(ActionValues::FrameAt(30, 10, 10), 3);
}

TEST(ActionValues, ImageValuesAreCutAroundTheirKey) {
    CUiString prefix, value, suffix;
    ASSERT_TRUE(ActionValues::SplitImageValue(L"file='a.png' source='1,2,3,4' fade='9'", L"source='", prefix, value,
                                              suffix));
    EXPECT_EQ(std::wstring(prefix), L"file='a.png' source='");
    EXPECT_EQ(std::wstring(value), L"1,2,3,4");
    EXPECT_EQ(std::wstring(suffix), L"' fade='9'");
    EXPECT_FALSE(ActionValues::SplitImageValue(L"file='a.png'", L"dest='", prefix, value, suffix));
    EXPECT_FALSE(ActionValues::SplitImageValue(L"dest='1,2", L"dest='", prefix, value, suffix));
}

// A window whose manager holds a few action groups.
struct ActionWindow {
    HarnessWindow window{200, 150};
    CContainerUI* root = new CContainerUI;
    RecordingNotifier notifier;

    ActionWindow() {
        CPaintManagerUI& pm = window.Manager();
        pm.AddActionGroupNotify(L"grow", L"click", 10, 100, false, false, false);
        pm.AddPropertyAction(L"grow", L"width", L"int", L"none", L"100", 10, 100, false, false, false);
        pm.AddActionGroupEvent(L"tint", UIEVENT_MOUSEENTER, 10, 100, false, false, false);
        pm.AddPropertyAction(L"tint", L"bkcolor", L"color", L"#FF000000", L"#00FFFFFF", 10, 100, false, false,
                             false);
        pm.AddActionGroupNotify(L"mute", L"", 10, 100, false, false, false);
        pm.AddPropertyAction(L"mute", L"width", L"int", L"0", L"5", 10, 100, false, false, false);
        pm.AddActionGroupNotify(L"slide", L"click", 0, 100, false, false, false);
        pm.AddPropertyAction(L"slide", L"bkimage", L"image.source", L"0,0,10,10", L"0,0,20,20", 0, 100, false,
                             false, false);
        pm.AddNotifier(&notifier);
        window.Show(root);
    }
    CControlUI* Add(const wchar_t* attributes) {
        CControlUI* control = AddFloating<CControlUI>(root, attributes);
        window.Settle();
        return control;
    }
    tagTProperty* Property(const wchar_t* group) {
        return static_cast<tagTProperty*>(window.Manager().GetActionGroup(group)->aProperties.GetAt(0));
    }
    TEventUI Event(CControlUI* control, int type) {
        TEventUI event = {};
        event.Type = type;
        event.pSender = control;
        return event;
    }
};

TEST(PropertyActions, BindingSkipsEmptyNamesUnknownGroupsAndUnstartableOnes) {
    ActionWindow w;
    CControlUI* control = w.Add(L"pos=\"0,0,40,20\" width=\"40\"");
    control->SetAction(L"||grow||tint|nosuch|mute|");
    // The notify group starts on its notification, and the window's notifier still gets it.
    w.window.Manager().SendNotify(control, L"click");
    EXPECT_EQ(w.notifier.Count(L"click"), 1);
    ASSERT_NE(control->GetRunningActionName(), nullptr);
    EXPECT_EQ(std::wstring(control->GetRunningActionName()), L"grow");
    // Another event type does not start the event group; its own type does.
    TEventUI move = w.Event(control, UIEVENT_MOUSEMOVE);
    control->Event(move);
    EXPECT_EQ(std::wstring(control->GetRunningActionName()), L"grow");
    TEventUI enter = w.Event(control, UIEVENT_MOUSEENTER);
    control->Event(enter);
    EXPECT_EQ(std::wstring(control->GetRunningActionName()), L"tint");
    // "mute" has no notification type: no notification starts it.
    w.window.Manager().SendNotify(control, L"");
    EXPECT_EQ(std::wstring(control->GetRunningActionName()), L"tint");
}

TEST(PropertyActions, FramesFollowTheTimerAndEachControlKeepsItsOwnRun) {
    ActionWindow w;
    CControlUI* narrow = w.Add(L"pos=\"0,0,10,20\" width=\"10\"");
    CControlUI* wide = w.Add(L"pos=\"0,30,50,50\" width=\"50\"");
    narrow->SetAction(L"grow");
    wide->SetAction(L"grow");
    w.window.Manager().SendNotify(narrow, L"click");
    w.window.Manager().SendNotify(wide, L"click");
    tagTProperty* width = w.Property(L"grow");
    StillTimer timer(10, 100);
    struct Step {
        int elapsed;
        int narrow, wide;
    } steps[] = {{10, 19, 55}, {50, 55, 75}, {90, 91, 95}, {100, 100, 100}};
    for (const Step& s : steps) {
        timer.current = s.elapsed;
        narrow->OnPropertyActionTimer(&timer, width);
        wide->OnPropertyActionTimer(&timer, width);
        EXPECT_EQ(narrow->GetFixedWidth(), s.narrow) << s.elapsed;
        EXPECT_EQ(wide->GetFixedWidth(), s.wide) << s.elapsed;
    }
}

TEST(PropertyActions, ColoursAndImageStringsAnimate) {
    ActionWindow w;
    CControlUI* control =
        w.Add(L"pos=\"0,0,40,20\" bkimage=\"file='none.png' source='0,0,10,10' corner='1,1,1,1'\"");
    control->SetAction(L"tint");
    TEventUI enter = w.Event(control, UIEVENT_MOUSEENTER);
    control->Event(enter);
    StillTimer timer(10, 100);
    timer.current = 50;
    control->OnGroupActionTimer(&timer, w.window.Manager().GetActionGroup(L"tint"));
    EXPECT_EQ(control->GetBkColor(), 0x827D7D7Du);

    control->SetAction(L"slide");
    w.window.Manager().SendNotify(control, L"click");
    StillTimer instant(0, 100);  // no interval: one frame, straight to the end
    control->OnPropertyActionTimer(&instant, w.Property(L"slide"));
    EXPECT_EQ(std::wstring(control->GetBkImage()), L"file='none.png' source='0,0,20,20' corner='1,1,1,1'");

    // A string without the key is left alone.
    CControlUI* plain = w.Add(L"pos=\"0,30,40,50\" bkimage=\"plain.png\"");
    plain->SetAction(L"slide");
    w.window.Manager().SendNotify(plain, L"click");
    plain->OnPropertyActionTimer(&instant, w.Property(L"slide"));
    EXPECT_EQ(std::wstring(plain->GetBkImage()), L"plain.png");
}

TEST(ControlEffects, EffectTextsReadPairsOneBlankApart) {
    struct Case {
        const wchar_t* text;
        int zoom, offsetX, offsetY, alpha, needTimer;
        DWORD filling;
    } cases[] = {
        {L"zoom='3' alpha='-40'", 3, 0, 0, -40, 350, 0x00FFFFFF},
        {L"zoom='3',alpha='-40'", 3, 0, 0, -255, 350, 0x00FFFFFF},
        {L"  offsetx = '7' offsety='-2' needtimer='90' fillingbk='#FF102030'", -1, 7, -2, -255, 90, 0xFF102030},
        {L"offset='20' anim='left2right'", 0, -20, 0, 255, 350, 0x00FFFFFF},
        {L"anim='bottom2top' offset='-15'", 0, 0, 15, 255, 350, 0x00FFFFFF},
        {L"anim='zoom-'", -1, 0, 0, -255, 350, 0x00FFFFFF},
        {L"zoom='0' anim='zoom+'", 1, 0, 0, 255, 350, 0x00FFFFFF},
        {L"zoom='2' alpha", 2, 0, 0, -255, 350, 0x00FFFFFF},
    };
    for (const Case& c : cases) {
        CControlUI control;
        TEffectAge record;
        control.SetEffectsStyle(c.text, &record);
        EXPECT_TRUE(record.m_bEnableEffect) << c.text;
        EXPECT_EQ(record.m_iZoom, c.zoom) << c.text;
        EXPECT_EQ(record.m_iOffectX, c.offsetX) << c.text;
        EXPECT_EQ(record.m_iOffectY, c.offsetY) << c.text;
        EXPECT_EQ(record.m_iAlpha, c.alpha) << c.text;
        EXPECT_EQ(record.m_iNeedTimer, c.needTimer) << c.text;
        EXPECT_EQ(record.m_dFillingBK, c.filling) << c.text;
    }
}

TEST(ControlEffects, NamedStylesComeFromTheManagerAndTriggeringNeedsTheFlag) {
    ActionWindow w;
    w.window.Manager().AddEffectsStyle(L"fly", L"anim='right2left' offset='30' needtimer='250'");
    CControlUI* control = w.Add(L"pos=\"10,10,60,40\"");
    control->SetEffectsStyle(L"fly");
    EXPECT_EQ(std::wstring(control->GetEffectStyle()), L"anim='right2left' offset='30' needtimer='250'");
    EXPECT_EQ(control->GetEffectsOffectX(), 30);

    control->TriggerEffects();  // the anim-effects flag is off
    EXPECT_EQ(CEffectSpooler::Instance().JobCount(), 0);
    control->SetAnimEffects(true);
    control->TriggerEffects(control->GetMouseInEffect());  // this record was never enabled
    EXPECT_EQ(CEffectSpooler::Instance().JobCount(), 0);
    control->TriggerEffects();
    ASSERT_EQ(CEffectSpooler::Instance().JobCount(), 1);
    const tagEffectJob* job = CEffectSpooler::Instance().JobAt(0);
    EXPECT_EQ(job->dwDuration, 250u);
    EXPECT_EQ(job->iOffsetX, 30);
    EXPECT_EQ(job->hWnd, w.window.Hwnd());
    EXPECT_TRUE(RectIs(job->rcFrom, RECT{10, 10, 60, 40}));
    EXPECT_EQ(job->clrBack, RGB(0xFF, 0xFF, 0xFF));
    CEffectSpooler::Instance().CleanUp();
}

}  // namespace
