// The control base without a window: the skin's attribute keys and value
// syntax, attribute lists, and what the getters answer afterwards.
#include "core/manager/UIControl.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;

namespace {

RECT Rect(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct ColourCase {
    const wchar_t* key;
    const wchar_t* value;
    DWORD expected;
};

TEST(ControlAttributes, ColoursReadHexAfterAnOptionalHashAndOnlyBackgroundsSkipBlanks) {
    const ColourCase cases[] = {
        {L"bkcolor", L"#FF3C8CDC", 0xFF3C8CDC},
        {L"bkcolor", L" #FF00FF00", 0xFF00FF00},   // background keys skip leading blanks
        {L"bkcolor1", L"\t#80112233", 0x80112233},
        {L"bkcolor2", L"FF102030", 0xFF102030},    // the hash is optional
        {L"bkcolor3", L"#12zz34", 0x12},           // stops at the first non-hex character
        {L"bordercolor", L" #FF00FF00", 0},         // other keys do not skip blanks
        {L"focusbordercolor", L"#FFFFFFFFFF", 0xFFFFFFFF},
        {L"disabledbkcolor", L"#FF0000FF", 0xFF0000FF},
    };
    for (const ColourCase& c : cases) {
        CControlUI control;
        control.SetAttribute(c.key, c.value);
        EXPECT_EQ(control.GetAttribute(c.key).dwValue, c.expected) << std::wstring(c.key) << L"=" << c.value;
    }
    CControlUI control;
    control.SetAttribute(L"bordercolor", L"#FF010203");
    control.SetAttribute(L"disabledbkcolor", L"#FFAABBCC");
    EXPECT_EQ(control.GetAttribute(L"bordercolor").dwValue, 0xFF010203u);
    EXPECT_EQ(control.GetAttribute(L"bkcolor1").dwValue, control.GetBkColor());
}

TEST(ControlAttributes, PosGivesFixedPlacementAndSizeFromFourNumbers) {
    struct Case {
        const wchar_t* value;
        SIZE xy;
        int width, height;
    } cases[] = {
        {L"10,20,110,70", {10, 20}, 100, 50},
        {L"-10,-20,100,50", {100, 50}, 110, 70},  // negative corners take the far edge
        {L"5,6", {5, 6}, 0, 0},                   // missing numbers read 0
        {L"", {0, 0}, 0, 0},
    };
    for (const Case& c : cases) {
        CControlUI control;
        control.SetAttribute(L"pos", c.value);
        EXPECT_EQ(control.GetFixedXY().cx, c.xy.cx) << c.value;
        EXPECT_EQ(control.GetFixedXY().cy, c.xy.cy) << c.value;
        EXPECT_EQ(control.GetFixedWidth(), c.width) << c.value;
        EXPECT_EQ(control.GetFixedHeight(), c.height) << c.value;
    }
}

TEST(ControlAttributes, BooleansAreTrueOnlyForTheExactTextTrue) {
    const wchar_t* keys[] = {L"enabled", L"mouse", L"keyboard", L"visible", L"random", L"float", L"menu",
                             L"colorhsl", L"animeffects"};
    for (const wchar_t* key : keys) {
        for (const wchar_t* value : {L"true", L"True", L"TRUE", L"1", L"false"}) {
            CControlUI control;
            control.SetAttribute(key, L"false");
            control.SetAttribute(key, value);
            EXPECT_EQ(control.GetAttribute(key).bValue, std::wstring(value) == L"true") << key << L"=" << value;
        }
    }
}

TEST(ControlAttributes, SizesRefuseNegativesAndBordersSplitOnComma) {
    CControlUI control;
    control.SetAttribute(L"width", L"40");
    control.SetAttribute(L"width", L"-5");
    EXPECT_EQ(control.GetFixedWidth(), 40);
    control.SetAttribute(L"minheight", L"-1");
    EXPECT_EQ(control.GetMinHeight(), 0);
    EXPECT_EQ(control.GetMaxWidth(), 9999);

    control.SetAttribute(L"bordersize", L"2");
    EXPECT_EQ(control.GetBorderSize(), 2);
    EXPECT_TRUE(SameRect(control.GetBorderSizes(), Rect(0, 0, 0, 0)));
    control.SetAttribute(L"bordersize", L"1,0,1,0");
    EXPECT_EQ(control.GetBorderSize(), 2);
    EXPECT_TRUE(SameRect(control.GetBorderSizes(), Rect(1, 0, 1, 0)));
    control.SetAttribute(L"topbordersize", L"-3");
    control.SetAttribute(L"bottombordersize", L"4");
    EXPECT_TRUE(SameRect(control.GetBorderSizes(), Rect(1, 0, 1, 4)));

    control.SetAttribute(L"borderstyle", L"-1");
    EXPECT_EQ(control.GetBorderStyle(), PS_SOLID);
    control.SetAttribute(L"borderround", L"4,6");
    EXPECT_EQ(control.GetAttribute(L"borderround").szValue.cx, 4);
    EXPECT_EQ(control.GetAttribute(L"borderround").szValue.cy, 6);
    control.SetAttribute(L"padding", L"1,2");
    EXPECT_TRUE(SameRect(control.GetPadding(), Rect(1, 2, 0, 0)));
}

TEST(ControlAttributes, TextsShortcutAndUnknownKeys) {
    CControlUI control;
    control.SetAttribute(L"name", L"BtnClose");
    control.SetAttribute(L"text", L"关闭");
    control.SetAttribute(L"tooltip", L"Close the window");
    control.SetAttribute(L"userdata", L"42");
    control.SetAttribute(L"shortcut", L"xyz");
    control.SetAttribute(L"Name", L"ignored");     // keys are case-sensitive
    control.SetAttribute(L"nosuchkey", L"ignored");
    EXPECT_STREQ(control.GetAttribute(L"name").pstrValue, L"BtnClose");
    EXPECT_STREQ(control.GetAttribute(L"text").pstrValue, L"关闭");
    EXPECT_STREQ(control.GetToolTip(), L"Close the window");
    EXPECT_STREQ(control.GetUserData(), L"42");
    EXPECT_EQ(control.GetShortcut(), L'x');
    unUserData none = control.GetAttribute(L"nosuchkey");
    EXPECT_EQ(none.words[0] | none.words[1] | none.words[2] | none.words[3], 0u);
    EXPECT_EQ(control.GetAttribute(nullptr).words[0], 0u);
}

TEST(ControlAttributes, RelativePosAndVirtualWindowNameFallsBackToTheParentChain) {
    CControlUI control;
    control.SetAttribute(L"relativepos", L"50,25,10,0");
    TRelativePosUI rel = control.GetRelativePos();
    EXPECT_TRUE(rel.bRelative);
    EXPECT_EQ(rel.nMoveXPercent, 50);
    EXPECT_EQ(rel.nMoveYPercent, 25);
    EXPECT_EQ(rel.nZoomXPercent, 10);
    EXPECT_EQ(rel.nZoomYPercent, 0);
    EXPECT_STREQ(control.GetVirtualWindowName(), L"");
    control.SetAttribute(L"virtualwnd", L"pageA");
    EXPECT_STREQ(control.GetVirtualWindowName(), L"pageA");
}

TEST(ControlAttributeList, PairsNeedQuotesAndExactlyOneBlankBetween) {
    struct Case {
        const wchar_t* list;
        const wchar_t* name;
        const wchar_t* text;
        int width;
    } cases[] = {
        {L"name=\"a\" text=\"hello world\" width=\"30\"", L"a", L"hello world", 30},
        {L"name=\"a\"  text=\"b\" width=\"30\"", L"a", L"", 30},  // the second blank joins the key " text"
        {L"name=\"a\",text=\"b\"", L"a", L"", 0},
        {L"name=a text=\"b\"", L"", L"", 0},                      // value without quotes
        {L"name=\"a\" text=\"unterminated", L"a", L"", 0},
        {L"name", L"", L"", 0},
        {L"", L"", L"", 0},
        {L"text=\"\xD83D\xDE00 smile\"", L"", L"\xD83D\xDE00 smile", 0},  // surrogate pair stays whole
    };
    for (const Case& c : cases) {
        CControlUI control;
        control.ApplyAttributeList(c.list);
        EXPECT_STREQ(control.GetName(), c.name) << c.list;
        EXPECT_STREQ(control.GetText(), c.text) << c.list;
        EXPECT_EQ(control.GetFixedWidth(), c.width) << c.list;
    }
}

TEST(ControlBase, IdentityAndDefaults) {
    CControlUI control;
    EXPECT_STREQ(control.GetClass(), L"ControlUI");
    EXPECT_EQ(control.GetInterface(L"Control"), &control);
    EXPECT_EQ(control.GetInterface(L"Button"), nullptr);
    EXPECT_EQ(control.GetControlFlags(), 0u);
    EXPECT_TRUE(control.Activate());
    EXPECT_EQ(control.GetDisabledBkColor(), 0xFFF0F0F0u);
    EXPECT_EQ(control.GetCurEffects()->m_iNeedTimer, 350);
    EXPECT_EQ(control.GetMouseInEffect()->m_iAlpha, -255);
    control.SetEnabled(false);
    EXPECT_FALSE(control.Activate());
    SIZE estimate = control.EstimateSize(SIZE{500, 500});
    EXPECT_EQ(estimate.cx, 0);
    EXPECT_EQ(estimate.cy, 0);
}

TEST(ControlBase, SetPosKeepsRightAndBottomFromCrossingTheOrigin) {
    CControlUI control;
    control.SetPos(Rect(50, 60, 10, 20));
    EXPECT_TRUE(SameRect(control.GetPos(), Rect(50, 60, 50, 60)));
}

struct EventRecorder {
    std::wstring log;
    bool answer = true;
    bool OnEvent(TEventUI& event, long) {
        log += L"listener" + std::to_wstring(event.Type) + L";";
        return answer;
    }
};

class LoggingControl : public CControlUI {
public:
    std::wstring* log;
    explicit LoggingControl(std::wstring* sink) : log(sink) {}
    void DoEvent(TEventUI& event) override {
        *log += L"do" + std::to_wstring(event.Type) + L";";
        CControlUI::DoEvent(event);
    }
};

TEST(ControlBase, EventRunsDoEventOnlyWhenEveryListenerAgreesAndUnhandledEventsBubble) {
    std::wstring log;
    LoggingControl parent(&log);
    LoggingControl child(&log);
    child.SetManager(nullptr, &parent, false);
    EventRecorder recorder{};
    child.EventListeners += CDelegate<EventRecorder, EventRecorder>(&recorder, &EventRecorder::OnEvent);

    TEventUI enter = {};
    enter.Type = UIEVENT_MOUSEENTER;
    child.Event(enter);
    EXPECT_EQ(recorder.log, L"listener11;");
    EXPECT_EQ(log, L"do11;do11;");  // mouse enter still reaches the parent

    log.clear();
    TEventUI focus = {};
    focus.Type = UIEVENT_SETFOCUS;
    child.Event(focus);
    EXPECT_EQ(log, L"do21;");  // handled by the control itself
    EXPECT_TRUE(child.IsFocused());

    log.clear();
    recorder.answer = false;
    child.Event(enter);
    EXPECT_EQ(log, L"");
}

}  // namespace
