// The edit in a real window: typing into its native editor, the text going
// both ways, password, digits-only, read-only and length limits, the input
// check on Chinese text, the polling timer, the drawn text while closed, and
// a control destroyed while its editor is open.
#include "UiHarness.h"
#include "controls/UIEdit.h"
#include "controls/UIEditCheck.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

// An edit at (10,10)-(190,40) and a plain focusable control below it.
struct EditWindow {
    explicit EditWindow(const wchar_t* attributes = L"") {
        root = new CContainerUI;
        root->SetBkColor(0xFFFFFFFF);
        edit = AddFloating<CEditUI>(root, L"pos=\"10,10,190,40\"");
        edit->ApplyAttributeList(attributes);
        other = AddFloating<RecordingControl>(root, L"pos=\"10,80,190,110\"");
        window.Manager().AddNotifier(&notifier);
        shown = window.Show(root);
    }
    // Focuses the edit and waits for its native editor.
    HWND Open() {
        edit->SetFocus();
        window.Settle();
        return edit->GetNativeEditHWND();
    }
    // Types each character into the open editor as the keyboard would.
    void Type(const std::wstring& text) {
        for (wchar_t ch : text) ::SendMessageW(edit->GetNativeEditHWND(), WM_CHAR, ch, 1);
        window.Settle();
    }
    // Moves the focus away and waits until the editor has closed.
    bool Close() {
        other->SetFocus();
        return PumpUntil([this] { return edit->GetNativeEditHWND() == nullptr; });
    }
    std::wstring Text() const { return edit->GetText().GetData(); }
    // The wParam of the last notification of a type, -1 when there was none.
    long long LastParam(const wchar_t* type) const {
        for (auto it = notifier.entries.rbegin(); it != notifier.entries.rend(); ++it)
            if (it->type == type) return static_cast<long long>(it->wParam);
        return -1;
    }

    HarnessWindow window{200, 150};
    RecordingNotifier notifier;
    CContainerUI* root = nullptr;
    CEditUI* edit = nullptr;
    RecordingControl* other = nullptr;
    bool shown = false;
};

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

const RECT kTextArea = {14, 13, 186, 37};
const int kRed = 16;
const int kBlue = 0;

TEST(EditTyping, CharactersTypedIntoTheEditorBecomeTheTextAndTheEditorCloses) {
    EditWindow ew;
    ASSERT_TRUE(ew.shown);
    HWND editor = ew.Open();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(::GetFocus(), editor);
    wchar_t className[32] = {};
    ::GetClassNameW(editor, className, 32);
    EXPECT_STREQ(className, L"EditWnd");

    ew.Type(L"abc");
    EXPECT_EQ(ew.Text(), L"abc");
    EXPECT_EQ(ew.notifier.Count(L"textchanged"), 3);

    // The control's text reaches the open editor.
    ew.edit->SetText(L"xyz");
    EXPECT_EQ(WindowText(editor), L"xyz");

    ::SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(ew.notifier.Count(L"return"), 1);

    ASSERT_TRUE(ew.Close());
    EXPECT_FALSE(::IsWindow(editor));
    EXPECT_EQ(ew.Text(), L"xyz");
}

TEST(EditTyping, TheEditorOpensWithTheTextAndAClickSelectsAllOfIt) {
    EditWindow ew;
    ASSERT_TRUE(ew.shown);
    ew.edit->SetText(L"hello");
    ASSERT_TRUE(ew.Close());  // the first paint focused the edit
    ew.window.Click(12, 12);  // on the border, outside the editor's area
    ew.window.Settle();
    HWND editor = ew.edit->GetNativeEditHWND();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(WindowText(editor), L"hello");
    DWORD start = 0, end = 0;
    ::SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
}

struct ModeCase {
    const char* name;
    const wchar_t* attributes;
    const wchar_t* typed;
    const wchar_t* expected;
    LONG styleBit;
};

TEST(EditModes, PasswordNumberReadonlyAndMaxchar) {
    const ModeCase cases[] = {
        {"password keeps the typed text", L"password=\"true\"", L"secret", L"secret", ES_PASSWORD},
        {"digits only", L"numberonly=\"true\"", L"1a2b3", L"123", ES_NUMBER},
        {"read-only takes nothing", L"readonly=\"true\" text=\"fixed\"", L"abc", L"fixed", ES_READONLY},
        {"maxchar cuts the input", L"maxchar=\"3\"", L"abcdef", L"abc", 0},
        {"no limit by default", L"", L"abcdef", L"abcdef", 0},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditWindow ew(c.attributes);
        ASSERT_TRUE(ew.shown);
        HWND editor = ew.Open();
        ASSERT_NE(editor, nullptr);
        if (c.styleBit) {
            EXPECT_NE(::GetWindowLongW(editor, GWL_STYLE) & c.styleBit, 0);
        }
        ew.Type(c.typed);
        EXPECT_EQ(ew.Text(), c.expected);
        EXPECT_TRUE(ew.Close());
    }
}

TEST(EditModes, NumberOnlySetWhileOpenWaitsForTheNextOpening) {
    EditWindow ew;
    ASSERT_TRUE(ew.shown);
    HWND editor = ew.Open();
    ASSERT_NE(editor, nullptr);
    ew.edit->SetAttribute(L"numberonly", L"true");
    EXPECT_EQ(::GetWindowLongW(editor, GWL_STYLE) & ES_NUMBER, 0);
    ASSERT_TRUE(ew.Close());
    editor = ew.Open();
    ASSERT_NE(editor, nullptr);
    EXPECT_NE(::GetWindowLongW(editor, GWL_STYLE) & ES_NUMBER, 0);
}

struct CheckCase {
    const char* name;
    const wchar_t* pattern;
    std::wstring text;
    bool passes;
};

TEST(EditCheck, PatternsMatchWholeUtf16Texts) {
    const CheckCase cases[] = {
        {"empty pattern passes anything", L"", L"whatever", true},
        {"two to four Chinese characters", L"[\\u4e00-\\u9fa5]{2,4}", L"张三丰", true},
        {"one Chinese character is too short", L"[\\u4e00-\\u9fa5]{2,4}", L"张", false},
        {"latin letters are not Chinese", L"[\\u4e00-\\u9fa5]{2,4}", L"abc", false},
        {"a Chinese literal in the pattern", L"刷机.*", L"刷机包", true},
        {"the whole text must match", L"\\d+", L"12a", false},
        {"an invalid pattern fails", L"([a-z", L"abc", false},
        {"the longest checked text", L"a*", std::wstring(kMaxCheckedTextLength, L'a'), true},
        {"a longer text fails", L"a*", std::wstring(kMaxCheckedTextLength + 1, L'a'), false},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextPassesCheck(c.pattern, c.text.c_str()), c.passes);
    }
}

TEST(EditCheck, LeavingTheEditChecksTheTypedTextAndRevertsAFailure) {
    EditWindow ew(L"regularcheck=\"[\\u4e00-\\u9fa5]{2,4}\"");
    ASSERT_TRUE(ew.shown);
    ASSERT_NE(ew.Open(), nullptr);
    ew.Type(L"张三");
    EXPECT_EQ(ew.Text(), L"张三");
    ASSERT_TRUE(ew.Close());
    ASSERT_EQ(ew.notifier.Count(L"editRegex"), 1);
    EXPECT_EQ(ew.LastParam(L"editRegex"), 6);

    // A failing text without a check message: no box, the text reverts to
    // what the editor opened with.
    ASSERT_NE(ew.Open(), nullptr);
    ew.Type(L"x");
    EXPECT_EQ(ew.Text().size(), 3u);
    ASSERT_TRUE(ew.Close());
    EXPECT_EQ(ew.notifier.Count(L"editRegex"), 2);
    EXPECT_EQ(ew.LastParam(L"editRegex"), 7);
    EXPECT_EQ(ew.Text(), L"张三");
}

// The open editor polls its text whatever "enabletimer" says; only the
// control's own timer id counts as a poll.
TEST(EditTimer, TheOpenEditorPollsWhateverTheSwitchSaysAndOnlyOnItsOwnTimer) {
    for (const wchar_t* attributes : {L"enabletimer=\"true\" timerdelay=\"30\"", L"timerdelay=\"30\""}) {
        EditWindow ew(attributes);
        ASSERT_TRUE(ew.shown);
        ASSERT_NE(ew.Open(), nullptr);
        ew.Type(L"a");
        EXPECT_TRUE(PumpUntil([&] { return ew.notifier.Count(L"editTimer") == 1; }, 2000)) << attributes;
        PumpFor(150);  // unchanged text: no further reports
        EXPECT_EQ(ew.notifier.Count(L"editTimer"), 1) << attributes;
    }
    // A delay the test never reaches: only the events below can poll.
    EditWindow ew(L"timerdelay=\"1000000\"");
    ASSERT_TRUE(ew.shown);
    ASSERT_NE(ew.Open(), nullptr);
    ew.Type(L"a");
    TEventUI event = {};
    event.Type = UIEVENT_TIMER;
    event.pSender = ew.edit;
    event.wParam = 7;
    ew.edit->Event(event);
    EXPECT_EQ(ew.notifier.Count(L"editTimer"), 0);
    event.wParam = kEditTimerId;
    ew.edit->Event(event);
    EXPECT_EQ(ew.notifier.Count(L"editTimer"), 1);
}

TEST(EditPainting, ClosedEditDrawsTextPlaceholderAndMask) {
    EditWindow ew(L"tipvalue=\"name\" tipvaluecolor=\"#FFFF0000\" textcolor=\"#FF0000FF\"");
    ASSERT_TRUE(ew.shown);
    Snapshot shot = ew.window.Capture();
    EXPECT_GT(CountTinted(shot, kTextArea, kRed), 10) << "placeholder in its colour";
    EXPECT_EQ(CountTinted(shot, kTextArea, kBlue), 0);
    EXPECT_EQ(shot.At(10, 25), 0xBAC0C5u) << "default border";

    ew.edit->SetText(L"WWW");
    shot = ew.window.Capture();
    EXPECT_GT(CountTinted(shot, kTextArea, kBlue), 10) << "text in the text colour";
    EXPECT_EQ(CountTinted(shot, kTextArea, kRed), 0);

    ew.edit->SetText(L"name");  // the placeholder's own text looks empty
    shot = ew.window.Capture();
    EXPECT_GT(CountTinted(shot, kTextArea, kRed), 10);
    EXPECT_EQ(CountTinted(shot, kTextArea, kBlue), 0);

    // Masked texts of the same length look the same whatever they say.
    ew.edit->SetAttribute(L"password", L"true");
    ew.edit->SetText(L"iii");
    const Snapshot narrow = ew.window.Capture();
    ew.edit->SetText(L"WWW");
    const Snapshot wide = ew.window.Capture();
    EXPECT_GT(CountTinted(wide, kTextArea, kBlue), 5);
    EXPECT_EQ(narrow.pixels, wide.pixels);
}

TEST(EditLifetime, AControlDestroyedWhileItsEditorIsOpenTakesTheEditorWithIt) {
    EditWindow ew;
    ASSERT_TRUE(ew.shown);
    HWND editor = ew.Open();
    ASSERT_NE(editor, nullptr);
    ew.root->SetDelayedDestroy(false);
    ASSERT_TRUE(ew.root->Remove(ew.edit));
    ew.edit = nullptr;
    EXPECT_FALSE(::IsWindow(editor));
    PumpFor(50);  // anything the editor had posted finds nothing to reach
    EXPECT_EQ(ew.notifier.Count(L"textchanged"), 0);
}

TEST(EditBuilder, TheSkinElementMakesAnEdit) {
    static const wchar_t kSkin[] =
        L"<Window size=\"200,150\"><VerticalLayout>"
        L"<Edit name=\"name\" tipvalue=\"请输入\" maxchar=\"8\" password=\"true\"/>"
        L"</VerticalLayout></Window>";
    HarnessWindow window;
    ASSERT_TRUE(window.ShowSkin(kSkin));
    CEditUI* edit = static_cast<CEditUI*>(window.Manager().FindControl(L"name"));
    ASSERT_NE(edit, nullptr);
    EXPECT_STREQ(edit->GetClass(), L"EditUI");
    EXPECT_EQ(edit->GetInterface(L"Edit"), edit);
    EXPECT_EQ(edit->GetMaxChar(), 8);
    EXPECT_TRUE(edit->IsPasswordMode());
    EXPECT_STREQ(edit->GetTipValue(), L"请输入");
    EXPECT_EQ(edit->GetControlFlags(), static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR));
}

}  // namespace
